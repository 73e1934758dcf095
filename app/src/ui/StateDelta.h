// What changed between two published states of the page, so that the server sends a few rows and
// widget fields instead of the whole dialog with a table of thousands of lines.
#pragma once

#include <nlohmann/json.hpp>

#include "PageState.h"

namespace moldbom {

// The change from before to after. Top-level entries that differ go under "set", except the
// dialog: when its widget tree keeps its shape, only changed widget fields ("widgets": id ->
// fields) and changed table rows ("lists": id -> {"rowCount", "rows": [[index, row], ...]} plus
// changed column data) are given; otherwise "dialog" holds it whole, rows included. A row shared
// by both states is not looked into. Equal states give an empty object.
nlohmann::json StateDelta(const PageState& before, const PageState& after);

}  // namespace moldbom
