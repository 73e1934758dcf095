// JSON views of the host's widget model and product structure for the page.
#include "UiSnapshot.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "HostSession.h"
#include "ProductParameters.h"
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "QOREditor.h"
#include "QORFileBoxes.h"
#include "QORMoldComponents.h"
#include "QORProductStructure.h"
#include "ToolingType.h"
#include "WidgetKind.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

// Host strings are UTF-8; a stray byte is replaced when the JSON is written, so that one bad name
// cannot stop the page from updating.
std::string Utf8(const QORUnicodeString& text) { return text.Utf8(); }

Json Ids(const std::vector<QORDialog*>& widgets) {
  Json ids = Json::array();
  for (const QORDialog* widget : widgets) ids.push_back(widget ? widget->GetName() : "");
  return ids;
}

Json FrameLayout(const QORDialog& widget) {
  Json layout = Json::object();
  if (const auto* frame = As<QORDlgFrame>(&widget)) {
    layout["allSides"] = Ids(frame->GetAttachedToAllSides());
    Json tabs = Json::array();
    for (const QORDlgFrame::Attachment& a : frame->GetAttachments())
      tabs.push_back({{"vertical", a.vertical}, {"tab", a.tab}, {"mode", a.mode}, {"child", a.child ? a.child->GetName() : ""}});
    layout["tabs"] = std::move(tabs);
    layout["orientation"] = frame->GetDefaultOrientation();
  }
  if (const auto* dialog = As<QORDlgDialog>(&widget)) {
    layout["allSides"] = Ids(dialog->GetAttachedToAllSides());
    layout["tabs"] = Json::array();
    layout["orientation"] = dialog->GetDefaultOrientation();
  }
  return layout;
}

// A row as the page draws it: the cells up to the last shown column, a hidden one as null.
PageState::Row RowJson(const QORDlgMultiList& list, int row, const std::vector<bool>& shown) {
  Json cells = Json::array();
  Json icons = Json::object();
  for (std::size_t position = 0; position < shown.size(); ++position) {
    const int at = static_cast<int>(position);
    if (!shown[position]) {
      cells.push_back(nullptr);
      continue;
    }
    QORUnicodeString text;
    cells.push_back(list.GetColumnItem(at, text, row) == S_OK ? Utf8(text) : std::string());
    if (const QORUnicodeString icon = list.GetCellIcon(at, row); !icon.IsEmpty()) icons[std::to_string(position)] = Utf8(icon);
  }
  return std::make_shared<const Json>(Json{{"cells", std::move(cells)},
                                           {"icons", std::move(icons)},
                                           {"editable", list.GetRowEditable(row) != 0},
                                           {"selected", list.IsRowSelected(row)}});
}

Json ListJson(const QORDlgMultiList& list) {
  Json columns = Json::array();
  for (int position = 0; position < list.GetColumnCount(); ++position)
    columns.push_back({{"title", Utf8(list.GetColumnTitle(position))},
                       {"width", list.GetColumnTextWidth(position)},
                       {"visible", list.GetColumnVisibility(position) == QORDlgShow},
                       {"editable", list.GetColumnEditable(position) != 0}});
  return {{"columns", std::move(columns)},
          {"selectedColumn", list.GetSelectedColumn()},
          {"visibleLines", list.GetVisibleLineCount()},
          {"visibleColumns", list.GetVisibleColumnCount()}};
}

Json ComboLines(const QORDlgCombo& combo) {
  Json lines = Json::array();
  for (int index = 0; index < combo.GetLineCount(); ++index) {
    QORUnicodeString line;
    combo.GetLine(line, index);
    lines.push_back(Utf8(line));
  }
  return lines;
}

// What the widget JSON is built with: the table rows go apart from it.
struct Tables {
  TableRowCache& cache;
  std::map<std::string, std::vector<PageState::Row>>& rows;
};

