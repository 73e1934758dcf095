// The column model under any sequence of resets, adds, hides, shows, moves and deletes, and the
// widths and moves a user notices.
#include <algorithm>
#include <map>
#include <random>

#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

// What each descriptor in use should show: its title and the text it carries in row 1.
struct Expected { Strings titles, tags; };

class ColumnModelTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    AddRow({});
    Retag();
  }

  // After a reset the table keeps its columns where they were: retag them as a fresh analysis would.
  void Retag() {
    expected_ = {};
    for (int p = 0; p < 11; ++p) {
      List().SetColumnItem(p, "T" + std::to_string(p + 1), 1, QORDlgDataModify);
      expected_.titles.push_back(List().GetColumnTitle(p).Utf8());
      expected_.tags.push_back("T" + std::to_string(p + 1));
    }
  }

  void Added(const std::string& title) {
    const int n = Dlg().GetNumberOfItems();
    const std::string tag = "T" + std::to_string(++serial_);
    List().SetColumnItem(n - 1, tag, 1, QORDlgDataModify);
    expected_.titles.push_back(title);
    expected_.tags.push_back(tag);
  }

  int Stored(int k) { return QORMldBOMDlgTestAccess::Positions(Dlg())[k]; }
  int Shown(int k) { return Stored(k) % 1000; }
  bool AnyHidden() {
    for (int k = 1; k <= Dlg().GetNumberOfItems(); ++k)
      if (Stored(k) >= 1000) return true;
    return false;
  }
  // Tags of the shown columns, left to right.
  Strings ShownTags() {
    std::map<int, std::string> byPosition;
    for (int k = 1; k <= Dlg().GetNumberOfItems(); ++k)
      if (Stored(k) < 1000) byPosition[Stored(k)] = expected_.tags[k - 1];
    Strings tags;
    for (auto& [position, tag] : byPosition) tags.push_back(tag);
    return tags;
  }

  void CheckInvariants() {
    const int n = Dlg().GetNumberOfItems();
    const QORListOfInt& kinds = QORMldBOMDlgTestAccess::Kinds(Dlg());
    const QORListOfQORUnicodeString& properties = QORMldBOMDlgTestAccess::Properties(Dlg());
    ASSERT_EQ(QORMldBOMDlgTestAccess::Positions(Dlg()).Size(), 61);
    ASSERT_EQ(kinds.Size(), 61);
    ASSERT_EQ(properties.Size(), 61);
    ASSERT_EQ(static_cast<int>(expected_.tags.size()), n);
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    for (int k = 1; k <= n; ++k) {
      const int p = Shown(k);
      ASSERT_TRUE(p >= 0 && p < n && !seen[static_cast<std::size_t>(p)]) << "descriptor " << k << " at " << Stored(k);
      seen[static_cast<std::size_t>(p)] = true;
      EXPECT_EQ(List().GetColumnVisibility(p), Stored(k) >= 1000 ? QORDlgHide : QORDlgShow) << k;
      EXPECT_EQ(List().GetColumnTitle(p).Utf8(), expected_.titles[k - 1]) << k;
      EXPECT_EQ(Cell(p, 1), expected_.tags[k - 1]) << k;
      const std::vector<int> allowed = k <= 11 ? std::vector<int>{0} : std::vector<int>{-1, 1, 2};
      EXPECT_NE(std::find(allowed.begin(), allowed.end(), kinds[k]), allowed.end()) << k << " kind " << kinds[k];
      EXPECT_EQ(!properties[k].IsEmpty(), kinds[k] == 2) << k;
    }
    // Spare slots stay hidden, read-only and marked spare, so that an add finds them as at the start.
    for (int k = n + 1; k <= 61; ++k) {
      EXPECT_EQ(List().GetColumnVisibility(k - 1), QORDlgHide) << k;
      EXPECT_EQ(List().GetColumnEditable(k - 1), 0) << k;
      EXPECT_EQ(Stored(k) * 10 + kinds[k], (1000 + k - 1) * 10 - 2) << "spare " << k;
    }
    QORListOfQORUnicodeString line;
    Dlg().GetLine(1, line);
    EXPECT_EQ(Texts(line), ShownTags());
  }

  Expected expected_;
  int serial_ = 11;
};

