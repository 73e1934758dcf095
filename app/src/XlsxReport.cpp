// The spreadsheet is laid out from the table the CSV report is written from, then handed to
// libxlsxwriter; the file services put it in place like every other report.
#include "XlsxReport.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

#include "QORSystemServices.h"
#include "ReportColumns.h"

namespace moldbom {
namespace {

// Wider columns than this are rather left to wrap or be widened by hand.
constexpr double kMaxColumnWidth = 60;

// The whole text as a number, as a person reads it: no blanks, no hexadecimal, finite.
std::optional<double> NumberIn(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) ||
      text.find_first_of("xX") != std::string::npos)
    return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string CellName(std::size_t row, std::size_t column) {
  std::string letters;
  for (std::size_t c = column + 1; c > 0; c = (c - 1) / 26) letters.insert(0, 1, static_cast<char>('A' + (c - 1) % 26));
  return letters + std::to_string(row + 1);
}

std::size_t DisplayWidth(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

SheetCell TextCell(const std::string& text) {
  return text.empty() ? SheetCell{} : SheetCell{SheetCell::Text, text, 0};
}

struct Columns {
  std::optional<std::size_t> number, quantity, unitPrice, price;

  bool IsNumeric(std::size_t c) const { return c == number || c == quantity || c == unitPrice || c == price; }
};

std::vector<SheetCell> DataRow(const std::vector<std::string>& cells, std::size_t sheetRow, const Columns& columns) {
  std::vector<SheetCell> row;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const std::string& text = cells[c];
    const std::optional<double> number = columns.IsNumeric(c) ? NumberIn(text) : std::nullopt;
    if (text.empty() || !number) {
      row.push_back(TextCell(text));
      continue;
    }
    const std::optional<double> quantity = columns.quantity ? NumberIn(cells[*columns.quantity]) : std::nullopt;
    const std::optional<double> unitPrice = columns.unitPrice ? NumberIn(cells[*columns.unitPrice]) : std::nullopt;
    if (c == columns.price && quantity && unitPrice)
      row.push_back({SheetCell::Formula,
                     CellName(sheetRow, *columns.quantity) + "*" + CellName(sheetRow, *columns.unitPrice),
                     *quantity * *unitPrice});
    else
      row.push_back({SheetCell::Number, text, *number});
  }
  return row;
}

// The Price column's sum below its title when it is shown; the dialog's total beside its label
// otherwise.
std::vector<SheetCell> TotalRow(const SheetLayout& sheet, const XlsxContent& content, const Columns& columns) {
  const std::size_t width = std::max<std::size_t>(content.table.titles.size(), 2);
  std::vector<SheetCell> row(width);
  const std::size_t firstData = static_cast<std::size_t>(sheet.titleRow) + 1;
  const bool hasData = sheet.rows.size() > firstData;
  const bool sumsPrices = columns.price && hasData;
  const std::size_t valueColumn = sumsPrices ? *columns.price : 1;
  row[valueColumn == 0 ? 1 : valueColumn - 1] = TextCell(content.table.totalLabel);
  if (!sumsPrices) {
    const std::optional<double> total = NumberIn(content.table.total);
    row[valueColumn] = total ? SheetCell{SheetCell::Number, content.table.total, *total} : TextCell(content.table.total);
    return row;
  }
  double sum = 0;
  for (std::size_t r = firstData; r < sheet.rows.size(); ++r) sum += sheet.rows[r][valueColumn].value;
  row[valueColumn] = {SheetCell::Formula,
                      "SUM(" + CellName(firstData, valueColumn) + ":" + CellName(sheet.rows.size() - 1, valueColumn) + ")",
                      sum};
  return row;
}

std::string ShownText(const SheetCell& cell) {
  if (cell.kind != SheetCell::Formula) return cell.text;
  char text[32];
  std::snprintf(text, sizeof text, "%g", cell.value);
  return text;
}

// The lines above the title row may overflow into the empty cells beside them.
std::vector<double> FittedWidths(const SheetLayout& sheet) {
  std::vector<double> widths;
  for (std::size_t r = static_cast<std::size_t>(sheet.titleRow); r < sheet.rows.size(); ++r)
    for (std::size_t c = 0; c < sheet.rows[r].size(); ++c) {
      if (widths.size() <= c) widths.resize(c + 1, 0);
      const double width = static_cast<double>(DisplayWidth(ShownText(sheet.rows[r][c]))) + 2;
      widths[c] = std::min(std::max(widths[c], width), kMaxColumnWidth);
    }
  return widths;
}

Expected<std::string> ReadWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  if (!file) return Failure{"cannot read back the spreadsheet from " + path};
  return bytes.str();
}

