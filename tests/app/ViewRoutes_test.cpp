// The 3D view's routes: the scene and its mapping reach the admitted page only, a mold without
// shapes answers why, and a build in progress is never a half-written scene.
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "HostSession.h"
#include "UiHost.h"
#include "UiServer.h"
#include "UiTestFolder.h"
#include "ViewService.h"

namespace moldbom {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kSharedStep = MOLDBOM_SHARED_STEP_DIR;

class ViewRoutesTest : public ::testing::Test {
 protected:
  void Serve(const fs::path& mold) {
    view = std::make_unique<moldview::ViewService>(folder.Path() / "cache");
    view->Show(mold.string());
    for (int i = 0; i < 600 && view->Current().status.state == moldview::ViewState::Building; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fs::create_directories(folder.Path() / "ws");
    host = std::make_unique<UiHost>(UiHostOptions{kSampleMoldPath, std::nullopt, "QORMldBOMCom", {}});
    ASSERT_TRUE(host->Start());
    Expected<Workspace> workspace = Workspace::Open((folder.Path() / "ws").string());
    ASSERT_TRUE(workspace) << workspace.Why();
    UiServerOptions options;
    options.ioTimeoutSeconds = 1;
    options.view = view.get();
    server = std::make_unique<UiServer>(*host, std::move(workspace).Value(), options);
    ASSERT_TRUE(server->Start());
    client = std::make_unique<httplib::Client>("127.0.0.1", server->Port());
    const httplib::Result entry = client->Get(("/?token=" + server->Guard().Token()).c_str());
    ASSERT_TRUE(entry);
    const std::string setCookie = entry->get_header_value("Set-Cookie");
    page = {{"Cookie", setCookie.substr(0, setCookie.find(';'))}};
  }

  void TearDown() override {
    if (host) host->BeginShutdown();
    if (server) server->Stop();
    if (host) host->Stop();
  }

  TestFolder folder;
  std::unique_ptr<moldview::ViewService> view;
  std::unique_ptr<UiHost> host;
  std::unique_ptr<UiServer> server;
  std::unique_ptr<httplib::Client> client;
  httplib::Headers page;
};

TEST_F(ViewRoutesTest, AMoldWithoutShapesAnswersWhyAndStrangersGetNothing) {
  Serve(MOLDBOM_TEST_DATA "/step/fixture.stp");
  const httplib::Result status = client->Get("/api/view", page);
  ASSERT_TRUE(status);
  EXPECT_EQ(Json::parse(status->body)["state"], "failed");
  for (const char* route : {"/api/view/scene.glb", "/api/view/map"}) {
    const httplib::Result admitted = client->Get(route, page);
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
  const httplib::Result scene = client->Get("/api/view/scene.glb", page);
  ASSERT_TRUE(scene);
  EXPECT_EQ(scene->status, 200);
  EXPECT_EQ(scene->get_header_value("Content-Type"), "model/gltf-binary");
  EXPECT_EQ(scene->body, view->Current().scene->glb);
  const httplib::Result map = client->Get("/api/view/map", page);
  ASSERT_TRUE(map);
  EXPECT_TRUE(Json::parse(map->body)["nodes"].contains("AS1-AC-214/L-BRACKET ASSEMBLY_1/NUT-BOLT ASSEMBLY_1/NUT_1"));
}

}  // namespace
}  // namespace moldbom
