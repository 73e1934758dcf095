// Progress reports: bounded in number whatever the size, starting at 0 and ending at the total.
#include "ProgressMeter.h"

#include <gtest/gtest.h>

#include <vector>

#include "QORProgress.h"

namespace {

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = QORSetProgressListener([this](const QORProgress& progress) { seen.push_back(progress); });
  }
  void TearDown() override { QORSetProgressListener(std::move(previous)); }

  std::vector<QORProgress> seen;
  QORProgressListener previous;
};

TEST_F(ProgressTest, ReportsFromZeroToTheTotalAtBoundedSteps) {
  struct Case {
    long total;  // -1: unknown
    long units;
    std::size_t mostReports;
  };
  for (const Case& c : {Case{0, 0, 1}, Case{1, 1, 2}, Case{7, 7, 9}, Case{250, 250, 102}, Case{100000, 100000, 102},
                        Case{-1, 0, 2}, Case{-1, 999, 2}, Case{-1, 5500, 8}}) {
    SCOPED_TRACE("total " + std::to_string(c.total) + ", units " + std::to_string(c.units));
    seen.clear();
    qorhost::ProgressBegin("analysis", c.total);
    for (long u = 0; u < c.units; ++u) qorhost::ProgressAdvance();
    qorhost::ProgressEnd();
    ASSERT_GE(seen.size(), 1u);
    EXPECT_LE(seen.size(), c.mostReports);
    EXPECT_EQ(seen.front().done, 0);
    EXPECT_EQ(seen.front().total, c.total);
    EXPECT_EQ(seen.back().done, c.units);
    EXPECT_EQ(seen.back().total, c.units) << "an unknown total becomes the count at the end";
    for (std::size_t i = 1; i + 1 < seen.size(); ++i) EXPECT_GT(seen[i].done, seen[i - 1].done);
  }
}

TEST_F(ProgressTest, NothingIsReportedOutsideAPhaseAndTheListenerCanBeSwapped) {
  qorhost::ProgressAdvance(50);
  qorhost::ProgressEnd();
  EXPECT_TRUE(seen.empty());

  int other = 0;
  QORProgressListener mine = QORSetProgressListener([&](const QORProgress&) { ++other; });
  qorhost::ProgressBegin("report", -1);
  qorhost::ProgressEnd();
  EXPECT_EQ(other, 2);
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(QORSetProgressListener(std::move(mine)));
}

}  // namespace
