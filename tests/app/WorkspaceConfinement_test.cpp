// moldbom ui keeps the dialog's files inside the workspace: a name typed into the dialog that leads
// out of it, outright or through a link, is refused, and the page says why.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <thread>

#include "HostSession.h"
#include "UiHost.h"
#include "TestFiles.h"

namespace moldbom {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class WorkspaceConfinementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder.Path() / "ws");
    fs::create_directories(folder.Path() / "outside");
    std::ofstream(folder.Path() / "outside" / "secret.bom") << "kept";
    fs::create_symlink(folder.Path() / "outside" / "secret.bom", folder.Path() / "ws" / "evil.bom");
    before = fs::current_path();
    // Typed names are taken from the current folder, here the workspace.
    fs::current_path(folder.Path() / "ws");
    host = std::make_unique<UiHost>(UiHostOptions{kSampleMoldPath, std::nullopt, "QORMldBOMCom", {}});
    host->ConfineFilesTo((folder.Path() / "ws").string());
    const Outcome started = host->Start();
    ASSERT_TRUE(started) << started.Why();
  }
  void TearDown() override {
    if (host) {
      host->BeginShutdown();
      host->Stop();
    }
    fs::current_path(before);
  }

  nlohmann::json State() const { return nlohmann::json::parse(host->Hub().Current().state->Text()); }

  // Performs the event, answering every box it opens as a person accepting everything would.
  Outcome PerformAcceptingBoxes(const UiEvent& event) {
    std::future<Outcome> done = std::async(std::launch::async, [&] { return host->Perform(event); });
    while (done.wait_for(20ms) != std::future_status::ready) {
      const nlohmann::json modal = State()["modal"];
      if (modal.is_null()) continue;
      host->Answer(modal["id"].get<long>(), modal["kind"] == "confirmation" ? "yes" : "ok");
    }
    return done.get();
  }

  std::string Secret() const {
    std::ifstream in(folder.Path() / "outside" / "secret.bom");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  testfiles::TestFolder folder;
  fs::path before;
  std::unique_ptr<UiHost> host;
};

TEST_F(WorkspaceConfinementTest, TypedNamesLeadingOutAreRefusedWithTheReason) {
  const struct {
    const char* typed;
    const char* notice;
  } cases[] = {
      {"../outside/new", "new.bom was refused: it lies outside the workspace"},
      {"./evil", "evil.bom was refused: evil.bom is a symbolic link"},
      {"/tmp/moldbom-outside", "moldbom-outside.bom was refused: it lies outside the workspace"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const Outcome typed = PerformAcceptingBoxes(UiEvent{"type", {"ReportName", c.typed}});
    ASSERT_TRUE(typed) << typed.Why();
    const nlohmann::json notice = State()["notice"];
    ASSERT_TRUE(notice.is_object());
    EXPECT_NE(notice["text"].get<std::string>().find(c.notice), std::string::npos) << notice["text"];
  }
  const Outcome closed = PerformAcceptingBoxes(UiEvent{"close", {}});
  EXPECT_TRUE(closed) << closed.Why();
  EXPECT_EQ(Secret(), "kept");
  EXPECT_FALSE(fs::exists(folder.Path() / "outside" / "new.bom"));
  EXPECT_FALSE(fs::exists("/tmp/moldbom-outside.bom"));
}

}  // namespace
}  // namespace moldbom
