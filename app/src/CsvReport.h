// A CSV report as the report button writes it, read back: the date and project lines, the column
// titles and the table's rows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Expected.h"
#include "ReportColumns.h"

namespace moldbom {

struct CsvReportRow {
  int line = 0;  // where the row starts in the file, from 1
  std::vector<std::string> cells;  // one per title
};

struct CsvReport {
  std::string fileName;
  std::vector<std::string> dateLine;
  std::vector<std::string> projectLine;
  std::vector<std::string> titles;
  std::vector<CsvReportRow> rows;  // blank rows (every cell empty) are left out

  std::optional<std::size_t> Find(ReportColumn column) const { return FindReportColumn(titles, column); }
  // The column's index, or an error naming the file and the column's title.
  Expected<std::size_t> Require(ReportColumn column) const;
};

// Fields end at ";" (a last one without it counts too) and lines at LF or CR LF; a field in
// double quotes may hold ";", line breaks and "" for a quote. Errors name fileName and the line.
Expected<CsvReport> ParseCsvReport(std::string_view content, const std::string& fileName);
Expected<CsvReport> ReadCsvReport(const std::string& path);

}  // namespace moldbom
