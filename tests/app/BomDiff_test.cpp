// Reading CSV reports back and comparing two revisions: quoting, bad files, how lines pair, and
// the diff command's table, CSV and exit codes on a revision of the sample.
#include "BomDiff.h"
#include "Cli.h"
#include "CsvReport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace moldbom {
namespace {

const std::string kHeader = "Date: x;\r\nProject: /M;Owner;jane;\r\n";

TEST(CsvReportTest, ReadsFieldsAsTheReportWritesThem) {
  const struct {
    const char* body;
    std::vector<std::vector<std::string>> rows;
  } cases[] = {
      {"A;B;\r\n1;x;\r\n", {{"1", "x"}}},
      {"A;B\n1;x\n", {{"1", "x"}}},                              // LF and no last ";"
      {"A;B;\r\n;;\r\n1;;\r\n\r\n", {{"1", ""}}},                // blank rows skipped
      {"A;B;\r\n\"a;b\";\"say \"\"hi\"\"\";\r\n", {{"a;b", "say \"hi\""}}},
      {"A;B;\r\n\"two\r\nlines\";2;\r\n3;;\r\n", {{"two\r\nlines", "2"}, {"3", ""}}},
      {"A;B;C;\r\n1;\r\n", {{"1", "", ""}}},                     // short rows filled
      {"A;B;\r\n1;2;;;\r\n", {{"1", "2"}}},                      // empty fields past the titles
  };
  for (const auto& c : cases) {
    const Expected<CsvReport> report = ParseCsvReport(kHeader + c.body, "r.csv");
    ASSERT_TRUE(report) << c.body << ": " << report.Why();
    std::vector<std::vector<std::string>> rows;
    for (const CsvReportRow& row : report.Value().rows) rows.push_back(row.cells);
    EXPECT_EQ(rows, c.rows) << c.body;
  }
}

TEST(CsvReportTest, NamesFileAndLineOfBadInput) {
  const struct {
    std::string content;
    const char* message;
  } cases[] = {
      {"Date: x;\r\nProject: /M;\r\n", "r.csv: not a BOM report: it ends before the column titles on line 3"},
      {kHeader + "\r\n1;2;\r\n", "r.csv:3: not a BOM report: line 3 names no column"},
      {kHeader + "A;B;\r\n1;2;\r\n\"open;3;\r\n4;5;\r\n", "r.csv:5: a field opened with a quote is not closed"},
      {kHeader + "A;B;\r\n\"a\"b;2;\r\n", "r.csv:4: text follows the closing quote of a field"},
      {kHeader + "A;B;\r\n1;2;\r\n1;2;3;\r\n", "r.csv:5: 3 fields, but line 3 names 2 columns"},
  };
  for (const auto& c : cases) {
    const Expected<CsvReport> report = ParseCsvReport(c.content, "r.csv");
    ASSERT_FALSE(report) << c.content;
    EXPECT_EQ(report.Why(), c.message);
  }
  EXPECT_EQ(ReadCsvReport("/nonexistent/r.csv").Why(), "/nonexistent/r.csv: cannot be read: No such file or directory");
}

TEST(BomDiffTest, NeedsEveryColumnItCompares) {
  const Expected<CsvReport> report = ParseCsvReport(kHeader + "Number;Qty;Part Number;Reference;Price;\r\n", "r.csv");
  ASSERT_TRUE(report) << report.Why();
  EXPECT_EQ(DiffLinesOf(report.Value()).Why(), "r.csv:3: no column \"Unit Price\" among the titles");
}

DiffLine Line(const char* number, const char* qty, const char* part, const char* ref, const char* price) {
  return {number, qty, part, ref, price};
}

// Each change as "kinds old-number>new-number delta".
std::vector<std::string> Summary(const BomDiff& diff) {
  std::vector<std::string> lines;
  for (const LineChange& change : diff.changes) {
    std::ostringstream line;
    line << DescribeChange(change.kinds) << " " << change.before.number << ">" << change.after.number << " "
         << change.costDelta;
    lines.push_back(line.str());
  }
  return lines;
}

TEST(BomDiffTest, PairsLinesByPartNumberAndReferenceThenNumber) {
  const struct {
    const char* name;
    std::vector<DiffLine> before, after;
    std::vector<std::string> changes;
  } cases[] = {
      {"moved in the file, same number", {Line("1", "2", "P", "", "3"), Line("2", "1", "Q", "", "1")},
       {Line("2", "1", "Q", "", "1"), Line("1", "2", "P", "", "3")}, {}},
      {"renumbered", {Line("1", "2", "P", "R", "3")}, {Line("5", "2", "P", "R", "3")}, {"renumbered 1>5 0"}},
      {"another reference is another line", {Line("1", "2", "P", "R", "3")}, {Line("1", "2", "P", "S", "3")},
       {"added >1 6", "removed 1> -6"}},
      {"same part twice: the number decides", {Line("1", "4", "P", "", "1"), Line("2", "1", "P", "", "1")},
       {Line("2", "1", "P", "", "1"), Line("1", "5", "P", "", "1")}, {"quantity 1>1 1"}},
      {"same part twice, one renumbered", {Line("1", "4", "P", "", "1"), Line("2", "1", "P", "", "1")},
       {Line("1", "4", "P", "", "1"), Line("3", "1", "P", "", "1")}, {"renumbered 2>3 0"}},
      {"prices compare as numbers", {Line("1", "2", "P", "", "12.5")}, {Line("1", "2.0", "P", "", "12.50")}, {}},
      {"text prices count 0", {Line("1", "2", "P", "", "n/a")}, {Line("1", "3", "P", "", "7")},
       {"quantity, unit price 1>1 21"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Summary(CompareBoms(c.before, c.after)), c.changes) << c.name;
}

// The sample's report, and a revision with 3 lines added, 2 removed, 2 new quantities, 1 new price.
class DiffCommandTest : public ::testing::Test {
 protected:
  int Diff(std::vector<std::string> words) {
    words.insert(words.begin(), {"moldbom", "diff"});
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    out.str("");
    err.str("");
    return RunCli(static_cast<int>(argv.size()), argv.data(), CommandStreams{out, err});
  }

  const std::string before = MOLDBOM_TEST_DATA "/diff/old.csv";
  const std::string after = MOLDBOM_TEST_DATA "/diff/new.csv";
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(DiffCommandTest, TableOfTheRevision) {
  EXPECT_EQ(Diff({before, after}), 1);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(out.str(),
            "Change      Number  Part Number      Reference         Qty      Unit Price    Cost delta\n"
            "added          340  KT-EP 3x160      EP 3x160          2        5.9                +11.8\n"
            "added          350  TM-2417-13                         1        780                 +780\n"
            "added          360  ISO 4762 M8x30   SHCS M8x30; 12.9  4        0.6                 +2.4\n"
            "removed        120  KT-GB 24x56      GB 24x56          4        27.9              -111.6\n"
            "removed        250  KT-ZR 100x15     ZR 100x15         1        21.5               -21.5\n"
            "unit price      60  TM-2417-12                         1        2140 -> 2260        +120\n"
            "quantity       140  KT-EP 4x160      EP 4x160          7 -> 9   6.45               +12.9\n"
            "quantity       170  ISO 4762 M10x30  SHCS M10x30 12.9  8 -> 12  0.85                +3.4\n"
            "Total delta: +797.4\n");
}

TEST_F(DiffCommandTest, CsvOfTheRevision) {
  EXPECT_EQ(Diff({"--csv", before, after}), 1);
  EXPECT_EQ(out.str(),
            "change;old number;new number;part number;reference;old qty;new qty;old unit price;new unit price;"
            "cost delta\n"
            "added;;340;KT-EP 3x160;EP 3x160;;2;;5.9;11.8\n"
            "added;;350;TM-2417-13;;;1;;780;780\n"
            "added;;360;ISO 4762 M8x30;\"SHCS M8x30; 12.9\";;4;;0.6;2.4\n"
            "removed;120;;KT-GB 24x56;GB 24x56;4;;27.9;;-111.6\n"
            "removed;250;;KT-ZR 100x15;ZR 100x15;1;;21.5;;-21.5\n"
            "unit price;60;60;TM-2417-12;;1;1;2140;2260;120\n"
            "quantity;140;140;KT-EP 4x160;EP 4x160;7;9;6.45;6.45;12.9\n"
            "quantity;170;170;ISO 4762 M10x30;SHCS M10x30 12.9;8;12;0.85;0.85;3.4\n"
            "total;;;;;;;;;797.4\n");
}

TEST_F(DiffCommandTest, ExitCodes) {
  EXPECT_EQ(Diff({before, before}), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Diff({"--csv", before, before}), 0);
  EXPECT_EQ(out.str(), "change;old number;new number;part number;reference;old qty;new qty;old unit price;"
                       "new unit price;cost delta\ntotal;;;;;;;;;0\n");
  EXPECT_EQ(Diff({before, "/nonexistent.csv"}), 2);
  EXPECT_EQ(err.str(), "moldbom diff: /nonexistent.csv: cannot be read: No such file or directory\n");
  EXPECT_EQ(Diff({before}), 2);
}

}  // namespace
}  // namespace moldbom
