// The deltas the page's stream carries: only what changed, enough to rebuild the next state, and
// the whole state again for a page that fell behind further than the deltas held.
#include "StateDelta.h"

#include <gtest/gtest.h>

#include "SnapshotHub.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

Json Row(const std::string& part, const std::string& qty, bool selected = false) {
  return {{"cells", {part, qty}}, {"icons", Json::object()}, {"editable", true}, {"selected", selected}};
}

PageState State(const Json& rows, const std::string& total = "10", Json highlighted = Json::array()) {
  const Json list = {{"columns", Json::array({{{"title", "Part"}}, {{"title", "Qty"}}})}, {"selectedColumn", -1}};
  const Json dialog = {{"id", "Dialog"}, {"kind", "dialog"}, {"children",
      Json::array({{{"id", "ListBOM"}, {"kind", "multi-list"}, {"enabled", true}, {"list", list}, {"children", Json::array()}},
                   {{"id", "EditTotalPrice"}, {"kind", "editor"}, {"text", total}, {"children", Json::array()}}})}};
  PageState state;
  state.json = {{"command", {{"name", "QORMldBOMCom"}}}, {"dialog", dialog}, {"highlighted", std::move(highlighted)}, {"modal", nullptr}};
  for (const Json& row : rows) state.rows["ListBOM"].push_back(std::make_shared<const Json>(row));
  return state;
}

PageState Closed() {
  PageState state;
  state.json = Json{{"command", nullptr}, {"dialog", nullptr}, {"highlighted", Json::array()}, {"modal", nullptr}};
  return state;
}

// The page's own application of a delta, in the same terms, so that each case also shows that the
// delta rebuilds the new state exactly.
Json Apply(Json state, const Json& delta) {
  if (delta.contains("set"))
    for (const auto& [key, value] : delta["set"].items()) state[key] = value;
  if (delta.contains("dialog")) state["dialog"] = delta["dialog"];
  if (!state["dialog"].is_object()) return state;
  for (Json& widget : state["dialog"]["children"]) {
    const std::string id = widget["id"];
    if (delta.contains("widgets") && delta["widgets"].contains(id)) widget.update(delta["widgets"][id]);
    if (!delta.contains("lists") || !delta["lists"].contains(id)) continue;
    Json& list = widget["list"];
    for (const auto& [key, value] : delta["lists"][id].items())
      if (key != "rows" && key != "rowCount") list[key] = value;
    if (!delta["lists"][id].contains("rowCount")) continue;
    Json rows = Json::array();
    for (std::size_t r = 0; r < delta["lists"][id]["rowCount"].get<std::size_t>(); ++r)
      rows.push_back(r < list["rows"].size() ? list["rows"][r] : Json());
    for (const Json& changed : delta["lists"][id]["rows"]) rows[changed[0].get<std::size_t>()] = changed[1];
    list["rows"] = rows;
  }
  return state;
}

struct DeltaCase {
  const char* name;
  PageState before;
  PageState after;
  Json expected;
};

TEST(StateDeltaTest, CarriesOnlyWhatChanged) {
  const Json three = Json::array({Row("", ""), Row("PIN", "4"), Row("BUSH", "2")});
  PageState otherDialog = State(three);
  otherDialog.json["dialog"]["children"].erase(1);
  const DeltaCase cases[] = {
      {"nothing changed", State(three), State(three), Json::object()},
      {"a price edit: one row and the total",
       State(three), State(Json::array({Row("", ""), Row("PIN", "5"), Row("BUSH", "2")}), "12"),
       {{"widgets", {{"EditTotalPrice", {{"text", "12"}}}}}, {"lists", {{"ListBOM", {{"rowCount", 3}, {"rows", {{1, Row("PIN", "5")}}}}}}}}},
      {"a line selected: its row and the highlighted set",
       State(three), State(Json::array({Row("", ""), Row("PIN", "4"), Row("BUSH", "2", true)}), "10", {4, 7}),
       {{"set", {{"highlighted", {4, 7}}}}, {"lists", {{"ListBOM", {{"rowCount", 3}, {"rows", {{2, Row("BUSH", "2", true)}}}}}}}}},
      {"rows added", State(Json::array({Row("", "")})), State(three),
       {{"lists", {{"ListBOM", {{"rowCount", 3}, {"rows", {{1, Row("PIN", "4")}, {2, Row("BUSH", "2")}}}}}}}}},
      {"rows removed: only the count", State(three), State(Json::array({Row("", "")})),
       {{"lists", {{"ListBOM", {{"rowCount", 1}, {"rows", Json::array()}}}}}}},
      {"another widget tree: the dialog whole, with its rows", State(three), otherDialog, {{"dialog", otherDialog.Whole()["dialog"]}}},
      {"the dialog closed", State(three), Closed(), {{"set", {{"command", nullptr}}}, {"dialog", nullptr}}},
  };
  for (const DeltaCase& c : cases) {
    const Json delta = StateDelta(c.before, c.after);
    EXPECT_EQ(delta, c.expected) << c.name;
    EXPECT_EQ(Apply(c.before.Whole(), delta), c.after.Whole()) << c.name;
  }
}

class SnapshotHubTest : public ::testing::Test {
 protected:
  void Publish(int count) {
    for (int i = 0; i < count; ++i) hub.PublishState(State(Json::array(), std::to_string(++published)));
  }
  SnapshotHub hub;
  int published = 0;
};

TEST_F(SnapshotHubTest, HeldDeltasLeadFromAVersionToAnother) {
  Publish(5);
  const auto deltas = hub.Deltas(2, 5);
  ASSERT_TRUE(deltas);
  ASSERT_EQ(deltas->size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const Json delta = Json::parse(*(*deltas)[i]);
    EXPECT_EQ(delta["from"], 2 + static_cast<long>(i));
    EXPECT_EQ(delta["to"], 3 + static_cast<long>(i));
  }
  EXPECT_EQ(Json::parse(*(*deltas)[2])["widgets"]["EditTotalPrice"]["text"], "5");
  EXPECT_TRUE(hub.Deltas(5, 5)->empty()) << "an up-to-date page needs none";
  EXPECT_FALSE(hub.Deltas(4, 6)) << "not published yet";
}

TEST_F(SnapshotHubTest, APageFurtherBehindThanTheHeldDeltasTakesTheWholeState) {
  Publish(static_cast<int>(SnapshotHub::kHeldDeltas) + 3);
  const long now = hub.Current().versions.state;
  EXPECT_FALSE(hub.Deltas(1, now));
  EXPECT_TRUE(hub.Deltas(now - static_cast<long>(SnapshotHub::kHeldDeltas), now));
  EXPECT_EQ(Json::parse(hub.Current().state->Text())["dialog"]["children"][1]["text"], std::to_string(published));
}

}  // namespace
}  // namespace moldbom
