// The spreadsheet report: which cells are numbers, text or formulas, where the total goes, and
// `moldbom report --xlsx` leaving the CSV beside it byte for byte as a CSV run does.
#include "XlsxReport.h"

#include "ReportCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace moldbom {
namespace {

namespace fs = std::filesystem;

// A cell as "n:VALUE", "t:TEXT", "f:FORMULA=VALUE" or "" for an empty one.
std::string Show(const SheetCell& cell) {
  std::ostringstream text;
  if (cell.kind == SheetCell::Number) text << "n:" << cell.value;
  if (cell.kind == SheetCell::Text) text << "t:" << cell.text;
  if (cell.kind == SheetCell::Formula) text << "f:" << cell.text << "=" << cell.value;
  return text.str();
}

std::vector<std::vector<std::string>> Shown(const SheetLayout& sheet) {
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : sheet.rows) {
    rows.emplace_back();
    for (const SheetCell& cell : row) rows.back().push_back(Show(cell));
  }
  return rows;
}

XlsxContent Content(std::vector<std::string> titles, std::vector<std::vector<std::string>> rows) {
  XlsxContent content;
  content.linesAbove = {{"Date: today"}, {"Project: /M", "Owner", "jane"}};
  content.table.titles = std::move(titles);
  content.table.rows = std::move(rows);
  content.table.totalLabel = "Total price:";
  content.table.total = "37.5";
  return content;
}

TEST(XlsxLayoutTest, NumbersFormulasAndTextByColumn) {
  const SheetLayout sheet = LayOutSheet(Content({"Number", "Qty", "Part Number", "Unit Price", "Price"},
                                                {{"10", "2", "007", "12.5", "25"},
                                                 {"20", "2", "P", "n/a", "0"},
                                                 {"", "", "", "", ""},
                                                 {"30", "1", "-5", "5.0", ""},
                                                 {"40", "x", "Q", "3", "12.5"}}));
  EXPECT_EQ(sheet.titleRow, 2);
  const std::vector<std::vector<std::string>> expected = {
      {"t:Date: today"},
      {"t:Project: /M", "t:Owner", "t:jane"},
      {"t:Number", "t:Qty", "t:Part Number", "t:Unit Price", "t:Price"},
      {"n:10", "n:2", "t:007", "n:12.5", "f:B4*D4=25"},
      {"n:20", "n:2", "t:P", "t:n/a", "n:0"},
      {"", "", "", "", ""},
      {"n:30", "n:1", "t:-5", "n:5", ""},
      {"n:40", "t:x", "t:Q", "n:3", "n:12.5"},
      {"", "", "", "t:Total price:", "f:SUM(E4:E8)=37.5"},
  };
  EXPECT_EQ(Shown(sheet), expected);
  EXPECT_EQ(sheet.widths, (std::vector<double>{8, 5, 13, 14, 7})) << "widest text and two";
}

TEST(XlsxLayoutTest, ColumnsAsTheTableShowsThem) {
  const struct {
    const char* name;
    XlsxContent content;
    std::vector<std::string> firstRow, totalRow;  // the row below the titles, and the last one
  } cases[] = {
      {"moved columns", Content({"Price", "Unit Price", "Number", "Qty"}, {{"7.5", "2.5", "1", "3"}}),
       {"f:D4*B4=7.5", "n:2.5", "n:1", "n:3"}, {"f:SUM(A4:A4)=7.5", "t:Total price:", "", ""}},
      {"price hidden", Content({"Number", "Qty", "Unit Price"}, {{"1", "3", "2.5"}}), {"n:1", "n:3", "n:2.5"},
       {"t:Total price:", "n:37.5", ""}},
      {"quantity hidden", Content({"Number", "Unit Price", "Price"}, {{"1", "2.5", "7.5"}}),
       {"n:1", "n:2.5", "n:7.5"}, {"", "t:Total price:", "f:SUM(C4:C4)=7.5"}},
      {"no lines", Content({"Number", "Price"}, {}), {"t:Total price:", "n:37.5"}, {"t:Total price:", "n:37.5"}},
  };
  for (const auto& c : cases) {
    const std::vector<std::vector<std::string>> rows = Shown(LayOutSheet(c.content));
    ASSERT_GE(rows.size(), 4u) << c.name;
    EXPECT_EQ(rows[3], c.firstRow) << c.name;
    EXPECT_EQ(rows.back(), c.totalRow) << c.name;
  }
}

TEST(XlsxLayoutTest, LetterNumbersStayText) {
  XlsxContent content = Content({"Number", "Qty"}, {{"1", "2"}});
  content.integerNumbers = false;
  EXPECT_EQ(Shown(LayOutSheet(content))[3], (std::vector<std::string>{"t:1", "n:2"}));
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The report without its first line, which holds the date of the run.
std::string WithoutDate(const std::string& csv) { return csv.substr(std::min(csv.find('\n') + 1, csv.size())); }

class XlsxReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) / "moldbom-xlsx-report";
    fs::remove_all(dir);
    fs::create_directories(dir);
  }

  int Run(const ReportOptions& options) {
    out.str("");
    err.str("");
    return RunReport(options, CommandStreams{out, err});
  }

  fs::path dir;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(XlsxReportTest, SpreadsheetBesideAnUnchangedCsv) {
  ReportOptions options;
  options.sort = true;
  options.csvPath = (dir / "plain.csv").string();
  ASSERT_EQ(Run(options), 0) << err.str();

  options.csvPath.reset();
  options.xlsxPath = (dir / "bom.xlsx").string();
  ASSERT_EQ(Run(options), 0) << err.str();
  EXPECT_NE(out.str().find("report: " + (dir / "bom.csv").string() + "\nspreadsheet: " + *options.xlsxPath + "\n"),
            std::string::npos)
      << out.str();
  EXPECT_EQ(WithoutDate(ReadFile(dir / "bom.csv")), WithoutDate(ReadFile(dir / "plain.csv")));
  EXPECT_EQ(ReadFile(dir / "bom.xlsx").substr(0, 2), "PK") << "a zip archive";

  options.xlsxPath = (dir / "bom.csv").string();
  EXPECT_EQ(Run(options), 2);
  EXPECT_EQ(err.str(), "moldbom report: --xlsx: " + (dir / "bom.csv").string() + " is the CSV report's name too\n");
}

}  // namespace
}  // namespace moldbom
