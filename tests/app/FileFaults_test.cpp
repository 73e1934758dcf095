// Every step of writing the profile at close and the CSV report, failed in turn: the previous file
// stays whole or the new one is complete, no temporary file is left, and the user hears of every
// failure, from the dialog or from the application.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "QORSystemServices.h"
#include "SessionFixture.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace moldbom {
namespace {

class FileFaultTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    ::setenv("SOURCE_DATE_EPOCH", "0", 1);
  }
  void TearDown() override {
    QORFSetFaultHook({});
    ::unsetenv("SOURCE_DATE_EPOCH");
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) { return testfiles::ReadFile(path); }
  void Accept(const Outcome& outcome) { ASSERT_TRUE(outcome) << outcome.Why(); }

  // A command that names the profile (created on close), numbers from start and saves the report.
  void Run(const std::string& start, const std::function<void()>& beforeWriting, bool saveCsv) {
    presenter.QueueAnswer(true);
    StartBom();
    Accept(events.Perform({"type", "ReportName", Path("p.bom")}));
    Accept(events.Perform({"type", "StartNumber", start}));
    Accept(events.Perform({"select", "TM-2417"}));
    if (saveCsv) {
      Accept(events.Perform({"push", "PushAnalyze"}));
      beforeWriting();
      Accept(events.Perform({"file", "SaveBom", "ok", Path("r.csv")}));
      QORFSetFaultHook({});
    }
    if (!saveCsv) beforeWriting();
    Accept(events.Perform({"close", "window"}));
    QORFSetFaultHook({});
  }

  // Fails step k of the writes to path; reports whether step k came.
  std::function<void()> FailStep(const std::string& path, int k, QORFileFault fault, bool& injected) {
    return [this, path, k, fault, &injected] {
      auto count = std::make_shared<int>(0);
      QORFSetFaultHook([=, &injected](QORFileStep step, const std::string& file) {
        if (file != path || (fault == QORFileFault::Short && step != QORFileStep::Write)) return QORFileFault::None;
        if (++*count != k) return QORFileFault::None;
        injected = true;
        return fault;
      });
    };
  }

  void Sweep(const std::string& file, bool csv, const std::vector<std::string>& warnings) {
    Run("10", [] {}, csv);
    const std::string previous = Read(Path(file));
    Run("20", [] {}, csv);
    const std::string complete = Read(Path(file));
    ASSERT_NE(previous, complete);
    for (QORFileFault fault : {QORFileFault::Fail, QORFileFault::Short}) {
      for (int k = 1; k < 100; ++k) {
        SCOPED_TRACE(file + ": fault " + std::to_string(static_cast<int>(fault)) + " at step " + std::to_string(k));
        std::ofstream(Path(file), std::ios::binary) << previous;
        shown.str("");
        bool injected = false;
        Run("20", FailStep(Path(file), k, fault, injected), csv);
        const std::string now = Read(Path(file));
        if (!injected) {
          EXPECT_EQ(now, complete);
          EXPECT_EQ(Read(Path(file) + ".bak"), previous);
          break;
        }
        EXPECT_EQ(now, previous);
        for (const auto& entry : fs::directory_iterator(dir_))
          EXPECT_NE(entry.path().extension().string(), ".tmp") << "left behind";
        bool warned = false;
        for (const std::string& key : warnings) warned = warned || shown.str().find(key) != std::string::npos;
        EXPECT_TRUE(warned) << shown.str();
      }
    }
  }

  testfiles::TestFolder folder_{"faults-"};
  const fs::path& dir_ = folder_.Path();
};

TEST_F(FileFaultTest, EveryFailingStepOfTheProfileWriteAtCloseKeepsThePreviousProfileAndIsTold) {
  Sweep("p.bom", false, {"ProfileOpenError", "ProfileWriteError", "was not saved"});
}

TEST_F(FileFaultTest, EveryFailingStepOfTheReportWriteKeepsThePreviousReportAndIsTold) {
  Sweep("r.csv", true, {"CsvOpenError", "CsvWriteError", "was not saved"});
}

}  // namespace
}  // namespace moldbom
