// The BOM table as a person reads it in a terminal: visible columns aligned, then the total.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QORDlgMultiList;

namespace moldbom {

struct TableSnapshot {
  std::vector<std::string> titles;
  // Data rows and the blank lines between groups, each with one cell per title.
  std::vector<std::vector<std::string>> rows;
  std::string totalLabel;
  std::string total;
};

// The visible columns of a table in display order, and its rows below the marker row.
TableSnapshot ReadVisibleTable(const QORDlgMultiList& list);

// The running command's report table as its dialog shows it, with the total and whether the
// numbers are integers (letters only when both numbering buttons say so). Host thread only; none
// when no dialog shows the table.
struct DialogTable {
  TableSnapshot table;
  bool integerNumbers = true;
};
std::optional<DialogTable> ReadDialogTable();

// A header line, one line per row (an empty line for a blank row), then the total. Columns are
// as wide as their widest cell in characters, two blanks apart; a column of numbers is aligned
// right. No line ends in blanks.
std::string RenderTable(const TableSnapshot& table);

}  // namespace moldbom
