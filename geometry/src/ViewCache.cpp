// The cache folder of built scenes: the mapping is moved in last, so a scene counts only once whole.
#include "ViewCache.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace moldview {
namespace {

namespace fs = std::filesystem;

// Changes whenever what is built from the same file changes (meshing, naming, layout).
constexpr std::string_view kSceneVersion = "scene-1";

fs::path Scratch(const fs::path& path) { return fs::path(path.string() + ".part-" + std::to_string(::getpid())); }

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return content.str();
}

fs::path ViewCache::UserFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && fs::path(cache).is_absolute())
    return fs::path(cache) / "moldbom";
  if (const char* home = std::getenv("HOME"); home && fs::path(home).is_absolute())
    return fs::path(home) / ".cache" / "moldbom";
  return {};
}

std::string ViewCache::KeyOf(std::string_view content, std::string_view stem) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
  for (const std::string_view part : {kSceneVersion, std::string_view("\n"), stem, std::string_view("\n"), content})
    EVP_DigestUpdate(context, part.data(), part.size());
  EVP_DigestFinal_ex(context, digest, &length);
  EVP_MD_CTX_free(context);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string key;
  for (unsigned int i = 0; i < length; ++i) {
    key += kHex[digest[i] >> 4];
    key += kHex[digest[i] & 15];
  }
  return key;
}

std::optional<CachedScene> ViewCache::Find(const std::string& key) const {
  if (folder_.empty()) return std::nullopt;
  std::optional<std::string> map = ReadWholeFile(folder_ / (key + ".json"));
  std::optional<std::string> glb = map ? ReadWholeFile(folder_ / (key + ".glb")) : std::nullopt;
  if (!glb) return std::nullopt;
  return CachedScene{std::move(*glb), std::move(*map)};
}

bool ViewCache::Prepare() const {
  std::error_code error;
  if (folder_.empty()) return false;
  // Scenes show what the user's molds hold: the folder is theirs alone.
  if (fs::create_directories(folder_, error)) fs::permissions(folder_, fs::perms::owner_all, error);
  return !error && fs::is_directory(folder_);
}

fs::path ViewCache::ScratchGlb(const std::string& key) const { return Scratch(folder_ / (key + ".glb")); }

bool ViewCache::Keep(const std::string& key, const std::string& map) const {
  const fs::path mapPath = folder_ / (key + ".json");
  {
    std::ofstream out(Scratch(mapPath), std::ios::binary | std::ios::trunc);
    out << map;
    if (!out.flush()) return false;
  }
  std::error_code error;
  fs::rename(ScratchGlb(key), folder_ / (key + ".glb"), error);
  if (!error) fs::rename(Scratch(mapPath), mapPath, error);
  if (!error) return true;
  fs::remove(Scratch(mapPath), error);
  return false;
}

}  // namespace moldview
