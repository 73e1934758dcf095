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
  XlsxContent letters = Content({"Number", "Qty"}, {{"1", "2"}});
  letters.integerNumbers = false;
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
      {"letter numbers", letters, {"t:1", "n:2"}, {"t:Total price:", "n:37.5"}},
  };
  for (const auto& c : cases) {
    const std::vector<std::vector<std::string>> rows = Shown(LayOutSheet(c.content));
    ASSERT_GE(rows.size(), 4u) << c.name;
    EXPECT_EQ(rows[3], c.firstRow) << c.name;
    EXPECT_EQ(rows.back(), c.totalRow) << c.name;
  }
}

std::string ReportBody(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  return text.substr(std::min(text.find('\n') + 1, text.size()));  // without the date line
}

TEST(XlsxReportTest, SpreadsheetBesideAnUnchangedCsv) {
  const fs::path dir = fs::path(::testing::TempDir()) / "moldbom-xlsx-report";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ostringstream out, err;
  ReportOptions options;
  options.sort = true;
  options.csvPath = (dir / "plain.csv").string();
  ASSERT_EQ(RunReport(options, {out, err}), 0) << err.str();

  options.csvPath.reset();
  options.xlsxPath = (dir / "bom.xlsx").string();
  ASSERT_EQ(RunReport(options, {out, err}), 0) << err.str();
  EXPECT_NE(out.str().find("report: " + (dir / "bom.csv").string() + "\nspreadsheet: " + *options.xlsxPath + "\n"),
            std::string::npos)
      << out.str();
  EXPECT_EQ(ReportBody(dir / "bom.csv"), ReportBody(dir / "plain.csv"));
  EXPECT_GT(fs::file_size(dir / "bom.xlsx"), 0u);

  options.xlsxPath = (dir / "bom.csv").string();
  EXPECT_EQ(RunReport(options, {out, err}), 2);
  EXPECT_NE(err.str().find("moldbom report: --xlsx: " + (dir / "bom.csv").string() + " is the CSV report's name too\n"),
            std::string::npos);
}

}  // namespace
}  // namespace moldbom
