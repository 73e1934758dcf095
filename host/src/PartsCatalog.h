// A parts catalogue: a CSV table of the BOM's attributes by part number, which fills what a mold
// file does not say.
#pragma once

#include "MoldDescription.h"

#include <optional>
#include <string>

namespace qorhost {

struct CatalogError {
  int line = 0;
  int column = 0;  // in characters, both from 1
  std::string what;
};

// Reads the catalogue text (UTF-8, a header row, ";" or "," between fields) and applies it to
// every product of the description whose part number a row matches; catalogName names the file in
// the notes that say where each value came from. Nothing is changed when the catalogue is bad.
std::optional<CatalogError> ApplyPartsCatalog(const std::string& text, const std::string& catalogName,
                                              MoldDescription& description);

}  // namespace qorhost
