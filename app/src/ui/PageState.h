// A state of the page as the host thread publishes it. The rows of each table are kept apart from
// the rest and shared between the states that show them unchanged, so that publishing after an
// event costs the rows that event changed, not the whole table.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace moldbom {

struct PageState {
  using Row = std::shared_ptr<const nlohmann::json>;

  // Every table widget's "list" has no "rows" here: they are in rows, under the widget's id.
  nlohmann::json json = nlohmann::json::object();
  std::map<std::string, std::vector<Row>> rows;

  // The json with each table's rows put back, as the page takes a whole state.
  nlohmann::json Whole() const;
  // The same for one widget tree of the json (the dialog).
  nlohmann::json WithRows(const nlohmann::json& widget) const;
};

}  // namespace moldbom