void AddKindState(const QORDialog& widget, Json& json, Tables& tables) {
  const WidgetStyles styles = StylesOf(widget);
  switch (KindOf(widget)) {
    case WidgetKind::Editor: {
      const auto& editor = *As<QORDlgEditor>(&widget);
      json["text"] = Utf8(editor.GetLine());
      json["readOnly"] = styles.readOnly;
      json["integer"] = styles.integer;
      json["real"] = styles.real;
      json["textWidth"] = editor.GetVisibleTextWidth();
      break;
    }
    case WidgetKind::CheckButton:
      json["checked"] = As<QORDlgCheckButton>(&widget)->GetState() == QORDlgChecked;
      break;
    case WidgetKind::RadioButton:
      json["checked"] = As<QORDlgRadioButton>(&widget)->GetState() == QORDlgChecked;
      break;
    case WidgetKind::Combo: {
      const auto& combo = *As<QORDlgCombo>(&widget);
      json["lines"] = ComboLines(combo);
      json["chosen"] = combo.GetSelect();
      json["textWidth"] = combo.GetVisibleTextWidth();
      break;
    }
    case WidgetKind::PushButton:
      json["repetitive"] = styles.repetitive;
      break;
    case WidgetKind::MultiList: {
      const auto& list = *As<QORDlgMultiList>(&widget);
      json["list"] = ListJson(list);
      tables.rows[widget.GetName()] = tables.cache.Rows(widget.GetName(), list);
      break;
    }
    case WidgetKind::Dialog:
      json["okEnabled"] = As<QORDlgDialog>(&widget)->GetOKSensitivity() == QORDlgEnable;
      break;
    default:
      break;
  }
}

Json WidgetJson(const QORDialog& widget, Tables& tables) {
  Json json = {{"id", widget.GetName()},
               {"kind", KindName(widget)},
               {"style", widget.GetStyle()},
               {"title", Utf8(widget.GetTitle())},
               {"icon", Utf8(widget.GetIconName())},
               {"visible", widget.GetVisibility() == QORDlgShow},
               {"enabled", widget.GetSensitivity() == QORDlgEnable}};
  if (const QORDialog::Grid& grid = widget.GetGridConstraints(); grid.set)
    json["grid"] = {{"row", grid.row}, {"column", grid.column}, {"columnSpan", grid.columnSpan},
                    {"rowSpan", grid.rowSpan}, {"justification", grid.justification}};
  AddKindState(widget, json, tables);
  if (const WidgetKind kind = KindOf(widget); kind == WidgetKind::Frame || kind == WidgetKind::Dialog)
    json["layout"] = FrameLayout(widget);
  Json children = Json::array();
  for (const QORDialog* child : widget.GetChildren())
    if (child) children.push_back(WidgetJson(*child, tables));
  json["children"] = std::move(children);
  return json;
}

Json BoxesJson() {
  Json boxes = Json::array();
  for (const QOROpenBoxInfo& box : QORFileBoxHost::OpenBoxes()) {
    Json filters = Json::array();
    for (const auto& [description, pattern] : box.filters)
      filters.push_back({{"description", description}, {"pattern", pattern}});
    boxes.push_back({{"name", box.name}, {"kind", box.kind}, {"saving", box.saving}, {"title", box.title}, {"directory", box.directory},
                     {"fileName", box.fileName}, {"filters", filters}});
  }
  return boxes;
}

Json NoticesJson(const std::vector<UiPresenter::StatusNotice>& notices) {
  Json list = Json::array();
  for (const auto& notice : notices) list.push_back({{"text", notice.text}, {"problem", notice.problem}});
  return list;
}

// The places in the tree of the highlighted instances, ascending; an element the tree does not
// show is left out.
Json HighlightedJson(const TreeIndex& tree) {
  std::vector<int> places;
  if (QORFrmEditor* editor = QORFrmEditor::GetCurrentEditor())
    if (QORHSO* hso = editor->GetHSO())
      for (const QORPathElement_var& path : hso->Elements()) {
        if (!path || path->Elements().Size() == 0) continue;
        const QORBaseUnknown_var& leaf = path->Elements()[path->Elements().Size()];
        if (const auto found = tree.find(dynamic_cast<const void*>(leaf.Get())); found != tree.end())
          places.push_back(found->second);
      }
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  return places;
}

Json ModalJson(const std::optional<ModalBox>& modal) {
  if (!modal) return nullptr;
  const QORMessageBox& box = modal->box;
  return {{"id", modal->id},
          {"kind", modal->kind == ModalBox::Kind::Warning ? "warning" : "confirmation"},
          {"title", box.title},
          {"text", box.text},
          {"catalog", box.catalog},
          {"titleKey", box.titleKey},
          {"messageKey", box.messageKey},
          {"params", box.params}};
}

