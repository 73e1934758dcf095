// The 3D view's routes: the scene and its mapping reach the admitted page only, and a mold without
// shapes answers why.
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "UiServerFixture.h"
#include "ViewService.h"

namespace moldbom {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kSharedStep = MOLDBOM_SHARED_STEP_DIR;

// The page's server with a view of the mold a test names, built before the server starts.
class ViewRoutesTest : public UiServerTest {
 protected:
  void SetUp() override {}
  void Configure(UiServerOptions& options) override { options.view = view.get(); }
  void Serve(const fs::path& mold) {
    view = std::make_unique<moldview::ViewService>(folder.Path() / "cache");
    view->Show(mold.string());
    for (int i = 0; i < 600 && view->Current().status.state == moldview::ViewState::Building; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    UiServerTest::SetUp();
  }

  std::unique_ptr<moldview::ViewService> view;
};

TEST_F(ViewRoutesTest, AMoldWithoutShapesAnswersWhyAndStrangersGetNothing) {
  Serve(MOLDBOM_TEST_DATA "/step/fixture.stp");
  const httplib::Result status = client->Get("/api/view", Page());
  ASSERT_TRUE(status);
  EXPECT_EQ(Json::parse(status->body)["state"], "failed");
  for (const char* route : {"/api/view/scene.glb", "/api/view/map"}) {
    const httplib::Result admitted = client->Get(route, Page());
    ASSERT_TRUE(admitted);
    EXPECT_EQ(admitted->status, 404) << route;
    EXPECT_NE(admitted->body.find("no shape the view can draw"), std::string::npos) << admitted->body;
    const httplib::Result stranger = client->Get(route);
    ASSERT_TRUE(stranger);
    EXPECT_EQ(stranger->status, 403) << route;
  }
}

TEST_F(ViewRoutesTest, TheSceneAndItsMappingReachThePage) {
  if (!fs::is_directory(kSharedStep)) GTEST_SKIP() << "no shared CAD assemblies at " << kSharedStep;
  Serve(kSharedStep / "as1-ac-214.stp");
  const httplib::Result scene = client->Get("/api/view/scene.glb", Page());
  ASSERT_TRUE(scene);
  EXPECT_EQ(scene->status, 200);
  EXPECT_EQ(scene->get_header_value("Content-Type"), "model/gltf-binary");
  EXPECT_EQ(scene->body, view->Current().scene->glb);
  const httplib::Result map = client->Get("/api/view/map", Page());
  ASSERT_TRUE(map);
  EXPECT_TRUE(Json::parse(map->body)["nodes"].contains("AS1-AC-214/L-BRACKET ASSEMBLY_1/NUT-BOLT ASSEMBLY_1/NUT_1"));
}

}  // namespace
}  // namespace moldbom
