// The host thread of moldbom ui: a confirmation holds it until the person answers, events wait or
// are refused meanwhile, and a capture journal records what replay needs.
#include "UiHost.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <thread>

#include "UiServerFixture.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;
using namespace std::chrono_literals;

Json OpenModal(UiHost& host) {
  for (int i = 0; i < 200; ++i) {
    const Json state = Json::parse(host.Hub().Current().state->Text());
    if (!state["modal"].is_null()) return state["modal"];
    std::this_thread::sleep_for(25ms);
  }
  return nullptr;
}

UiEvent Type(const std::string& id, const std::string& text) { return UiEvent{"type", {id, text}}; }

TEST_F(UiServerTest, AConfirmationHoldsTheHostUntilThePageAnswers) {
  std::future<Json> asking = std::async(std::launch::async, [&] {
    httplib::Client page("127.0.0.1", server->Port());
    page.set_read_timeout(30, 0);
    const httplib::Result result = page.Post("/api/event", Page(), R"({"verb":"type","args":["ReportName","./p"]})",
                                             "application/json");
    return result ? Json::parse(result->body) : Json{{"transport", "failed"}};
  });
  const Json modal = OpenModal(*host);
  ASSERT_FALSE(modal.is_null());
  EXPECT_EQ(modal["kind"], "confirmation");
  EXPECT_EQ(modal["messageKey"], "ProfileExistError");
  EXPECT_EQ(asking.wait_for(100ms), std::future_status::timeout) << "the event waits for the answer";

  const Json refused = Event({{"verb", "select"}, {"args", {"TM-2417"}}});
  EXPECT_EQ(refused["ok"], false);
  EXPECT_NE(refused["why"].get<std::string>().find("message box"), std::string::npos);

  const long id = modal["id"].get<long>();
  const auto answer = [&](long boxId, const char* text) {
    const Json body = {{"id", boxId}, {"answer", text}};
    const httplib::Result result = client->Post("/api/answer", Page(), body.dump(), "application/json");
    return result ? result->status : 0;
  };
  EXPECT_EQ(answer(id + 1, "yes"), 409);
  EXPECT_EQ(answer(id, "ok"), 400) << "a confirmation takes yes or no";
  EXPECT_EQ(answer(id, "yes"), 200);
  EXPECT_EQ(asking.get()["ok"], true);
  EXPECT_EQ(answer(id, "yes"), 409) << "answered once";
  EXPECT_TRUE(State()["modal"].is_null());
}

TEST_F(UiServerTest, ShuttingDownAnswersAnOpenBoxNo) {
  std::future<Outcome> asking = std::async(std::launch::async, [&] { return host->Perform(Type("ReportName", "./p")); });
  ASSERT_FALSE(OpenModal(*host).is_null());
  host->BeginShutdown();
  ASSERT_EQ(asking.wait_for(5s), std::future_status::ready);
  EXPECT_TRUE(asking.get());
}

class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TlgBOM_RPL_CSV_DIR", "./reports", 1);
    journal = (folder.Path() / "capture.journal").string();
    host = std::make_unique<UiHost>(UiHostOptions{kSampleMoldPath, journal, "QORMldBOMCom", {}});
    const Outcome started = host->Start();
    ASSERT_TRUE(started) << started.Why();
  }
  void TearDown() override {
    host.reset();
    ::unsetenv("TlgBOM_RPL_CSV_DIR");
  }

  std::vector<std::string> Lines() {
    std::ifstream in(journal);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
  }

  testfiles::TestFolder folder;
  std::string journal;
  std::unique_ptr<UiHost> host;
};

TEST_F(CaptureTest, WritesTheSettingsThenAcceptedEventsWithTheirAnswers) {
  std::future<Outcome> asking = std::async(std::launch::async, [&] { return host->Perform(Type("ReportName", "./p")); });
  const Json modal = OpenModal(*host);
  ASSERT_FALSE(modal.is_null());
  EXPECT_EQ(host->Answer(modal["id"].get<long>(), "no"), UiPresenter::AnswerResult::Accepted);
  EXPECT_TRUE(asking.get());
  EXPECT_FALSE(host->Perform(UiEvent{"push", {"PushAnalyze"}})) << "refused: the bottom frame waits for an analysis";
  EXPECT_TRUE(host->Perform(UiEvent{"select", {"TM-2417"}}));
  host->Stop();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"doc-chooser on", "env TlgBOM_RPL_CSV_DIR ./reports", "recorder capture",
                                               "mold " + kSampleMoldPath, "start QORMldBOMCom", "answer no",
                                               "type ReportName ./p", "select TM-2417"}));
}

// The analysis of a pick is measured while the host works; its last report stays until the next event.
TEST_F(UiServerTest, TheHostsProgressReachesTheHub) {
  ASSERT_TRUE(host->Perform(UiEvent{"select", {"TM-2417"}}));
  const SnapshotHub::View view = host->Hub().Current();
  EXPECT_FALSE(view.busy);
  EXPECT_EQ(view.progress.phase, "analysis");
  EXPECT_GT(view.progress.total, 0);
  EXPECT_EQ(view.progress.done, view.progress.total);
}

TEST(UiHostStart, ReportsABadMold) {
  testfiles::TestFolder folder;
  const std::string mold = (folder.Path() / "broken.json").string();
  std::ofstream(mold) << "{ not a mold";
  UiHost host(UiHostOptions{mold, std::nullopt, "QORMldBOMCom", {}});
  const Outcome started = host.Start();
  ASSERT_FALSE(started);
  EXPECT_NE(started.Why().find("broken.json"), std::string::npos) << started.Why();
}

}  // namespace
}  // namespace moldbom