Expected<std::string> SpreadsheetBytes(const SheetLayout& sheet, const std::string& scratch) {
  lxw_workbook* book = workbook_new(scratch.c_str());
  if (!book) return Failure{"cannot start a spreadsheet in " + scratch};
  lxw_worksheet* worksheet = workbook_add_worksheet(book, "BOM");
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);
  for (std::size_t r = 0; r < sheet.rows.size(); ++r)
    for (std::size_t c = 0; c < sheet.rows[r].size(); ++c) {
      const SheetCell& cell = sheet.rows[r][c];
      lxw_format* format = static_cast<int>(r) == sheet.titleRow ? bold : nullptr;
      const auto row = static_cast<lxw_row_t>(r);
      const auto column = static_cast<lxw_col_t>(c);
      if (cell.kind == SheetCell::Text) worksheet_write_string(worksheet, row, column, cell.text.c_str(), format);
      if (cell.kind == SheetCell::Number) worksheet_write_number(worksheet, row, column, cell.value, format);
      if (cell.kind == SheetCell::Formula)
        worksheet_write_formula_num(worksheet, row, column, cell.text.c_str(), format, cell.value);
    }
  worksheet_freeze_panes(worksheet, static_cast<lxw_row_t>(sheet.titleRow + 1), 0);
  for (std::size_t c = 0; c < sheet.widths.size(); ++c)
    worksheet_set_column(worksheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), sheet.widths[c], nullptr);
  if (const lxw_error closed = workbook_close(book); closed != LXW_NO_ERROR)
    return Failure{std::string("the spreadsheet could not be made: ") + lxw_strerror(closed)};
  return ReadWhole(scratch);
}

// A private file for libxlsxwriter, which writes to a name; removed when done.
class ScratchFile {
 public:
  ScratchFile() {
    std::string name = (std::filesystem::temp_directory_path() / "moldbom-XXXXXX.xlsx").string();
    const int fd = mkstemps(name.data(), 5);
    if (fd < 0) return;
    close(fd);
    path_ = name;
  }
  ~ScratchFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

SheetLayout LayOutSheet(const XlsxContent& content) {
  SheetLayout sheet;
  for (const std::vector<std::string>& line : content.linesAbove) {
    sheet.rows.emplace_back();
    for (const std::string& field : line) sheet.rows.back().push_back(TextCell(field));
  }
  sheet.titleRow = static_cast<int>(sheet.rows.size());
  sheet.rows.emplace_back();
  for (const std::string& title : content.table.titles) sheet.rows.back().push_back(TextCell(title));

  const std::vector<std::string>& titles = content.table.titles;
  Columns columns{content.integerNumbers ? FindReportColumn(titles, ReportColumn::Number) : std::nullopt,
                  FindReportColumn(titles, ReportColumn::Quantity), FindReportColumn(titles, ReportColumn::UnitPrice),
                  FindReportColumn(titles, ReportColumn::Price)};
  for (std::vector<std::string> cells : content.table.rows) {
    cells.resize(titles.size());
    sheet.rows.push_back(DataRow(cells, sheet.rows.size(), columns));
  }
  sheet.rows.push_back(TotalRow(sheet, content, columns));
  sheet.widths = FittedWidths(sheet);
  return sheet;
}

Expected<std::string> XlsxBytes(const SheetLayout& sheet) {
  const ScratchFile scratch;
  if (scratch.Path().empty()) return Failure{"no scratch file for the spreadsheet"};
  return SpreadsheetBytes(sheet, scratch.Path());
}

Outcome WriteXlsx(const SheetLayout& sheet, const std::string& path) {
  const Expected<std::string> bytes = XlsxBytes(sheet);
  if (!bytes) return Failure{path, 0, 0, "not saved: " + bytes.Why()};
  unsigned int file = 0;
  if (FAILED(QORFOpen(QORUnicodeString(path.c_str()), "w+b", &file)))
    return Failure{path, 0, 0, "not saved: it cannot be opened for writing"};
  const std::string& data = bytes.Value();
  const bool written = SUCCEEDED(QORFWrite(file, data.data(), static_cast<unsigned int>(data.size()), nullptr));
  if (FAILED(QORFClose(file)) || !written) return Failure{path, 0, 0, "not saved; the previous file is kept"};
  return {};
}

}  // namespace moldbom
