// The BOM report as a spreadsheet: the visible table with numbers as numbers, prices as formulas
// and a total row, below the CSV report's date and project lines.
#pragma once

#include <string>
#include <vector>

#include "Expected.h"
#include "TableView.h"

namespace moldbom {

struct XlsxContent {
  std::vector<std::vector<std::string>> linesAbove;  // the CSV report's first two lines
  TableSnapshot table;
  bool integerNumbers = true;  // numbers are integers, not letter labels
};

struct SheetCell {
  enum Kind { Empty, Text, Number, Formula };
  Kind kind = Empty;
  std::string text;   // the text, or the formula without "="
  double value = 0;   // the number, or the formula's value
};

struct SheetLayout {
  std::vector<std::vector<SheetCell>> rows;
  int titleRow = 0;  // bold, and frozen with the rows above it
  std::vector<double> widths;  // in characters, one per column
};

// Cells of the Qty, Unit Price and Price columns, and of Number with integer numbers, that read
// as a number whole are numbers; a price is quantity x unit price when both are numbers in its
// row; the total row sums the Price column, or gives the dialog's total when that is hidden.
SheetLayout LayOutSheet(const XlsxContent& content);

// The sheet as the bytes of an .xlsx file.
Expected<std::string> XlsxBytes(const SheetLayout& sheet);

// Writes the sheet to path as the file services write every report: whole, or not at all.
Outcome WriteXlsx(const SheetLayout& sheet, const std::string& path);

}  // namespace moldbom
