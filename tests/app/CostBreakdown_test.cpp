// The cost view's sums on the sample: every line typed as the module sorts it, and both charts
// adding up to the dialog's total, with the Price column shown or hidden.
#include "CostBreakdown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "ReportColumns.h"
#include "SessionFixture.h"
#include "TableView.h"

namespace moldbom {
namespace {

constexpr const char* kSampleAssembly = "TM-2417";

double Sum(const std::vector<CostShare>& shares) {
  return std::accumulate(shares.begin(), shares.end(), 0.0, [](double sum, const CostShare& share) { return sum + share.price; });
}

class CostBreakdownTest : public SessionTest {
 protected:
  CostBreakdown Read() {
    Expected<CostBreakdown> read = ReadCostBreakdown(*session.Document(), kSampleAssembly);
    EXPECT_TRUE(read) << read.Why();
    return read ? read.Value() : CostBreakdown{};
  }

  void ExpectChartsAddUpToTheTotal(const CostBreakdown& cost) {
    ASSERT_FALSE(cost.lines.empty());
    const double total = std::strtod(cost.total.c_str(), nullptr);
    ASSERT_GT(total, 0);
    // The dialog sums in single precision: its total may differ in the last of about 7 digits.
    EXPECT_NEAR(Sum(SharesByType(cost.lines)), total, total * 1e-6);
    EXPECT_NEAR(Sum(SharesBySupplier(cost.lines)), total, total * 1e-6);
  }
};

TEST_F(CostBreakdownTest, BothChartsAddUpToTheTotalWhetherPriceIsShownOrNot) {
  StartAndAnalyse();
  const CostBreakdown priced = Read();
  ExpectChartsAddUpToTheTotal(priced);
  for (const CostLine& line : priced.lines) EXPECT_TRUE(line.typeFound) << line.supplier << " " << line.price;

  const auto price = FindReportColumn(ReadDialogTable()->table.titles, ReportColumn::Price);
  ASSERT_TRUE(price);
  ASSERT_TRUE(events.Perform({"column", "ListBOM", std::to_string(*price)}));
  ASSERT_TRUE(events.Perform({"push", "PushHide"}));
  ASSERT_FALSE(FindReportColumn(ReadDialogTable()->table.titles, ReportColumn::Price));
  ExpectChartsAddUpToTheTotal(Read());
}

// Sorted by type, the module parts the type groups with blank rows: each group must come out as
// one type, and no type in two groups.
TEST_F(CostBreakdownTest, TypesFollowTheGroupsOfTheTableSortedByType) {
  StartBom();
  ASSERT_TRUE(events.Perform({"check", "CheckSort", "on"}));
  ASSERT_TRUE(events.Perform({"select", kSampleAssembly}));
  const CostBreakdown cost = Read();
  const std::vector<std::vector<std::string>> rows = ReadDialogTable()->table.rows;
  std::vector<std::string> groupTypes;
  std::size_t line = 0;
  bool newGroup = true;
  for (const auto& row : rows) {
    if (std::all_of(row.begin(), row.end(), [](const std::string& cell) { return cell.empty(); })) {
      newGroup = true;
      continue;
    }
    ASSERT_LT(line, cost.lines.size());
    const CostLine& typed = cost.lines[line++];
    ASSERT_TRUE(typed.typeFound);
    if (newGroup) {
      EXPECT_EQ(std::count(groupTypes.begin(), groupTypes.end(), typed.type), 0) << typed.type << " in two groups";
      groupTypes.push_back(typed.type);
      newGroup = false;
    }
    EXPECT_EQ(typed.type, groupTypes.back()) << "line " << line;
  }
  EXPECT_EQ(line, cost.lines.size());
  ASSERT_GE(groupTypes.size(), 3u);
  EXPECT_EQ(groupTypes.front(), "Plate");
  EXPECT_EQ(groupTypes.back(), "");
}

}  // namespace
}  // namespace moldbom
