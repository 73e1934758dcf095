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

Json ListDelta(const Json& before, const Json& after) {
  Json delta = Json::object();
  for (const auto& [key, value] : after.items()) {
    if (key == "rows") continue;
    if (const auto old = before.find(key); old == before.end() || *old != value) delta[key] = value;
  }
  const Json& oldRows = Field(before, "rows");
  const Json& newRows = Field(after, "rows");
  Json changed = Json::array();
  for (std::size_t row = 0; row < newRows.size(); ++row)
    if (row >= oldRows.size() || oldRows[row] != newRows[row]) changed.push_back(Json::array({row, newRows[row]}));
  if (!changed.empty() || oldRows.size() != newRows.size()) {
    delta["rowCount"] = newRows.size();
    delta["rows"] = std::move(changed);
  }
  return delta;
}

// Both widget trees have the same shape, so the children pair up by position.
void WidgetDeltas(const Json& before, const Json& after, Json& widgets, Json& lists) {
  Json fields = Json::object();
  for (const auto& [key, value] : after.items()) {
    if (key == "children" || key == "list") continue;
    if (const auto old = before.find(key); old == before.end() || *old != value) fields[key] = value;
  }
  const std::string id = after.value("id", "");
  if (!fields.empty()) widgets[id] = std::move(fields);
  if (after.contains("list") && before.contains("list"))
    if (Json list = ListDelta(Field(before, "list"), Field(after, "list")); !list.empty()) lists[id] = std::move(list);
  const Json& oldChildren = Field(before, "children");
  const Json& newChildren = Field(after, "children");
  for (std::size_t i = 0; i < newChildren.size(); ++i) WidgetDeltas(oldChildren[i], newChildren[i], widgets, lists);
}

}  // namespace

Json StateDelta(const Json& before, const Json& after) {
  Json delta = Json::object();
  Json set = Json::object();
  for (const auto& [key, value] : after.items()) {
    if (key == "dialog") continue;
    if (const auto old = before.find(key); old == before.end() || *old != value) set[key] = value;
  }
  if (!set.empty()) delta["set"] = std::move(set);
  const Json& oldDialog = Field(before, "dialog");
  const Json& newDialog = Field(after, "dialog");
  if (oldDialog == newDialog) return delta;
  if (!oldDialog.is_object() || !newDialog.is_object() || Shape(oldDialog) != Shape(newDialog)) {
    delta["dialog"] = newDialog;
    return delta;
  }
  Json widgets = Json::object();
  Json lists = Json::object();
  WidgetDeltas(oldDialog, newDialog, widgets, lists);
  if (!widgets.empty()) delta["widgets"] = std::move(widgets);
  if (!lists.empty()) delta["lists"] = std::move(lists);
  return delta;
}

}  // namespace moldbom
