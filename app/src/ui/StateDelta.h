// What changed between two published states of the page, so that the server sends a few rows and
// widget fields instead of the whole dialog with a table of thousands of lines.
#pragma once

#include <nlohmann/json.hpp>

namespace moldbom {

// The change from before to after, both as BuildStateJson makes them. Top-level entries that
// differ go under "set", except the dialog: when its widget tree keeps its shape, only changed
// widget fields ("widgets": id -> fields) and changed list rows ("lists": id -> {"rowCount",
// "rows": [[index, row], ...]} plus changed column data) are given; otherwise "dialog" holds it whole.
// Equal states give an empty object.
nlohmann::json StateDelta(const nlohmann::json& before, const nlohmann::json& after);

}  // namespace moldbom
