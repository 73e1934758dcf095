// Reading the visible part of the BOM table and printing it aligned.
#include "TableView.h"

#include <algorithm>
#include <cstdlib>

#include "HostSession.h"
#include "QORDialogToolkit.h"
#include "WidgetKind.h"

namespace moldbom {
namespace {

// Width in characters: UTF-8 continuation bytes do not count.
std::size_t DisplayWidth(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

std::string CellOf(const std::vector<std::string>& row, std::size_t column) {
  return column < row.size() ? row[column] : std::string();
}

// A column is numeric when it holds at least one number and nothing but numbers.
bool IsNumericColumn(const TableSnapshot& table, std::size_t column) {
  bool sawNumber = false;
  for (const auto& row : table.rows) {
    const std::string cell = CellOf(row, column);
    if (cell.empty()) continue;
    if (!IsNumber(cell)) return false;
    sawNumber = true;
  }
  return sawNumber;
}

bool IsBlankRow(const std::vector<std::string>& row) {
  return std::all_of(row.begin(), row.end(), [](const std::string& cell) { return cell.empty(); });
}

void TrimRight(std::string& line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
}

struct Layout {
  std::vector<std::size_t> widths;
  std::vector<bool> rightAligned;
};

Layout LayOut(const TableSnapshot& table) {
  Layout layout;
  for (std::size_t c = 0; c < table.titles.size(); ++c) {
    std::size_t width = DisplayWidth(table.titles[c]);
    for (const auto& row : table.rows) width = std::max(width, DisplayWidth(CellOf(row, c)));
    layout.widths.push_back(width);
    layout.rightAligned.push_back(IsNumericColumn(table, c));
  }
  return layout;
}

std::string FormatLine(const std::vector<std::string>& cells, const Layout& layout) {
  std::string line;
  for (std::size_t c = 0; c < layout.widths.size(); ++c) {
    if (c > 0) line += "  ";
    const std::string cell = CellOf(cells, c);
    const std::string padding(layout.widths[c] - std::min(layout.widths[c], DisplayWidth(cell)), ' ');
    line += layout.rightAligned[c] ? padding + cell : cell + padding;
  }
  TrimRight(line);
  return line;
}

}  // namespace

TableSnapshot ReadVisibleTable(const QORDlgMultiList& list) {
  TableSnapshot table;
  std::vector<int> shown;
  for (int position = 0; position < list.GetColumnCount(); ++position) {
    if (list.GetColumnVisibility(position) != QORDlgShow) continue;
    shown.push_back(position);
    table.titles.push_back(list.GetColumnTitle(position).Utf8());
  }
  for (int row = 1; row < list.GetLineCount(); ++row) {
    std::vector<std::string> cells;
    for (int position : shown) {
      QORUnicodeString text;
      if (list.GetColumnItem(position, text, row) != S_OK) text.Empty();
      cells.push_back(text.Utf8());
    }
    table.rows.push_back(std::move(cells));
  }
  return table;
}

std::string RenderTable(const TableSnapshot& table) {
  const Layout layout = LayOut(table);
  std::string out = FormatLine(table.titles, layout) + "\n";
  for (const auto& row : table.rows)
    out += (IsBlankRow(row) ? std::string() : FormatLine(row, layout)) + "\n";
  if (!table.totalLabel.empty() || !table.total.empty()) {
    std::string total = table.totalLabel + (table.totalLabel.empty() ? "" : " ") + table.total;
    TrimRight(total);
    out += total + "\n";
  }
  return out;
}

std::optional<DialogTable> ReadDialogTable() {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  const auto* list = dialog ? As<QORDlgMultiList>(dialog->FindWidget("ListBOM")) : nullptr;
  if (!list) return std::nullopt;
  DialogTable read{ReadVisibleTable(*list), true};
  if (const auto* label = As<QORDlgLabel>(dialog->FindWidget("LbTotalPrice"))) read.table.totalLabel = label->GetTitle().Utf8();
  if (const auto* total = As<QORDlgEditor>(dialog->FindWidget("EditTotalPrice"))) read.table.total = total->GetLine().Utf8();
  const auto* integers = As<QORDlgRadioButton>(dialog->FindWidget("RadioInteger"));
  const auto* letters = As<QORDlgRadioButton>(dialog->FindWidget("RadioLetter"));
  read.integerNumbers = !(integers && letters && integers->GetState() == QORDlgUnchecked &&
                          letters->GetState() == QORDlgChecked);
  return read;
}

}  // namespace moldbom
