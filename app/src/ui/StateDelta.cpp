// Differences of the page's state, widget by widget and row by row.
#include "StateDelta.h"

#include <string>

namespace moldbom {
namespace {

using Json = nlohmann::json;

void AddShape(const Json& widget, std::string& shape) {
  shape += widget.value("id", "");
  shape += ':';
  shape += widget.value("kind", "");
  shape += '(';
  if (const auto children = widget.find("children"); children != widget.end() && children->is_array())
    for (const Json& child : *children) AddShape(child, shape);
  shape += ')';
}

const Json& Field(const Json& object, const char* key) {
  static const Json kAbsent;
  const auto found = object.find(key);
  return found == object.end() ? kAbsent : *found;
}

std::string Shape(const Json& dialog) {
  std::string shape;
  if (dialog.is_object()) AddShape(dialog, shape);
  return shape;
}

using Rows = std::vector<PageState::Row>;

const Rows& RowsOf(const PageState& state, const std::string& id) {
  static const Rows kNone;
  const auto found = state.rows.find(id);
  return found == state.rows.end() ? kNone : found->second;
}

bool SameRow(const PageState::Row& a, const PageState::Row& b) { return a == b || (a && b && *a == *b); }

Json ListDelta(const Json& before, const Json& after, const Rows& oldRows, const Rows& newRows) {
  Json delta = Json::object();
  for (const auto& [key, value] : after.items()) {
    if (const auto old = before.find(key); old == before.end() || *old != value) delta[key] = value;
  }
  Json changed = Json::array();
  for (std::size_t row = 0; row < newRows.size(); ++row)
    if (row >= oldRows.size() || !SameRow(oldRows[row], newRows[row]))
      changed.push_back(Json::array({row, newRows[row] ? *newRows[row] : Json()}));
  if (!changed.empty() || oldRows.size() != newRows.size()) {
    delta["rowCount"] = newRows.size();
    delta["rows"] = std::move(changed);
  }
  return delta;
}

struct Changes {
  const PageState& before;
  const PageState& after;
  Json widgets = Json::object();
  Json lists = Json::object();
};

// Both widget trees have the same shape, so the children pair up by position.
void WidgetDeltas(const Json& before, const Json& after, Changes& changes) {
  Json fields = Json::object();
  for (const auto& [key, value] : after.items()) {
    if (key == "children" || key == "list") continue;
    if (const auto old = before.find(key); old == before.end() || *old != value) fields[key] = value;
  }
  const std::string id = after.value("id", "");
  if (!fields.empty()) changes.widgets[id] = std::move(fields);
  if (after.contains("list") && before.contains("list"))
    if (Json list = ListDelta(Field(before, "list"), Field(after, "list"), RowsOf(changes.before, id), RowsOf(changes.after, id));
        !list.empty())
      changes.lists[id] = std::move(list);
  const Json& oldChildren = Field(before, "children");
  const Json& newChildren = Field(after, "children");
  for (std::size_t i = 0; i < newChildren.size(); ++i) WidgetDeltas(oldChildren[i], newChildren[i], changes);
}

bool SameRows(const PageState& before, const PageState& after) {
  if (before.rows.size() != after.rows.size()) return false;
  for (const auto& [id, rows] : after.rows) {
    const Rows& old = RowsOf(before, id);
    if (old.size() != rows.size()) return false;
    for (std::size_t r = 0; r < rows.size(); ++r)
      if (!SameRow(old[r], rows[r])) return false;
  }
  return true;
}

}  // namespace

Json StateDelta(const PageState& before, const PageState& after) {
  Json delta = Json::object();
  Json set = Json::object();
  for (const auto& [key, value] : after.json.items()) {
    if (key == "dialog") continue;
    if (const auto old = before.json.find(key); old == before.json.end() || *old != value) set[key] = value;
  }
  if (!set.empty()) delta["set"] = std::move(set);
  const Json& oldDialog = Field(before.json, "dialog");
  const Json& newDialog = Field(after.json, "dialog");
  if (oldDialog == newDialog && SameRows(before, after)) return delta;
  if (!oldDialog.is_object() || !newDialog.is_object() || Shape(oldDialog) != Shape(newDialog)) {
    delta["dialog"] = after.WithRows(newDialog);
    return delta;
  }
  Changes changes{before, after};
  WidgetDeltas(oldDialog, newDialog, changes);
  if (!changes.widgets.empty()) delta["widgets"] = std::move(changes.widgets);
  if (!changes.lists.empty()) delta["lists"] = std::move(changes.lists);
  return delta;
}

}  // namespace moldbom
