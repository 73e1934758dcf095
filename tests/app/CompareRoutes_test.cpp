// The page's comparison of the table with an earlier report: the changed lines named by their rows
// in the table, the removed ones, the total delta, and a dialog left as it was.
#include "CompareRoutes.h"

#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "CsvReport.h"
#include "ReportColumns.h"
#include "UiServerFixture.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

const Json* FindWidget(const Json& widget, const std::string& id) {
  if (widget.value("id", "") == id) return &widget;
  if (!widget.contains("children")) return nullptr;
  for (const Json& child : widget["children"])
    if (const Json* found = FindWidget(child, id)) return found;
  return nullptr;
}

class CompareRoutesTest : public UiServerTest {
 protected:
  Json Compare(const std::string& report, int* status) {
    const httplib::Result result = client->Get(("/api/compare?report=" + report).c_str(), Page());
    if (!result) return {{"transport", httplib::to_string(result.error())}};
    *status = result->status;
    return Json::parse(result->body, nullptr, false);
  }
};

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (const std::string& cell : cells) line += cell + ";";
  return line + "\r\n";
}

// The sample's own report as an earlier revision: three lines not yet in it, two since gone, other
// quantities for two lines and another unit price for one.
TEST_F(CompareRoutesTest, MarksTheRevisionsLinesAndChangesNothing) {
  ASSERT_EQ(Event({{"verb", "select"}, {"args", {"TM-2417"}}})["ok"], true);
  ASSERT_EQ(Event({{"verb", "push"}, {"args", {"PushAnalyze"}}})["ok"], true);
  ASSERT_EQ(Event({{"verb", "file"}, {"args", {"SaveBom", "ok", "reports/now.csv"}}})["ok"], true);
  const Expected<CsvReport> now = ReadCsvReport((folder.Path() / "ws" / "reports" / "now.csv").string());
  ASSERT_TRUE(now) << now.Why();
  const std::set<std::string> added = {"TM-2417-03", "TM-2417-12", "TM-2417-04"};
  const std::map<std::string, std::string> quantities = {{"TM-2417-01", "3"}, {"TM-2417-02", "2"}};
  const std::map<std::string, std::string> prices = {{"TM-2417-11", "1860"}};
  const CsvReport& report = now.Value();
  const std::size_t qty = *report.Find(ReportColumn::Quantity);
  const std::size_t price = *report.Find(ReportColumn::UnitPrice);
  const std::size_t part = *report.Find(ReportColumn::PartNumber);
  std::string earlier = CsvLine(report.dateLine) + CsvLine(report.projectLine) + CsvLine(report.titles);
  for (CsvReportRow row : report.rows) {
    if (added.count(row.cells[part])) continue;
    if (quantities.count(row.cells[part])) row.cells[qty] = quantities.at(row.cells[part]);
    if (prices.count(row.cells[part])) row.cells[price] = prices.at(row.cells[part]);
    earlier += CsvLine(row.cells);
  }
  for (const auto& [name, quantity, unitPrice] : {std::tuple{"GONE-1", "2", "100"}, std::tuple{"GONE-2", "1", "50.5"}}) {
    std::vector<std::string> cells(report.titles.size());
    std::tie(cells[part], cells[qty], cells[price]) = std::tie(name, quantity, unitPrice);
    earlier += CsvLine(cells);
  }
  std::ofstream((folder.Path() / "ws" / "reports" / "old.csv").string()) << earlier;

  const Json before = State();
  int status = 0;
  const Json answer = Compare("reports/old.csv", &status);
  ASSERT_EQ(status, 200) << answer.dump();
  // 1104.25 + 2140 + 655 added, 412.5 + 968 fewer, 10 cheaper, 250.5 gone.
  EXPECT_EQ(answer["totalDelta"], "+2258.25");
  std::set<std::string> removed;
  for (const Json& line : answer["removed"]) removed.insert(line["line"]["partNumber"].get<std::string>());
  EXPECT_EQ(removed, (std::set<std::string>{"GONE-1", "GONE-2"}));

  // Each row the answer names holds the changed line in the table as the page shows it.
  const Json* list = FindWidget(before["dialog"], "ListBOM");
  ASSERT_NE(list, nullptr);
  std::size_t partPosition = 0;
  while (partPosition < (*list)["list"]["columns"].size() &&
         (*list)["list"]["columns"][partPosition]["title"] != ReportColumnTitle(ReportColumn::PartNumber))
    ++partPosition;
  std::map<std::string, std::set<std::string>> marked;
  for (const Json& change : answer["rows"]) {
    const Json& cells = (*list)["list"]["rows"][change["row"].get<std::size_t>()]["cells"];
    for (const Json& kind : change["kinds"]) marked[kind.get<std::string>()].insert(cells[partPosition].get<std::string>());
  }
  EXPECT_EQ(marked["added"], added);
  EXPECT_EQ(marked["quantity"], (std::set<std::string>{"TM-2417-01", "TM-2417-02"}));
  EXPECT_EQ(marked["unit price"], (std::set<std::string>{"TM-2417-11"}));
  EXPECT_EQ(marked.size(), 3u) << "nothing renumbered";
  EXPECT_EQ(State(), before) << "the comparison changes nothing in the dialog";

  // A report the comparison cannot read is named with the line at fault; a name outside is refused.
  std::ofstream((folder.Path() / "ws" / "reports" / "bad.csv").string()) << "Date: x;\r\nProject: /M;\r\nNumber;Qty;\r\n";
  EXPECT_NE(Compare("reports/bad.csv", &status).value("error", "").find("bad.csv:3: no column"), std::string::npos);
  EXPECT_EQ(status, 422);
  Compare("../outside.csv", &status);
  EXPECT_EQ(status, 400);
}

}  // namespace
}  // namespace moldbom
