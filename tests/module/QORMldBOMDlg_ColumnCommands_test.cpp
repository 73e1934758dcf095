// The column bar: selecting, moving, hiding and showing, renaming and deleting columns.
#include "QORMldBOMDlgFixture.h"

namespace dlgtest {
namespace {

using ColumnCommandTest = DialogTest;

TEST_F(ColumnCommandTest, SelectingAColumnOffersOnlyTheMovesThatExist) {
  struct Case {
    int column;
    bool left, right;
  };
  for (Case c : {Case{0, false, true}, Case{5, true, true}, Case{10, true, false}}) {
    SelectColumn(c.column);
    EXPECT_EQ(IsEnabled("PushLeft"), c.left) << c.column;
    EXPECT_EQ(IsEnabled("PushRight"), c.right) << c.column;
    EXPECT_TRUE(IsEnabled("PushHide"));
    EXPECT_FALSE(IsShown("PushDelete"));
    EXPECT_EQ(List().GetCellIcon(c.column, 0).Utf8(), "I_MoveUp");
  }
  SelectColumn(1);
  Press("PushLeft");
  EXPECT_EQ(ShownTitles()[0], "Qty");
  EXPECT_FALSE(IsEnabled("PushLeft"));
  EXPECT_EQ(List().GetCellIcon(0, 0).Utf8(), "I_MoveUp");
  EXPECT_EQ(List().GetCellIcon(1, 0).Utf8(), "");
}

TEST_F(ColumnCommandTest, AddedColumnsOfferRenameAndDeleteAndShowTheirProperty) {
  Dlg().AddCol("Cost", FALSE);
  Dlg().AddColFromUserProperty("Coating", "Finish");
  SelectColumn(11);
  EXPECT_TRUE(IsShown("EditRename") && IsShown("PushRename") && IsShown("PushDelete"));
  EXPECT_TRUE(IsEnabled("PushDelete"));
  EXPECT_FALSE(IsEnabled("PushRename"));
  EXPECT_EQ(W<QORDlgEditor>("EditRename").GetLine().Utf8(), "Cost");
  EXPECT_EQ(W<QORDlgEditor>("EditNameUser").GetLine().Utf8(), "");
  SelectColumn(12);
  EXPECT_EQ(W<QORDlgEditor>("EditNameUser").GetLine().Utf8(), "Coating");
  SelectColumn(3);
  EXPECT_FALSE(IsShown("EditRename") || IsShown("PushRename") || IsShown("PushDelete"));
}

TEST_F(ColumnCommandTest, HiddenColumnsComeBackThroughTheCombo) {
  for (int column : {3, 5}) {
    SelectColumn(column);
    Press("PushHide");
  }
  auto& combo = W<QORDlgCombo>("ComboDisplay");
  ASSERT_EQ(combo.GetLineCount(), 2);
  combo.SetSelect(1);
  Press("PushDisplay");
  EXPECT_EQ(combo.GetLineCount(), 1);
  EXPECT_EQ(List().GetColumnVisibility(5), QORDlgShow);
  EXPECT_TRUE(IsShown("ComboDisplay") && IsShown("PushDisplay"));
  combo.SetSelect(0);
  Press("PushDisplay");
  EXPECT_FALSE(IsShown("ComboDisplay") || IsShown("PushDisplay"));
  EXPECT_EQ(Dlg().GetNumberOfItems(), 11);
  EXPECT_EQ(ShownTitles().size(), 11u);
}

TEST_F(ColumnCommandTest, RenamingWidensFromEighteenCharacters) {
  Dlg().AddCol("Cost", FALSE);
  for (auto [length, width] : {std::pair{17, 8}, std::pair{18, 11}}) {
    SelectColumn(11);
    Type("EditRename", std::string(static_cast<std::size_t>(length), 'r'));
    Press("PushRename");
    EXPECT_EQ(List().GetColumnTitle(11).Utf8().size(), static_cast<std::size_t>(length));
    EXPECT_EQ(List().GetColumnTextWidth(11), width);
    EXPECT_FALSE(IsEnabled("PushRename"));
    EXPECT_EQ(QORMldBOMDlgTestAccess::SelectedColumn(Dlg()), 11);
  }
}

TEST_F(ColumnCommandTest, DeletingTheOnlyAddedColumnRestoresTheTable) {
  const Texts before = ShownTitles();
  Dlg().AddCol("Cost", TRUE);
  SelectColumn(11);
  Press("PushDelete");
  EXPECT_EQ(Dlg().GetNumberOfItems(), 11);
  EXPECT_EQ(ShownTitles(), before);
  EXPECT_EQ(List().GetColumnTitle(11).Utf8(), "Removed");
  EXPECT_EQ(List().GetColumnEditable(11), 0);
  EXPECT_EQ(QORMldBOMDlgTestAccess::Kinds(Dlg())[12], -2);
  EXPECT_EQ(QORMldBOMDlgTestAccess::SelectedColumn(Dlg()), -1);
}

// Each added column carries its own title in row 1, so a column's cells can be seen to follow it.
TEST_F(ColumnCommandTest, DeletingAMiddleColumnKeepsTheOthersWithTheirCells) {
  struct Case {
    const char* hidden;
    Texts order;                // titles at positions 11 to 14 afterwards
    std::vector<int> positions;  // of A, then C, then D
  };
  const Case cases[] = {{nullptr, {"A", "C", "D", "Removed"}, {11, 12, 13}},
                        {"D", {"A", "C", "D", "Removed"}, {11, 12, 1013}},
                        {"C", {"A", "D", "C", "Removed"}, {11, 1013, 12}}};
  for (const Case& c : cases) {
    Dlg().InitReport();
    if (Dlg().GetNumberOfLines() < 2) AddRow({});
    for (const char* title : {"A", "B", "C", "D"}) {
      Dlg().AddCol(title, FALSE);
      List().SetColumnItem(Dlg().GetNumberOfItems() - 1, title, 1, QORDlgDataModify);
    }
    if (c.hidden) Dlg().HideCol(c.hidden[0] == 'D' ? 14 : 13);
    SelectColumn(12);
    Press("PushDelete");
    Texts order;
    for (int p = 11; p <= 14; ++p) {
      order.push_back(List().GetColumnTitle(p).Utf8());
      EXPECT_EQ(Cell(p, 1), p < 14 ? order.back() : "B");
    }
    EXPECT_EQ(order, c.order) << (c.hidden ? c.hidden : "none hidden");
    const std::vector<int> all = Positions();
    const std::vector<int> added(all.begin() + 11, all.end());
    EXPECT_EQ(added, c.positions);
    EXPECT_EQ(List().GetColumnVisibility(14), QORDlgHide);
    EXPECT_EQ(Dlg().GetNumberOfItems(), 14);
  }
}

}  // namespace
}  // namespace dlgtest
