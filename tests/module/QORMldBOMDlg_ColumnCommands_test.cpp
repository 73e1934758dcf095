// The column bar: selecting, moving, hiding and showing, renaming and deleting columns.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

using ColumnCommandTest = DialogTest;

TEST_F(ColumnCommandTest, SelectingAColumnOffersOnlyTheMovesThatExist) {
  struct Case { int column; bool left, right; };
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

// Titles of eighteen characters or more widen an added column, whether given when adding or renaming.
TEST_F(ColumnCommandTest, AddedAndRenamedTitlesWidenFromEighteenCharacters) {
  for (auto [length, width] : {std::pair{17, 8}, std::pair{18, 11}, std::pair{30, 17}}) {
    Dlg().AddCol(std::string(static_cast<std::size_t>(length), static_cast<char>('a' + length % 26)), FALSE);
    EXPECT_EQ(List().GetColumnTextWidth(Dlg().GetNumberOfItems() - 1), width) << length;
  }
  for (auto [length, width] : {std::pair{17, 8}, std::pair{18, 11}}) {
    SelectColumn(11);
    Type("EditRename", std::string(static_cast<std::size_t>(length), 'x'));
    Press("PushRename");
    EXPECT_EQ(List().GetColumnTitle(11).Utf8().size(), static_cast<std::size_t>(length));
    EXPECT_EQ(List().GetColumnTextWidth(11), width);
    EXPECT_FALSE(IsEnabled("PushRename"));
    EXPECT_EQ(QORMldBOMDlgTestAccess::SelectedColumn(Dlg()), 11);
  }
}

TEST_F(ColumnCommandTest, DeletingTheOnlyAddedColumnRestoresTheTable) {
  const Strings before = ShownTitles();
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

}  // namespace
}  // namespace bomtest
