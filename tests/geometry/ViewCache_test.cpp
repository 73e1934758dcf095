// The cache of built scenes: where it lies, what its key tells apart, and that a scene counts only
// once its mapping is in place.
#include "ViewCache.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace moldview {
namespace {

namespace fs = std::filesystem;

TEST(ViewCache, LiesInTheUsersCacheFolder) {
  const struct {
    const char* xdg;
    const char* home;
    fs::path expected;
  } cases[] = {
      {"/x/cache", "/home/u", "/x/cache/moldbom"},
      {"relative/cache", "/home/u", "/home/u/.cache/moldbom"},  // a relative XDG_CACHE_HOME is ignored
      {nullptr, "/home/u", "/home/u/.cache/moldbom"},
      {nullptr, nullptr, ""},
  };
  const std::string savedXdg = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  for (const auto& c : cases) {
    c.xdg ? ::setenv("XDG_CACHE_HOME", c.xdg, 1) : ::unsetenv("XDG_CACHE_HOME");
    c.home ? ::setenv("HOME", c.home, 1) : ::unsetenv("HOME");
    EXPECT_EQ(ViewCache::UserFolder(), c.expected) << (c.xdg ? c.xdg : "no XDG_CACHE_HOME");
  }
  savedXdg.empty() ? ::unsetenv("XDG_CACHE_HOME") : ::setenv("XDG_CACHE_HOME", savedXdg.c_str(), 1);
  savedHome.empty() ? ::unsetenv("HOME") : ::setenv("HOME", savedHome.c_str(), 1);
}

TEST(ViewCache, TheKeyTellsContentAndNameApart) {
  const std::string key = ViewCache::KeyOf("ISO-10303-21;a", "mold");
  EXPECT_EQ(key.size(), 64u);
  EXPECT_EQ(ViewCache::KeyOf("ISO-10303-21;a", "mold"), key);
  EXPECT_NE(ViewCache::KeyOf("ISO-10303-21;b", "mold"), key);
  // The name of a file with several roots names the root that joins them.
  EXPECT_NE(ViewCache::KeyOf("ISO-10303-21;a", "mold-2"), key);
  EXPECT_NE(ViewCache::KeyOf("a", "mold\nISO-10303-21;"), ViewCache::KeyOf("ISO-10303-21;a", "mold"));
}

TEST(ViewCache, ASceneCountsOnceItsMappingIsInPlace) {
  const fs::path folder = fs::path(::testing::TempDir()) / "moldbom-view-cache-keep";
  fs::remove_all(folder);
  const ViewCache cache(folder / "moldbom");
  ASSERT_TRUE(cache.Prepare());
  EXPECT_EQ(fs::status(folder / "moldbom").permissions() & fs::perms::all, fs::perms::owner_all);
  std::ofstream(cache.ScratchGlb("k"), std::ios::binary) << "glTF-bytes";
  EXPECT_FALSE(cache.Find("k")) << "a scene still being written is no scene";
  ASSERT_TRUE(cache.Keep("k", R"({"nodes":{}})"));
  const std::optional<CachedScene> found = cache.Find("k");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->glb, "glTF-bytes");
  EXPECT_EQ(found->map, R"({"nodes":{}})");
  EXPECT_FALSE(fs::exists(cache.ScratchGlb("k")));
  EXPECT_FALSE(cache.Find("other"));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace moldview
