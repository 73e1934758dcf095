// `moldbom diff`: two reports read back, compared, and shown as a table or as CSV.
#include "DiffCommand.h"

#include <memory>
#include <ostream>

#include "BomDiff.h"
#include "CsvReport.h"
#include "TableView.h"

namespace moldbom {
namespace {

// The line a change is about: the new one, or the old one when it was removed.
const DiffLine& Shown(const LineChange& change) {
  return change.kinds & LineChange::Removed ? change.before : change.after;
}

std::string Transition(const LineChange& change, int kind, std::string DiffLine::*cell) {
  if (!(change.kinds & kind)) return Shown(change).*cell;
  return change.before.*cell + " -> " + change.after.*cell;
}

std::string RenderText(const BomDiff& diff) {
  if (diff.changes.empty()) return {};
  TableSnapshot table;
  table.titles = {"Change",
                  ReportColumnTitle(ReportColumn::Number),
                  ReportColumnTitle(ReportColumn::PartNumber),
                  ReportColumnTitle(ReportColumn::Reference),
                  ReportColumnTitle(ReportColumn::Quantity),
                  ReportColumnTitle(ReportColumn::UnitPrice),
                  "Cost delta"};
  for (const LineChange& change : diff.changes)
    table.rows.push_back({DescribeChange(change.kinds), Transition(change, LineChange::Renumbered, &DiffLine::number),
                          Shown(change).partNumber, Shown(change).reference,
                          Transition(change, LineChange::Quantity, &DiffLine::quantity),
                          Transition(change, LineChange::UnitPrice, &DiffLine::unitPrice),
                          SignedDeltaText(change.costDelta)});
  table.totalLabel = "Total delta:";
  table.total = SignedDeltaText(diff.totalDelta);
  return RenderTable(table);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : ";") + CsvField(field);
  return line + "\n";
}

// One row per changed line, old and new values side by side, then a total row.
std::string RenderCsv(const BomDiff& diff) {
  std::string out = CsvLine({"change", "old number", "new number", "part number", "reference", "old qty", "new qty",
                             "old unit price", "new unit price", "cost delta"});
  for (const LineChange& change : diff.changes)
    out += CsvLine({DescribeChange(change.kinds), change.before.number, change.after.number,
                    Shown(change).partNumber, Shown(change).reference, change.before.quantity, change.after.quantity,
                    change.before.unitPrice, change.after.unitPrice, DeltaText(change.costDelta)});
  return out + CsvLine({"total", "", "", "", "", "", "", "", "", DeltaText(diff.totalDelta)});
}

Expected<std::vector<DiffLine>> LinesOfFile(const std::string& path) {
  const Expected<CsvReport> report = ReadCsvReport(path);
  if (!report) return report.Error();
  return DiffLinesOf(report.Value());
}

}  // namespace

Command AddDiffCommand(CLI::App& app) {
  auto options = std::make_shared<DiffOptions>();
  CLI::App* diff = app.add_subcommand("diff", "Show what changed between two CSV reports, and what it costs");
  diff->add_option("old", options->oldPath, "The earlier report")->required()->type_name("OLD.csv");
  diff->add_option("new", options->newPath, "The later report")->required()->type_name("NEW.csv");
  diff->add_flag("--csv", options->csv, "Print the changes as semicolon-separated values");
  return Command{diff, [options](const CommandStreams& streams) { return RunDiff(*options, streams); }};
}

int RunDiff(const DiffOptions& options, const CommandStreams& streams) {
  const Expected<std::vector<DiffLine>> before = LinesOfFile(options.oldPath);
  const Expected<std::vector<DiffLine>> after = before ? LinesOfFile(options.newPath) : before;
  for (const Expected<std::vector<DiffLine>>* lines : {&before, &after})
    if (!*lines) {
      streams.err << "moldbom diff: " << lines->Why() << "\n";
      return kExitBadInput;
    }
  const BomDiff diff = CompareBoms(before.Value(), after.Value());
  streams.out << (options.csv ? RenderCsv(diff) : RenderText(diff));
  return diff.changes.empty() ? kExitOk : kExitDiffers;
}

}  // namespace moldbom