// A seeded walk through every column operation; each step checks the model against the table
// and against what the operation promised.
TEST_F(ColumnModelTest, RandomSequencesKeepDescriptorsTableAndTitlesTogether) {
  for (unsigned seed = 1; seed <= 25; ++seed) {
    std::mt19937 random(seed);
    auto below = [&](int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); };
    Dlg().InitReport();
    Retag();
    for (int step = 0; step < 150; ++step) {
      const int n = Dlg().GetNumberOfItems();
      const std::vector<int> before = Positions();
      const int operation = below(8);
      SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step) + " op " +
                   std::to_string(operation));
      if (operation == 0 && below(8) == 0) {
        Dlg().InitReport();
        Retag();
      } else if (operation == 1 && n < 61) {
        const std::string title = "Col" + std::to_string(serial_ + 1);
        Dlg().AddCol(title, static_cast<QORBoolean>(below(2)));
        Added(title);
      } else if (operation == 2 && n < 61) {
        const std::string property = "Prop" + std::to_string(serial_ + 1);
        Dlg().AddColFromUserProperty(property, below(2) ? QORUnicodeString() : QORUnicodeString("U" + property));
        Added(List().GetColumnTitle(n).Utf8());
      } else if (operation == 3) {
        const int c = below(n + 2) - 1;
        Dlg().HideCol(c);
        std::vector<int> expected = before;
        for (int& stored : expected)
          if (stored == c) stored += 1000;
        EXPECT_EQ(Positions(), expected);
      } else if (operation == 4) {
        const int c = below(n);
        if (List().GetColumnVisibility(c) != QORDlgShow) continue;
        SelectColumn(c);
        Press(below(2) ? "PushRight" : "PushLeft");
        std::vector<int> changed;
        for (int k = 1; k <= n; ++k)
          if (Stored(k) != before[static_cast<std::size_t>(k - 1)]) changed.push_back(k);
        ASSERT_TRUE(changed.empty() || changed.size() == 2u);
        if (changed.size() == 2u) {
          const int a = Stored(changed[0]), b = Stored(changed[1]);
          EXPECT_EQ(a, before[static_cast<std::size_t>(changed[1] - 1)]);
          EXPECT_EQ(b, before[static_cast<std::size_t>(changed[0] - 1)]);
          for (int p = std::min(a, b) + 1; p < std::max(a, b); ++p)
            EXPECT_EQ(List().GetColumnVisibility(p), QORDlgHide) << "a shown column was jumped at " << p;
        }
      } else if (operation == 5) {
        const int k = below(n + 2);
        const int p = below(n + 1) - 1;
        const bool clean = !AnyHidden() && k >= 2 && k <= n && p >= 0 && p < n;
        Strings others = ShownTags();
        Dlg().MoveColumnTo(k, p);
        if (clean) {
          EXPECT_EQ(Stored(k), p);
          others.erase(std::find(others.begin(), others.end(), expected_.tags[static_cast<std::size_t>(k - 1)]));
          Strings now = ShownTags();
          now.erase(std::find(now.begin(), now.end(), expected_.tags[static_cast<std::size_t>(k - 1)]));
          EXPECT_EQ(now, others);
        }
      } else if (operation == 6 && IsShown("ComboDisplay")) {
        auto& combo = W<QORDlgCombo>("ComboDisplay");
        combo.SetSelect(below(combo.GetLineCount()));
        QORUnicodeString chosen;
        combo.GetLine(chosen, combo.GetSelect());
        Press("PushDisplay");
        const auto k = std::find(expected_.titles.begin(), expected_.titles.end(), chosen.Utf8()) -
                       expected_.titles.begin() + 1;
        ASSERT_LE(k, Dlg().GetNumberOfItems());
        EXPECT_EQ(Stored(static_cast<int>(k)), before[static_cast<std::size_t>(k - 1)] % 1000);
      } else if (operation == 7 && n > 11) {
        const int k = 12 + below(n - 11);
        if (Stored(k) >= 1000) continue;
        Strings shown = ShownTags();
        const std::string tag = expected_.tags[static_cast<std::size_t>(k - 1)];
        SelectColumn(Stored(k));
        Press("PushDelete");
        expected_.tags.erase(expected_.tags.begin() + (k - 1));
        expected_.titles.erase(expected_.titles.begin() + (k - 1));
        shown.erase(std::find(shown.begin(), shown.end(), tag));
        EXPECT_EQ(Dlg().GetNumberOfItems(), n - 1);
        EXPECT_EQ(ShownTags(), shown);
        EXPECT_EQ(Cell(n - 1, 1), tag);
        EXPECT_EQ(List().GetColumnTitle(n - 1).Utf8(), "Removed");
      }
      CheckInvariants();
      if (HasFailure()) return;
    }
  }
}

// No move without a selection, from either edge, or towards hidden columns only.
TEST_F(ColumnModelTest, NoMoveFromAnEdgeOrTowardsHiddenColumnsOnly) {
  for (const char* title : {"A", "B", "C"}) Dlg().AddCol(title, FALSE);
  Dlg().HideCol(12);
  Dlg().HideCol(13);
  const std::vector<int> before = Positions();
  for (auto [selected, right] : {std::pair{11, true}, std::pair{-1, true}, std::pair{0, false}, std::pair{13, true}}) {
    QORMldBOMDlgTestAccess::SetSelectedColumn(Dlg(), selected);
    int from = 0, to = 0;
    QORMldBOMDlgTestAccess::Move(Dlg(), right, from, to);
    EXPECT_EQ(std::make_pair(from, to), std::make_pair(-1, -1)) << selected;
    EXPECT_EQ(Positions(), before);
    EXPECT_EQ(QORMldBOMDlgTestAccess::SelectedColumn(Dlg()), selected);
  }
}

// Out of range nothing is hidden, yet the column selection is reset.
TEST_F(ColumnModelTest, HidingOutOfRangeOnlyResetsTheSelection) {
  SelectColumn(2);
  Dlg().HideCol(11);
  EXPECT_EQ(QORMldBOMDlgTestAccess::SelectedColumn(Dlg()), -1);
  EXPECT_FALSE(IsEnabled("PushHide"));
  EXPECT_EQ(List().GetCellIcon(2, 0).Utf8(), "");
  EXPECT_EQ(Positions()[2], 2);
}

}  // namespace
}  // namespace bomtest
