// The fixed columns of a BOM report, found by the titles the dialog gives them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace moldbom {

enum class ReportColumn { Number, Quantity, PartNumber, Reference, Supplier, UnitPrice, Price };

// The title the dialog's catalog gives the column (the catalog's key when the text is missing).
std::string ReportColumnTitle(ReportColumn column);

// Where the column is among titles; none when it is not there.
std::optional<std::size_t> FindReportColumn(const std::vector<std::string>& titles, ReportColumn column);

}  // namespace moldbom