Json CommandJson() {
  const QORStateCommand* command = HostSession::RunningCommand();
  if (!command) return nullptr;
  return {{"name", command->GetName()}, {"state", QORCommandHost::CurrentStateName()}};
}

Json DialogJson(Tables& tables) {
  const QORDlgDialog* dialog = HostSession::CommandDialog();
  if (!dialog || dialog->GetVisibility() != QORDlgShow) return nullptr;
  return WidgetJson(*dialog, tables);
}

// The kind a person sees in the tree: assemblies, plain parts, plates, or the tooling type of a
// mold component (given by the component services on the instance's counterpart in its parent).
std::pair<std::string, std::string> InstanceKind(const QORIProduct_var& instance) {
  if (!QORPrdIsAProductFromQORPart(instance)) return {"assembly", ""};
  if (const QORIMldPlate_var plate(instance); plate) return {"plate", ""};
  if (std::optional<std::string> type = ComponentTypeOf(instance)) return {"component", std::move(*type)};
  return {"part", ""};
}

}  // namespace

std::vector<PageState::Row> TableRowCache::Rows(const std::string& id, const QORDlgMultiList& list) {
  Table& table = tables_[id];
  const int count = list.GetLineCount();
  if (table.columns != list.GetColumnsRevision()) {
    table.columns = list.GetColumnsRevision();
    table.rows.clear();
  }
  table.rows.resize(static_cast<std::size_t>(count));
  // Only the columns up to the last shown one are sent.
  std::vector<bool> shown;
  for (int position = 0; position < list.GetColumnCount(); ++position)
    shown.push_back(list.GetColumnVisibility(position) == QORDlgShow);
  while (!shown.empty() && !shown.back()) shown.pop_back();
  std::vector<PageState::Row> rows;
  rows.reserve(table.rows.size());
  for (int row = 0; row < count; ++row) {
    auto& [revision, json] = table.rows[static_cast<std::size_t>(row)];
    if (!json || revision != list.GetRowRevision(row)) {
      revision = list.GetRowRevision(row);
      json = RowJson(list, row, shown);
    }
    rows.push_back(json);
  }
  return rows;
}

PageState BuildPageState(const SnapshotExtras& extras, TableRowCache& rowCache, const TreeIndex& tree) {
  PageState state;
  Tables tables{rowCache, state.rows};
  Json dialog = DialogJson(tables);
  state.json = {{"command", CommandJson()},
                {"dialog", std::move(dialog)},
                {"boxes", BoxesJson()},
                {"highlighted", HighlightedJson(tree)},
          {"modal", ModalJson(extras.modal)},
          {"checkFailures", extras.checkFailures},
          {"notice", extras.notice ? Json{{"serial", extras.notice->serial}, {"text", extras.notice->text}} : Json()},
          {"loadWarning", extras.loadWarning ? Json(*extras.loadWarning) : Json()},
          {"notices", NoticesJson(extras.notices)},
          {"tree", extras.treeSerial},
          {"savedReport", extras.savedReport ? Json(*extras.savedReport) : Json()}};
  return state;
}

TreeJson BuildTreeJson(const QORMoldDocument& document) {
  TreeJson tree;
  Json nodes = Json::array();
  std::vector<std::string> ancestors;  // paths of the instances above the one visited
  document.Walk([&](const QORIProduct_var& instance, int depth) {
    QORUnicodeString name;
    if (FAILED(instance->GetPrdInstanceName(name))) name = "?";
    const auto [kind, type] = InstanceKind(instance);
    std::string path = QORMoldDocument::InstancePath(instance);
    ancestors.resize(static_cast<std::size_t>(depth));
    Json node = Json::array({depth, Utf8(name), Utf8(instance->GetPartNumber()), kind, type});
    const std::string derived = depth == 0 ? Utf8(name) : ancestors.back() + "/" + Utf8(name);
    if (path != derived) node.push_back(path);
    tree.index.emplace(dynamic_cast<const void*>(instance.Get()), static_cast<int>(nodes.size()));
    nodes.push_back(std::move(node));
    ancestors.push_back(std::move(path));
  });
  // The user-property names are the suggestions of the user-property column field.
  tree.text = Json{{"nodes", std::move(nodes)}, {"userProperties", UserPropertyNames(document)}}.dump(
      -1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
  return tree;
}

}  // namespace moldbom
