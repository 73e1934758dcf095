// Selected lines of the table highlight their components in the editor, and column tools clear it.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

using HighlightTest = MoldDialogTest;

const Strings Pins = {"MOLD/Pin.1", "MOLD/Pin.2", "MOLD/Pin.3", "MOLD/Pin.4"};
const Strings Screws = {"MOLD/Screw.1", "MOLD/Screw.2"};

TEST_F(HighlightTest, SelectedRowsHighlightTheLastLineThatNamesInstances) {
  struct Case { std::vector<int> rows; Strings highlighted; bool selectionKept; };
  // Row 2 is blank and row 3 a plate whose line has no instance group.
  const Case cases[] = {{{1}, Pins, true},         {{1, 4}, Screws, true}, {{1, 3}, Pins, true},
                        {{2}, {}, false},          {{3}, {}, false},       {{4}, Screws, true}};
  for (const Case& c : cases) {
    SelectColumn(0);
    SelectRows(c.rows);
    EXPECT_EQ(Highlighted(), c.highlighted);
    EXPECT_EQ(List().GetSelectCount() > 0, c.selectionKept);
    // A row selection also ends the column selection.
    EXPECT_EQ(QORMldBOMDlgTestAccess::SelectedColumn(Dlg()), -1);
    EXPECT_EQ(List().GetCellIcon(0, 0).Utf8(), "");
  }
}

TEST_F(HighlightTest, AHiddenPartNumberStillHighlightsAndColumnToolsClearIt) {
  Dlg().HideCol(2);
  SelectRows({1});
  EXPECT_EQ(Highlighted(), Pins);
  SelectColumn(4);
  EXPECT_TRUE(Highlighted().empty());
  SelectRows({4});
  EXPECT_EQ(Highlighted(), Screws);
  Press("PushHide");
  EXPECT_TRUE(Highlighted().empty());
}

TEST_F(DialogTest, WithoutAnEditorOrComponentsNothingIsHighlighted) {
  AddRow({"1", "1", "PN"});
  SelectRows({1});
  EXPECT_EQ(List().GetSelectCount(), 1);
}

}  // namespace
}  // namespace bomtest
