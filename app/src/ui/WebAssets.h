// The page's files (HTML, CSS, JavaScript), built into the program from app/web at build time.
#pragma once

#include <string_view>

namespace moldbom {

struct WebAsset {
  std::string_view path;         // "/app.js"
  std::string_view contentType;
  std::string_view content;
};

// The asset served at path ("/" is the page itself), or null.
const WebAsset* FindWebAsset(std::string_view path);

}  // namespace moldbom
