// A published state made whole again for a page that takes it at once.
#include "PageState.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

void PutRows(Json& widget, const std::map<std::string, std::vector<PageState::Row>>& rows) {
  if (!widget.is_object()) return;
  if (const auto list = widget.find("list"); list != widget.end() && list->is_object()) {
    Json whole = Json::array();
    if (const auto found = rows.find(widget.value("id", "")); found != rows.end())
      for (const PageState::Row& row : found->second) whole.push_back(row ? *row : Json());
    (*list)["rows"] = std::move(whole);
  }
  if (const auto children = widget.find("children"); children != widget.end() && children->is_array())
    for (Json& child : *children) PutRows(child, rows);
}

}  // namespace

Json PageState::WithRows(const Json& widget) const {
  Json whole = widget;
  PutRows(whole, rows);
  return whole;
}

Json PageState::Whole() const {
  Json whole = json;
  if (const auto dialog = whole.find("dialog"); dialog != whole.end()) PutRows(*dialog, rows);
  return whole;
}

}  // namespace moldbom
