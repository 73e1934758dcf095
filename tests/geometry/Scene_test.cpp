// The 3D view's scene: reading back a glTF container, and the mapping from the product tree's
// instance paths to the nodes the kernel wrote, on the shared public assemblies.
#include "SceneMap.h"
#include "ViewBuilder.h"
#include "ViewService.h"

#include "QORProductStructure.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "TestFiles.h"

namespace moldview {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kSharedStep = MOLDBOM_SHARED_STEP_DIR;

std::string Glb(const std::string& json, std::uint32_t magic = 0x46546C67, std::int64_t claimed = -1) {
  std::string padded = json;
  while (padded.size() % 4) padded += ' ';
  std::string glb;
  const auto word = [&](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) glb += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  word(magic);
  word(2);
  word(static_cast<std::uint32_t>(20 + padded.size()));
  word(static_cast<std::uint32_t>(claimed < 0 ? padded.size() : claimed));
  word(0x4E4F534A);
  return glb + padded;
}

TEST(GlbNodePaths, NamesEachNodeByItsAncestors) {
  const std::string glb = Glb(R"({"scenes":[{"nodes":[0]}],"nodes":[
      {"name":"MOLD","children":[1,2]},{"name":"Plate.1"},{"name":"Unit/x","children":[3]},{"name":"Pin.1"},{"name":"stray"}]})");
  const QORExpected<std::vector<std::string>> paths = GlbNodePaths(glb);
  ASSERT_TRUE(paths) << paths.Why();
  EXPECT_EQ(paths.Value(), (std::vector<std::string>{"MOLD", "MOLD/Plate.1", "MOLD/Unit/x", "MOLD/Unit/x/Pin.1", ""}));
}

TEST(GlbNodePaths, RefusesWhatIsNoTree) {
  const struct {
    const char* what;
    std::string glb;
  } cases[] = {
      {"other magic", Glb(R"({"nodes":[]})", 0x12345678)},
      {"chunk longer than the file", Glb(R"({"nodes":[]})", 0x46546C67, 4096)},
      {"JSON cut short", Glb(R"({"nodes":[)")},
      {"node under two parents", Glb(R"({"scenes":[{"nodes":[0,1]}],"nodes":[{"children":[1]},{}]})")},
      {"node under itself", Glb(R"({"scenes":[{"nodes":[0]}],"nodes":[{"children":[0]}]})")},
      {"child out of range", Glb(R"({"scenes":[{"nodes":[0]}],"nodes":[{"children":[7]}]})")},
      {"too short", "glTF"},
  };
  for (const auto& c : cases) EXPECT_FALSE(GlbNodePaths(c.glb)) << c.what;
}

TEST(SceneMapJson, PartsNoNodeDrawsAreSkippedAndAssembliesAreNot) {
  qorhost::MoldDescription mold;
  mold.root = "top";
  mold.products = {{"top", "TOP", std::vector<qorhost::MoldInstance>{{"A", "unit", {}}, {"B", "unit", {}}}, {}, {}, {}, {}, {}},
                   {"unit", "UNIT", std::vector<qorhost::MoldInstance>{{"Pin.1", "pin", {}}}, {}, {}, {}, {}, {}},
                   {"pin", "PIN", std::nullopt, {}, {}, {}, {}, {}}};
  const std::vector<TreeOccurrence> tree = TreeOccurrences(mold);
  std::vector<std::string> paths;
  for (const TreeOccurrence& occurrence : tree) paths.push_back(occurrence.path + (occurrence.part ? " part" : ""));
  EXPECT_EQ(paths, (std::vector<std::string>{"TOP", "TOP/A", "TOP/A/Pin.1 part", "TOP/B", "TOP/B/Pin.1 part"}));

  const Json map = Json::parse(SceneMapJson({"TOP", "TOP/A", "TOP/A/Pin.1", ""}, tree, {"part X has no surface to draw"}));
  EXPECT_EQ(map["nodes"], (Json{{"TOP", 0}, {"TOP/A", 1}, {"TOP/A/Pin.1", 2}}));
  EXPECT_EQ(map["skipped"], (Json{"part X has no surface to draw", "TOP/B/Pin.1 is not drawn"}));
}

// Molds without drawable geometry: no view, a reason, and nothing kept in the cache.
TEST(ViewBuilder, AMoldWithoutShapesHasNoView) {
  const fs::path cache = fs::path(::testing::TempDir()) / "moldbom-view-empty-cache";
  fs::remove_all(cache);
  const struct {
    fs::path mold;
    ViewState state;
    const char* why;
  } cases[] = {
      {MOLDBOM_TEST_DATA "/step/fixture.stp", ViewState::Failed, "the file holds no shape the view can draw"},
      {MOLDBOM_SAMPLE_DIR "/sample-mold.json", ViewState::None, "the mold holds no geometry"},
      {MOLDBOM_TEST_DATA "/step/missing.stp", ViewState::Failed, "cannot read the file"},
  };
  for (const auto& c : cases) {
    ViewBuilder builder(c.mold.string(), cache);
    builder.Start();
    ASSERT_TRUE(builder.WaitUntilDone(std::chrono::seconds(60))) << c.mold;
    EXPECT_EQ(builder.Status().state, c.state) << c.mold;
    EXPECT_NE(builder.Status().why.find(c.why), std::string::npos) << builder.Status().why;
    EXPECT_FALSE(builder.Scene());
  }
  EXPECT_TRUE(!fs::exists(cache) || fs::is_empty(cache));
  fs::remove_all(cache);
}

