// `moldbom report`: the table it prints, the files it names, the journal it captures, and the
// options the dialog refuses.
#include "ReportCommand.h"

#include "ReplayCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "TestFiles.h"

namespace moldbom {
namespace {

namespace fs = std::filesystem;
using testfiles::Lines;
using testfiles::ReadFile;

// The NUMBER column of a printed table, between the header and the total, blank lines left out.
std::vector<std::string> Numbers(const std::string& table) {
  std::vector<std::string> numbers;
  const std::vector<std::string> lines = Lines(table);
  for (std::size_t i = 1; i < lines.size() && lines[i].rfind("Total price:", 0) != 0; ++i)
    if (std::string first; std::istringstream(lines[i]) >> first) numbers.push_back(first);
  return numbers;
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = testfiles::TestScratchFolder("moldbom-report-"); }

  int Run(const ReportOptions& options) {
    out.str("");
    err.str("");
    return RunReport(options, CommandStreams{out, err});
  }

  fs::path dir;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(ReportTest, PrintsTheTableAndNamesReportAndProfile) {
  ReportOptions options;
  options.profilePath = (dir / "mold").string();
  options.csvPath = (dir / "bom.csv").string();
  options.start = 10;
  options.increment = 5;
  options.yes = true;
  ASSERT_EQ(Run(options), 0) << err.str();

  const std::vector<std::string> printed = Lines(out.str());
  ASSERT_GE(printed.size(), 3u);
  EXPECT_EQ(printed[0].rfind("Number  Qty  Part Number", 0), 0u) << printed[0];
  EXPECT_EQ(Numbers(out.str()).front(), "10");
  EXPECT_EQ(Numbers(out.str())[1], "15");
  EXPECT_EQ(printed[printed.size() - 3].rfind("Total price: ", 0), 0u);
  EXPECT_EQ(printed[printed.size() - 2], "report: " + (dir / "bom.csv").string());
  EXPECT_EQ(printed.back(), "profile: " + (dir / "mold.bom").string());
  EXPECT_NE(err.str().find("question: Tooling Profile: The profile " + (dir / "mold.bom").string()),
            std::string::npos);

  // The CSV and profile bytes themselves are the property test's; here, one CSV line per row.
  EXPECT_EQ(Lines(ReadFile(dir / "bom.csv")).size() - 3, Numbers(out.str()).size());
}

// The report without its first line, which holds the date of the run.
std::string ReportBody(const fs::path& csv) {
  const std::string text = ReadFile(csv);
  return text.substr(std::min(text.find('\n') + 1, text.size()));
}

TEST_F(ReportTest, CapturesJournalsThatReplayToTheSameFiles) {
  ReportOptions options;
  options.profilePath = (dir / "mold.bom").string();
  options.csvPath = (dir / "bom.csv").string();
  options.letters = true;
  options.sort = true;
  options.yes = true;
  options.capturePath = (dir / "report.journal").string();
  ASSERT_EQ(Run(options), 0) << err.str();
  const std::string report = ReportBody(dir / "bom.csv");
  const std::string profile = ReadFile(dir / "mold.bom");

  // Each journal writes the files anew, the second one captured while replaying the first.
  const std::pair<const char*, std::optional<std::string>> replays[] = {
      {"report.journal", (dir / "replay.journal").string()}, {"replay.journal", std::nullopt}};
  for (const auto& [journal, capture] : replays) {
    fs::remove(dir / "bom.csv");
    fs::remove(dir / "mold.bom");
    out.str("");
    ASSERT_EQ(RunReplay(ReplayOptions{(dir / journal).string(), std::nullopt, capture}, CommandStreams{out, err}), 0)
        << journal << ": " << err.str();
    EXPECT_EQ(ReportBody(dir / "bom.csv"), report) << journal;
    EXPECT_EQ(ReadFile(dir / "mold.bom"), profile) << journal;
  }
}

struct RefusedCase {
  const char* name;
  std::function<void(ReportOptions&, const fs::path&)> set;
  int exitCode;
  const char* err;  // a part of standard error
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class ReportRefusedTest : public ReportTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(ReportRefusedTest, SaysWhatTheDialogRefused) {
  ReportOptions options;
  GetParam().set(options, dir);
  EXPECT_EQ(Run(options), GetParam().exitCode);
  EXPECT_NE(err.str().find(GetParam().err), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Options, ReportRefusedTest,
    ::testing::Values(
        RefusedCase{"KeepWithoutProfile", [](ReportOptions& o, const fs::path&) { o.keep = true; }, 2,
                    "moldbom report: --keep: RadioKeep is disabled"},
        RefusedCase{"NewProfileDeclined",
                    [](ReportOptions& o, const fs::path& d) { o.profilePath = (d / "new.bom").string(); }, 2,
                    "-> no (--yes would accept)\nmoldbom report: --profile: the dialog did not keep"},
        RefusedCase{
            "MissingReference",
            [](ReportOptions& o, const fs::path& d) { o.referencePath = (d / "nowhere.bom").string(); }, 2,
            "warning: Tooling Profile: The reference profile"},
        RefusedCase{
            "CsvInMissingFolder",
            [](ReportOptions& o, const fs::path& d) { o.csvPath = (d / "no" / "such" / "bom.csv").string(); },
            2, "moldbom report: --csv: the report"},
        RefusedCase{"BadMold",
                    [](ReportOptions& o, const fs::path& d) { o.moldPath = (d / "missing.json").string(); },
                    2, "missing.json: cannot open the file"}),
    [](const ::testing::TestParamInfo<RefusedCase>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace moldbom
