// Lines pair by what identifies a component to a buyer, not by number: keep mode may renumber.
#include "BomDiff.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

namespace moldbom {
namespace {

using LineKey = std::pair<std::string, std::string>;

LineKey KeyOf(const DiffLine& line) { return {line.partNumber, line.reference}; }

double Cost(const DiffLine& line) { return CellValue(line.quantity) * CellValue(line.unitPrice); }

int KindsOfChange(const DiffLine& before, const DiffLine& after) {
  int kinds = 0;
  if (CellValue(before.quantity) != CellValue(after.quantity)) kinds |= LineChange::Quantity;
  if (CellValue(before.unitPrice) != CellValue(after.unitPrice)) kinds |= LineChange::UnitPrice;
  if (before.number != after.number) kinds |= LineChange::Renumbered;
  return kinds;
}

// For each line after, the index of its line before, or -1.
std::vector<long> PairLines(const std::vector<DiffLine>& before, const std::vector<DiffLine>& after) {
  std::map<LineKey, std::vector<std::size_t>> beforeByKey;
  for (std::size_t i = 0; i < before.size(); ++i) beforeByKey[KeyOf(before[i])].push_back(i);
  std::vector<bool> taken(before.size(), false);
  std::vector<long> pairs(after.size(), -1);
  const auto pass = [&](bool sameNumberOnly) {
    for (std::size_t j = 0; j < after.size(); ++j) {
      if (pairs[j] >= 0) continue;
      const auto candidates = beforeByKey.find(KeyOf(after[j]));
      if (candidates == beforeByKey.end()) continue;
      for (std::size_t i : candidates->second) {
        if (taken[i] || (sameNumberOnly && before[i].number != after[j].number)) continue;
        taken[i] = true;
        pairs[j] = static_cast<long>(i);
        break;
      }
    }
  };
  pass(/*sameNumberOnly=*/true);
  pass(/*sameNumberOnly=*/false);
  return pairs;
}

}  // namespace

double CellValue(const std::string& cell) {
  const double value = std::strtod(cell.c_str(), nullptr);
  return std::isfinite(value) ? value : 0;
}

Expected<std::vector<DiffLine>> DiffLinesOf(const CsvReport& report) {
  std::size_t columns[5];
  const ReportColumn needed[5] = {ReportColumn::Number, ReportColumn::Quantity, ReportColumn::PartNumber,
                                  ReportColumn::Reference, ReportColumn::UnitPrice};
  for (int k = 0; k < 5; ++k) {
    Expected<std::size_t> column = report.Require(needed[k]);
    if (!column) return column.Error();
    columns[k] = column.Value();
  }
  std::vector<DiffLine> lines;
  for (const CsvReportRow& row : report.rows)
    lines.push_back({row.cells[columns[0]], row.cells[columns[1]], row.cells[columns[2]], row.cells[columns[3]],
                     row.cells[columns[4]]});
  return lines;
}

BomDiff CompareBoms(const std::vector<DiffLine>& before, const std::vector<DiffLine>& after) {
  const std::vector<long> pairs = PairLines(before, after);
  std::vector<bool> kept(before.size(), false);
  BomDiff diff;
  std::vector<LineChange> changed;
  for (std::size_t j = 0; j < after.size(); ++j) {
    if (pairs[j] < 0) {
      diff.changes.push_back({LineChange::Added, {}, after[j], Cost(after[j]), static_cast<long>(j)});
      continue;
    }
    const DiffLine& old = before[static_cast<std::size_t>(pairs[j])];
    kept[static_cast<std::size_t>(pairs[j])] = true;
    if (const int kinds = KindsOfChange(old, after[j]))
      changed.push_back({kinds, old, after[j], Cost(after[j]) - Cost(old), static_cast<long>(j)});
  }
  for (std::size_t i = 0; i < before.size(); ++i)
    if (!kept[i]) diff.changes.push_back({LineChange::Removed, before[i], {}, -Cost(before[i])});
  diff.changes.insert(diff.changes.end(), changed.begin(), changed.end());
  for (const LineChange& change : diff.changes) diff.totalDelta += change.costDelta;
  return diff;
}

std::string DeltaText(double value) {
  if (std::fabs(value) < 1e-9) return "0";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::string SignedDeltaText(double value) {
  const std::string text = DeltaText(value);
  return value > 0 && text != "0" ? "+" + text : text;
}

std::string DescribeChange(int kinds) {
  static const std::pair<int, const char*> kWords[] = {{LineChange::Added, "added"},
                                                       {LineChange::Removed, "removed"},
                                                       {LineChange::Quantity, "quantity"},
                                                       {LineChange::UnitPrice, "unit price"},
                                                       {LineChange::Renumbered, "renumbered"}};
  std::string text;
  for (const auto& [kind, word] : kWords)
    if (kinds & kind) text += (text.empty() ? "" : ", ") + std::string(word);
  return text;
}

}  // namespace moldbom
