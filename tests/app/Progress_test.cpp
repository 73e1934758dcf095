// Progress of `moldbom report` as the host measures it from the module's calls, and the line
// drawn on a terminal.
#include "ReportCommand.h"
#include "TerminalProgress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "MoldGenerator.h"
#include "TestFiles.h"

namespace moldbom {
namespace {

namespace fs = std::filesystem;

long LinesOf(const fs::path& path) { return static_cast<long>(testfiles::Lines(testfiles::ReadFile(path)).size()); }

// Per phase, in the order the phases began: its reports.
using Phases = std::vector<std::pair<std::string, std::vector<QORProgress>>>;

class ReportProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testfiles::TestScratchFolder("moldbom-progress-");
    mold = GenerateMold({.instances = 2500, .seed = 11});
    testfiles::WriteFile(dir / "mold.json", MoldJsonText(mold));
    previous = QORSetProgressListener([this](const QORProgress& p) {
      if (phases.empty() || phases.back().first != p.phase || p.done == 0) phases.push_back({p.phase, {}});
      phases.back().second.push_back(p);
    });
  }
  void TearDown() override { QORSetProgressListener(std::move(previous)); }

  int Run(bool keep) {
    phases.clear();
    ReportOptions options;
    options.moldPath = (dir / "mold.json").string();
    options.profilePath = (dir / "p.bom").string();
    options.csvPath = (dir / "r.csv").string();
    options.xlsxPath = (dir / "r.xlsx").string();  // written whole by the application: no phase of its own
    options.keep = keep;
    options.yes = true;
    std::ostringstream out;
    return RunReport(options, CommandStreams{out, err});
  }

  static void ExpectEndsAt(const std::vector<QORProgress>& reports, long total) {
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().done, 0);
    EXPECT_EQ(reports.back().done, total);
    EXPECT_EQ(reports.back().total, total);
    EXPECT_LE(reports.size(), 102u);
  }

  fs::path dir;
  GeneratedMold mold;
  std::ostringstream err;
  Phases phases;
  QORProgressListener previous;
};

TEST_F(ReportProgressTest, AnalysisReportProfileWriteThenProfileRead) {
  ASSERT_EQ(Run(false), 0) << err.str();
  ASSERT_EQ(phases.size(), 3u);
  EXPECT_EQ(phases[0].first, "analysis");
  EXPECT_EQ(phases[0].second.front().total, ExpandedInstanceCount(mold));
  ExpectEndsAt(phases[0].second, ExpandedInstanceCount(mold));
  EXPECT_EQ(phases[1].first, "report");
  ExpectEndsAt(phases[1].second, LinesOf(dir / "r.csv"));
  EXPECT_EQ(phases[2].first, "profile-write");
  ExpectEndsAt(phases[2].second, LinesOf(dir / "p.bom"));
  EXPECT_EQ(err.str().find('\r'), std::string::npos) << "no progress line when standard error is no terminal";

  const long profileLines = LinesOf(dir / "p.bom");
  ASSERT_EQ(Run(true), 0) << err.str();
  ASSERT_GE(phases.size(), 1u);
  EXPECT_EQ(phases[0].first, "profile-read");
  ExpectEndsAt(phases[0].second, profileLines);
}

TEST(TerminalProgress, DrawsInPlaceAndClearsWhenAPhaseEnds) {
  struct Case {
    std::vector<QORProgress> reports;
    std::string drawn;
  };
  const std::vector<Case> cases = {
      {{{"analysis", 0, 200}, {"analysis", 100, 200}, {"analysis", 200, 200}},
       "\ranalysis: 0 of 200 instances (0%)\ranalysis: 100 of 200 instances (50%)\r" + std::string(36, ' ') + "\r"},
      {{{"report", 0, -1}, {"report", 1000, -1}, {"report", 1234, 1234}},
       "\rreport: 0 lines\rreport: 1000 lines\r" + std::string(18, ' ') + "\r"},
      {{{"profile-read", 3, 3}}, "\r"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    {
      TerminalProgress progress(out, /*shown=*/true);
      for (const QORProgress& report : c.reports) progress.Draw(report);
    }
    EXPECT_EQ(out.str(), c.drawn);
  }
  std::ostringstream quiet;
  { TerminalProgress progress(quiet, /*shown=*/false); }
  EXPECT_FALSE(QORSetProgressListener(nullptr)) << "a hidden line installs no listener";
  EXPECT_FALSE(IsTerminalStderr(quiet));
}

}  // namespace
}  // namespace moldbom
