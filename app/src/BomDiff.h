// What changed between two revisions of a BOM: lines added, removed, with another quantity or
// unit price, or renumbered, and what each change costs.
#pragma once

#include <string>
#include <vector>

#include "CsvReport.h"
#include "Expected.h"

namespace moldbom {

// The cells of one BOM line that the comparison reads.
struct DiffLine {
  std::string number;
  std::string quantity;
  std::string partNumber;
  std::string reference;
  std::string unitPrice;
};

struct LineChange {
  enum Kind { Added = 1, Removed = 2, Quantity = 4, UnitPrice = 8, Renumbered = 16 };
  int kinds = 0;
  DiffLine before;  // empty when added
  DiffLine after;   // empty when removed
  double costDelta = 0;  // quantity x unit price after, less before
  long afterIndex = -1;  // of the line after among the lines compared; -1 when removed
};

struct BomDiff {
  // Added lines first, then removed, then changed ones, each in the order of its report.
  std::vector<LineChange> changes;
  double totalDelta = 0;
};

// The lines of a report; an error names the file and a column the comparison needs but lacks.
Expected<std::vector<DiffLine>> DiffLinesOf(const CsvReport& report);

// Lines are the same line when they have the same part number and reference; among several such
// lines, those with the same number pair first, then the rest in report order.
BomDiff CompareBoms(const std::vector<DiffLine>& before, const std::vector<DiffLine>& after);

// The words of a change, such as "quantity, unit price".
std::string DescribeChange(int kinds);

// A cost delta as the diff prints it: ten significant digits hide the binary noise of sums
// such as 0.1 + 0.2, and a rise carries its "+" when signed.
std::string DeltaText(double value);
std::string SignedDeltaText(double value);

// A number as the dialog reads a cell: the number it starts with, 0 when none.
double CellValue(const std::string& cell);

}  // namespace moldbom
