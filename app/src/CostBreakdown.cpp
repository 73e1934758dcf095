// The module keeps each line's tooling type to itself; the type is found again here from the
// instances whose values the line shows.
#include "CostBreakdown.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "BomDiff.h"
#include "HostSession.h"
#include "QORDialogToolkit.h"
#include "QORProductStructure.h"
#include "ReportColumns.h"
#include "ToolingType.h"
#include "WidgetKind.h"

namespace moldbom {
namespace {

using LineKey = std::tuple<std::string, std::string, std::string>;  // part number, reference, supplier

struct TypeOfKey {
  std::string type;
  bool uncertain = false;
};

// Which of reference and supplier the table shows a column for; a key leaves the others out.
struct KeyColumns {
  bool hasReference = false;
  bool hasSupplier = false;
  LineKey Key(std::string partNumber, std::string reference, std::string supplier) const {
    return {std::move(partNumber), hasReference ? std::move(reference) : std::string(),
            hasSupplier ? std::move(supplier) : std::string()};
  }
};

std::string Read(HRESULT (QORIPrdProperties::*read)(QORUnicodeString&), const QORIPrdProperties_var& properties) {
  QORUnicodeString text;
  return SUCCEEDED(((*properties.Get()).*read)(text)) ? text.Utf8() : std::string();
}

// The instances that give BOM lines: parts and mold components whose BOM flag is not false, with
// the values a line of theirs shows, in walk order below the analysed product.
std::map<LineKey, TypeOfKey> TypesOfInstances(const QORMoldDocument& document, const std::string& analysedPath,
                                             const KeyColumns& columns) {
  std::map<LineKey, TypeOfKey> types;
  std::optional<int> analysedDepth;
  bool past = false;
  document.Walk([&](const QORIProduct_var& instance, int depth) {
    if (past) return;
    if (!analysedDepth) {
      if (QORMoldDocument::InstancePath(instance) == analysedPath) analysedDepth = depth;
      return;
    }
    if (depth <= *analysedDepth) {
      past = true;
      return;
    }
    const std::optional<std::string> component = ComponentTypeOf(instance);
    if (!component && !QORPrdIsAProductFromQORPart(instance)) return;
    std::string reference, supplier;
    if (const QORIPrdProperties_var properties(instance); properties) {
      QORBoolean inBOM = TRUE;
      if (SUCCEEDED(properties->GetBOMFlag(inBOM))) {
        if (!inBOM) return;
        reference = Read(&QORIPrdProperties::GetReference, properties);
        supplier = Read(&QORIPrdProperties::GetSupplier, properties);
      }
    }
    const std::string type = ToolingTypeOf(instance);
    const auto [found, added] =
        types.try_emplace(columns.Key(instance->GetPartNumber().Utf8(), std::move(reference), std::move(supplier)),
                          TypeOfKey{type});
    if (!added && found->second.type != type) found->second.uncertain = true;
  });
  return types;
}

// Every column of the table, shown or hidden: titles, then each row's cells.
struct WholeTable {
  std::vector<std::string> titles;
  std::vector<std::vector<std::string>> rows;  // below the marker row
};

WholeTable ReadWholeTable(const QORDlgMultiList& list) {
  WholeTable table;
  for (int position = 0; position < list.GetColumnCount(); ++position)
    table.titles.push_back(list.GetColumnTitle(position).Utf8());
  for (int row = 1; row < list.GetLineCount(); ++row) {
    std::vector<std::string>& cells = table.rows.emplace_back();
    for (int position = 0; position < list.GetColumnCount(); ++position) {
      QORUnicodeString text;
      cells.push_back(list.GetColumnItem(position, text, row) == S_OK ? text.Utf8() : std::string());
    }
  }
  return table;
}

std::vector<CostShare> Shares(const std::vector<CostLine>& lines, std::string (*nameOf)(const CostLine&)) {
  std::map<std::string, CostShare> byName;
  for (const CostLine& line : lines) {
    const std::string name = nameOf(line);
    CostShare& share = byName.try_emplace(name, CostShare{name}).first->second;
    share.price += line.price;
    ++share.lines;
  }
  std::vector<CostShare> shares;
  for (auto& [name, share] : byName) shares.push_back(std::move(share));
  std::stable_sort(shares.begin(), shares.end(), [](const CostShare& a, const CostShare& b) { return a.price > b.price; });
  return shares;
}

const QORDlgMultiList* CommandTable(QORDlgDialog* dialog) {
  return dialog ? As<QORDlgMultiList>(dialog->FindWidget("ListBOM")) : nullptr;
}

}  // namespace

std::vector<CostShare> SharesByType(const std::vector<CostLine>& lines) {
  return Shares(lines, [](const CostLine& line) {
    if (!line.typeFound) return std::string("Not found in the mold");
    return line.type.empty() ? std::string("Other parts") : line.type;
  });
}

std::vector<CostShare> SharesBySupplier(const std::vector<CostLine>& lines) {
  return Shares(lines, [](const CostLine& line) { return line.supplier.empty() ? std::string("No supplier") : line.supplier; });
}

bool CommandTableHasLines() {
  const QORDlgMultiList* list = CommandTable(HostSession::CommandDialog());
  return list && list->GetLineCount() > 1;
}

Expected<CostBreakdown> ReadCostBreakdown(const QORMoldDocument& document, const std::string& analysedPath) {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  const QORDlgMultiList* list = CommandTable(dialog);
  if (!list) return Failure{"no Bill of Materials table is open"};
  const WholeTable table = ReadWholeTable(*list);
  const auto partNumber = FindReportColumn(table.titles, ReportColumn::PartNumber);
  const auto price = FindReportColumn(table.titles, ReportColumn::Price);
  if (!partNumber || !price)
    return Failure{"the table has no column titled " +
                   ReportColumnTitle(partNumber ? ReportColumn::Price : ReportColumn::PartNumber)};
  const auto reference = FindReportColumn(table.titles, ReportColumn::Reference);
  const auto supplier = FindReportColumn(table.titles, ReportColumn::Supplier);
  const KeyColumns keyColumns{reference.has_value(), supplier.has_value()};
  const std::map<LineKey, TypeOfKey> types = TypesOfInstances(document, analysedPath, keyColumns);

  CostBreakdown breakdown;
  if (const auto* total = As<QORDlgEditor>(dialog->FindWidget("EditTotalPrice"))) breakdown.total = total->GetLine().Utf8();
  const auto cell = [](const std::vector<std::string>& row, std::optional<std::size_t> column) {
    return column ? row[*column] : std::string();
  };
  for (const std::vector<std::string>& row : table.rows) {
    // Blank rows part the type groups of a sorted table.
    if (std::all_of(row.begin(), row.end(), [](const std::string& text) { return text.empty(); })) continue;
    CostLine line;
    line.supplier = cell(row, supplier);
    line.price = CellValue(row[*price]);
    if (const auto found = types.find(keyColumns.Key(row[*partNumber], cell(row, reference), line.supplier));
        found != types.end()) {
      line.type = found->second.type;
      line.typeFound = true;
      line.typeUncertain = found->second.uncertain;
    }
    breakdown.lines.push_back(std::move(line));
  }
  return breakdown;
}

}  // namespace moldbom