// Another mold shown replaces the view and its serial; the same unchanged file keeps both.
TEST(ViewService, FollowsTheMoldShown) {
  const fs::path cache = fs::path(::testing::TempDir()) / "moldbom-view-service-cache";
  ViewService service(cache);
  EXPECT_EQ(service.Current().status.state, ViewState::None);
  const auto settled = [&] {
    for (int i = 0; i < 600 && service.Current().status.state == ViewState::Building; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return service.Current();
  };
  service.Show(MOLDBOM_TEST_DATA "/step/fixture.stp");
  const ViewService::Now first = settled();
  EXPECT_EQ(first.status.state, ViewState::Failed);
  service.Show(MOLDBOM_SAMPLE_DIR "/sample-mold.json");
  const ViewService::Now second = settled();
  EXPECT_EQ(second.status.state, ViewState::None);
  EXPECT_GT(second.serial, first.serial);
  service.Show(MOLDBOM_SAMPLE_DIR "/sample-mold.json");
  EXPECT_EQ(service.Current().serial, second.serial);
  fs::remove_all(cache);
}

// Scenes are built into a cache folder of the test's own; the public assemblies stay where they lie.
class SharedSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kSharedStep)) GTEST_SKIP() << "no shared CAD assemblies at " << kSharedStep;
    cache = testfiles::TestScratchFolder("moldbom-view-cache-");
  }
  void TearDown() override { fs::remove_all(cache); }

  std::shared_ptr<const CachedScene> Build(const fs::path& mold, ViewStatus* status = nullptr) {
    ViewBuilder builder(mold.string(), cache);
    builder.Start();
    EXPECT_TRUE(builder.WaitUntilDone(std::chrono::minutes(3))) << mold;
    if (status) *status = builder.Status();
    EXPECT_EQ(builder.Status().state, ViewState::Ready) << mold << ": " << builder.Status().why;
    return builder.Scene();
  }

  fs::path cache;
};

TEST_F(SharedSceneTest, EveryOccurrenceIsTheNodeAtItsInstancePath) {
  for (const fs::directory_entry& entry : fs::directory_iterator(kSharedStep)) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".expected" || extension == ".md" || !entry.is_regular_file()) continue;
    const fs::path mold = entry.path();
    const std::string name = mold.filename().string();
    const std::shared_ptr<const CachedScene> scene = Build(mold);
    ASSERT_TRUE(scene) << name;
    const QORExpected<std::vector<std::string>> nodePaths = GlbNodePaths(scene->glb);
    ASSERT_TRUE(nodePaths) << nodePaths.Why();
    const Json map = Json::parse(scene->map);
    const std::set<std::string> skipped(map["skipped"].begin(), map["skipped"].end());

    auto document = QORMoldDocument::LoadFile(mold.string(), "");
    ASSERT_TRUE(document) << document.Why();
    std::set<std::string> treePaths;
    int drawn = 0;
    document.Value()->Walk([&](const QORIProduct_var& occurrence, int) {
      const std::string path = QORMoldDocument::InstancePath(occurrence);
      treePaths.insert(path);
      if (!map["nodes"].contains(path)) {
        if (QORPrdIsAProductFromQORPart(occurrence)) {
          EXPECT_TRUE(skipped.contains(path + " is not drawn")) << name << ": " << path;
        }
        return;
      }
      ++drawn;
      EXPECT_EQ(nodePaths.Value().at(map["nodes"][path].get<std::size_t>()), path) << name;
    });
    EXPECT_GT(drawn, 0) << name;
    // A product's shape may hold placed sub-shapes besides its instances: nodes below its own.
    const auto belowAnOccurrence = [&](const std::string& path) {
      for (std::size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0; slash = path.rfind('/', slash - 1))
        if (treePaths.contains(path.substr(0, slash))) return true;
      return false;
    };
    for (const std::string& path : nodePaths.Value())
      EXPECT_TRUE(path.empty() || treePaths.contains(path) || belowAnOccurrence(path))
          << name << ": the scene has " << path << ", the tree has not";
  }
}

TEST_F(SharedSceneTest, TheAs1AssemblyDrawsItsEighteenPartsAndASecondStartComesFromTheCache) {
  const fs::path mold = kSharedStep / "as1-ac-214.stp";
  ViewStatus first;
  const std::shared_ptr<const CachedScene> built = Build(mold, &first);
  ASSERT_TRUE(built);
  EXPECT_FALSE(first.fromCache);
  std::uint32_t jsonLength = 0;
  for (int i = 3; i >= 0; --i) jsonLength = (jsonLength << 8) | static_cast<unsigned char>(built->glb.at(12 + i));
  const Json gltf = Json::parse(built->glb.substr(20, jsonLength));
  int meshed = 0;
  for (const Json& node : gltf["nodes"]) meshed += node.contains("mesh");
  EXPECT_EQ(meshed, 18);
  EXPECT_EQ(Json::parse(built->map)["skipped"], Json::array());

  ViewStatus second;
  const auto started = std::chrono::steady_clock::now();
  const std::shared_ptr<const CachedScene> cached = Build(mold, &second);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_TRUE(second.fromCache);
  ASSERT_TRUE(cached);
  EXPECT_EQ(cached->glb, built->glb);
  EXPECT_EQ(cached->map, built->map);
  EXPECT_EQ(testfiles::ReadFile(mold).substr(0, 13), "ISO-10303-21;");
}

}  // namespace
}  // namespace moldview
