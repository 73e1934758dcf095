// Titles come from the dialog's catalog, so that a changed text moves the diff and the
// spreadsheet along with the table.
#include "ReportColumns.h"

#include <algorithm>

#include "QORMessages.h"

namespace moldbom {
namespace {

const char* TitleKey(ReportColumn column) {
  switch (column) {
    case ReportColumn::Number: return "TitleNUMBER";
    case ReportColumn::Quantity: return "TitleQUANTITY";
    case ReportColumn::PartNumber: return "TitlePARTNUMBER";
    case ReportColumn::Reference: return "TitleREFERENCE";
    case ReportColumn::Supplier: return "TitleSUPPLIER";
    case ReportColumn::UnitPrice: return "TitleUNITPRICE";
    case ReportColumn::Price: return "TitlePRICE";
  }
  return "";
}

}  // namespace

std::string ReportColumnTitle(ReportColumn column) {
  return QORTlgErrorServices::BuildMessage("QORMldBOMDlg", TitleKey(column)).Utf8();
}

std::optional<std::size_t> FindReportColumn(const std::vector<std::string>& titles, ReportColumn column) {
  const auto found = std::find(titles.begin(), titles.end(), ReportColumnTitle(column));
  if (found == titles.end()) return std::nullopt;
  return static_cast<std::size_t>(found - titles.begin());
}

}  // namespace moldbom
