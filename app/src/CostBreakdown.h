// The price of the BOM table's lines by tooling type and by supplier, for the page's cost view.
#pragma once

#include <string>
#include <vector>

#include "Expected.h"

class QORMoldDocument;

namespace moldbom {

// One data row of the table.
struct CostLine {
  // The tooling type of the first instance under the analysed product that gives the row its part
  // number, reference and supplier; a line takes its values from its first instance.
  std::string type;
  bool typeFound = false;
  // Instances with the row's values differ in type: the first one's is counted.
  bool typeUncertain = false;
  std::string supplier;
  // The Price cell as the dialog reads it for its total: 0 when empty or no number.
  double price = 0;
};

struct CostBreakdown {
  std::vector<CostLine> lines;
  std::string total;  // the dialog's total as it shows it
};

// One bar of a chart: the lines of one type or supplier.
struct CostShare {
  std::string name;
  double price = 0;
  int lines = 0;
};

// Dearest first; lines without a type or supplier get a name that says so.
std::vector<CostShare> SharesByType(const std::vector<CostLine>& lines);
std::vector<CostShare> SharesBySupplier(const std::vector<CostLine>& lines);

// Host thread only: whether the running command's table has a row below its marker row.
bool CommandTableHasLines();

// Host thread only: the running command's table, hidden columns included, matched against the
// instances under the product it analysed (an instance path of the document).
Expected<CostBreakdown> ReadCostBreakdown(const QORMoldDocument& document, const std::string& analysedPath);

}  // namespace moldbom
