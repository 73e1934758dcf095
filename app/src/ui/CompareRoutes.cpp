// The comparison route: the report is read and compared here, the table on the host thread, and
// the answer names each changed line by its row in the table so that the page can mark it.
#include "CompareRoutes.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include "BomDiff.h"
#include "CsvReport.h"
#include "JsonResponse.h"
#include "ReportColumns.h"
#include "UiHost.h"
#include "Workspace.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

constexpr int kKinds[] = {LineChange::Added, LineChange::Quantity, LineChange::UnitPrice, LineChange::Renumbered};

// The table as a report read back, each row's line being its row in the dialog's list (the
// marker row is 0), so that the comparison finds the columns by their titles as it does in a file.
CsvReport AsReport(const TableSnapshot& table) {
  CsvReport report;
  report.fileName = "the BOM table";
  report.titles = table.titles;
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    const std::vector<std::string>& cells = table.rows[r];
    if (std::all_of(cells.begin(), cells.end(), [](const std::string& cell) { return cell.empty(); })) continue;
    report.rows.push_back({static_cast<int>(r + 1), cells});
  }
  return report;
}

Json LineJson(const DiffLine& line) {
  return {{"number", line.number},
          {"quantity", line.quantity},
          {"partNumber", line.partNumber},
          {"reference", line.reference},
          {"unitPrice", line.unitPrice}};
}

Json ChangeWords(int kinds) {
  Json words = Json::array();
  for (const int kind : kKinds)
    if (kinds & kind) words.push_back(DescribeChange(kind));
  return words;
}

Json DiffJson(const BomDiff& diff, const CsvReport& table, const std::string& reportName, long version) {
  Json rows = Json::array();
  Json removed = Json::array();
  for (const LineChange& change : diff.changes) {
    if (change.kinds & LineChange::Removed) {
      removed.push_back({{"line", LineJson(change.before)}, {"delta", SignedDeltaText(change.costDelta)}});
      continue;
    }
    rows.push_back({{"row", table.rows[static_cast<std::size_t>(change.afterIndex)].line},
                    {"kinds", ChangeWords(change.kinds)},
                    {"before", LineJson(change.before)},
                    {"delta", SignedDeltaText(change.costDelta)}});
  }
  // The page finds the changed cells by these titles, as the comparison found the columns.
  const Json columns = {{"number", ReportColumnTitle(ReportColumn::Number)},
                        {"quantity", ReportColumnTitle(ReportColumn::Quantity)},
                        {"partNumber", ReportColumnTitle(ReportColumn::PartNumber)},
                        {"reference", ReportColumnTitle(ReportColumn::Reference)},
                        {"unitPrice", ReportColumnTitle(ReportColumn::UnitPrice)}};
  return {{"report", reportName}, {"version", version}, {"columns", columns},
          {"rows", rows},         {"removed", removed}, {"totalDelta", SignedDeltaText(diff.totalDelta)}};
}

void Compare(const httplib::Request& request, httplib::Response& response, UiHost& host, const Workspace& workspace) {
  if (request.get_param_value_count("report") != 1) return SendJson(response, 400, {{"error", "name one report"}});
  const std::string name = request.get_param_value("report");
  const Expected<WorkspacePath> path = workspace.ResolveFile(name);
  if (!path) return SendJson(response, 400, {{"error", path.Why()}});
  const Expected<CsvReport> report = ReadCsvReport(path.Value().forModule);
  const Expected<std::vector<DiffLine>> before = report ? DiffLinesOf(report.Value()) : report.Error();
  if (!before) return SendJson(response, 422, {{"error", before.Why()}});
  const Expected<UiHost::ShownTable> shown = host.ReadTable();
  if (!shown) return SendJson(response, 409, {{"error", shown.Why()}});
  const CsvReport table = AsReport(shown.Value().table.table);
  const Expected<std::vector<DiffLine>> after = DiffLinesOf(table);
  if (!after) return SendJson(response, 409, {{"error", after.Why()}});
  const BomDiff diff = CompareBoms(before.Value(), after.Value());
  SendJson(response, 200, DiffJson(diff, table, path.Value().relative, shown.Value().version));
}

}  // namespace

void AddCompareRoutes(httplib::Server& server, UiHost& host, const Workspace& workspace) {
  server.Get("/api/compare", [&host, &workspace](const httplib::Request& request, httplib::Response& response) {
    Compare(request, response, host, workspace);
  });
}

}  // namespace moldbom
