// Built scenes kept in the user's cache folder, keyed by the content of the mold file, so that a
// mold seen before opens its view at once. Never beside the mold: the workspace stays the user's.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace moldview {

// The whole content of a file; none when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

struct CachedScene {
  std::string glb;
  std::string map;
};

class ViewCache {
 public:
  // $XDG_CACHE_HOME/moldbom, else ~/.cache/moldbom; empty when neither can be told.
  static std::filesystem::path UserFolder();
  // The key of a mold file: its content and its name's stem, which names a joined root.
  static std::string KeyOf(std::string_view content, std::string_view stem);

  explicit ViewCache(std::filesystem::path folder) : folder_(std::move(folder)) {}

  std::optional<CachedScene> Find(const std::string& key) const;
  // Where the kernel writes a new scene before Keep moves it into place.
  std::filesystem::path ScratchGlb(const std::string& key) const;
  // Moves the scratch scene into place with its mapping; false when the folder refuses.
  bool Keep(const std::string& key, const std::string& map) const;
  // Ready for ScratchGlb; false when the folder cannot be made.
  bool Prepare() const;

 private:
  std::filesystem::path folder_;
};

}  // namespace moldview
