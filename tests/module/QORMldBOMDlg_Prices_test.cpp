// Unit prices typed into the table, the price computation after an analysis, and the checks of the
// name and rename fields and of the numbering mode.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

using PriceTest = MoldDialogTest;

TEST_F(PriceTest, ATypedUnitPriceReachesTheLinesComponentsAndPricesTheEditedRow) {
  struct Case { int row; const char* typed; const char* price; const char* pinParameter; };
  // Row 3 is a single plate: a line without an instance group reaches no component.
  const Case cases[] = {{1, "12.5", "50", "12.5"}, {1, "abc", "0", "0"}, {4, "-5", "-10", "2.5"}, {3, "7", "7", "2.5"}};
  for (const Case& c : cases) {
    UnitPrice("Pin.1")->Valuate(2.5);
    List().SetSelect({c.row});
    EditCell(c.row, 9, c.typed);
    EXPECT_EQ(Cell(10, c.row), c.price) << c.typed;
    EXPECT_EQ(UnitPrice("Pin.4")->Show().Utf8(), c.pinParameter) << c.typed;
    EXPECT_EQ(List().GetSelectCount(), 0);
  }
  EXPECT_EQ(UnitPrice("Screw.2")->Show().Utf8(), "-5");
  EXPECT_EQ(UnitPrice("Plate.1")->Show().Utf8(), "100");
  EXPECT_FLOAT_EQ(static_cast<float>(W<QORDlgEditor>("EditTotalPrice").GetFloatValue()), 0.0f - 10.0f + 7.0f);
}

TEST_F(PriceTest, EditsElsewhereOrInAHiddenUnitPriceOnlyResetTheSelections) {
  Dlg().AddCol("Note", TRUE);
  SelectColumn(11);
  EditCell(1, 11, "fragile");
  EXPECT_EQ(Cell(11, 1), "fragile");
  EXPECT_EQ(Cell(10, 1), "");
  EXPECT_EQ(List().GetCellIcon(11, 0).Utf8(), "");
  EXPECT_FALSE(IsShown("PushDelete"));
  Dlg().HideCol(9);
  EditCell(1, 9, "3");
  EXPECT_EQ(Cell(10, 1), "");
}

TEST_F(PriceTest, UpdateFillsMissingUnitPricesPricesEveryLineAndSizesColumns) {
  List().SetColumnItem(9, "7", 3, QORDlgDataModify);
  List().SetColumnItem(3, "abc", 1, QORDlgDataModify);
  Dlg().UpdatePrice();
  EXPECT_EQ(Strings({Cell(9, 1), Cell(9, 3), Cell(9, 4)}), Strings({"2.5", "7", "0.4"}));
  EXPECT_EQ(Strings({Cell(10, 1), Cell(10, 2), Cell(10, 3), Cell(10, 4)}), Strings({"10", "", "7", "0.8"}));
  EXPECT_FLOAT_EQ(static_cast<float>(W<QORDlgEditor>("EditTotalPrice").GetFloatValue()), 17.8f);
  EXPECT_EQ(List().GetColumnTextWidth(3), 6);  // "Reference": 9 characters over 3-character cells
}

TEST_F(DialogTest, UpdateShowsNoPriceForNonPositiveProductsButCountsThemInASinglePrecisionTotal) {
  AddRow({"1", "", "PN", "", "", "", "", "", "", "5"});
  AddRow({"2", "2", "PN", "", "", "", "", "", "", "-3"});
  AddRow({"3", "16777217", "PN", "", "", "", "", "", "", "1"});
  Dlg().UpdatePrice();
  EXPECT_EQ(Strings({Cell(10, 1), Cell(10, 2), Cell(10, 3)}), Strings({"", "", "1.67772e+07"}));
  EXPECT_EQ(W<QORDlgEditor>("EditTotalPrice").GetFloatValue(), 16777216.0 - 6.0);
}

TEST_F(DialogTest, NewColumnNamesMustBeUniqueAndFreeOfSemicolons) {
  struct Case { const char* name; const char* userName; bool add, addUser, cleared; };
  const Case cases[] = {{"Cost", "", true, false, false},    {"", "Coating", false, true, false},
                        {"Cost", "Coating", false, true, false}, {"Same", "Same", true, true, false},
                        {"a;b", "", false, false, true},     {"Qty", "", false, false, true},
                        {"Cost", "x;y", false, false, true}};
  for (const Case& c : cases) {
    W<QORDialog>("PushAdd").SetSensitivity(QORDlgDisable);
    W<QORDialog>("PushAddUser").SetSensitivity(QORDlgDisable);
    W<QORDlgEditor>("EditNameUser").SetLine(c.userName);
    Type("EditName", c.name);
    EXPECT_EQ(IsEnabled("PushAdd"), c.add) << c.name << "|" << c.userName;
    EXPECT_EQ(IsEnabled("PushAddUser"), c.addUser) << c.name << "|" << c.userName;
    EXPECT_EQ(W<QORDlgEditor>("EditName").GetLine().IsEmpty(), c.cleared || !*c.name) << c.name;
  }
}

TEST_F(DialogTest, RenameIsOfferedOnlyForANewTitle) {
  Dlg().AddCol("Cost", FALSE);
  Dlg().HideCol(3);
  SelectColumn(11);
  const std::pair<const char*, bool> typed[] = {
      {"Reference", false}, {"a;b", false}, {"", false}, {"Cost", false}, {"Price each", true}};
  for (auto [title, enabled] : typed) {
    Type("EditRename", title);
    EXPECT_EQ(IsEnabled("PushRename"), enabled) << title;
  }
}

// Typed numbers lose their sign; values set from a profile are raised to 1; a sort flag other than
// 0 or 1 changes nothing.
TEST_F(DialogTest, NumberingFieldsStayPositiveAndSortTakesOnlyZeroOrOne) {
  for (auto [typed, shown] : {std::pair{"-5", "5"}, std::pair{"0", "0"}}) {
    Type("StartNumber", typed);
    EXPECT_EQ(W<QORDlgEditor>("StartNumber").GetLine().Utf8(), shown) << typed;
  }
  Dlg().SetStartAndIncrement(0, -3);
  EXPECT_EQ(StartAndIncrement(), std::make_pair(1, 1));
  for (int before : {0, 1}) {
    Dlg().SetTypeOfSort(before);
    Dlg().SetTypeOfSort(2);
    int sort = -1;
    Dlg().GetTypeOfSort(sort);
    EXPECT_EQ(sort, before);
  }
}

TEST_F(DialogTest, LeavingTheProfilesNumberingModeWarnsOncePerClick) {
  // A click with no profile named resets the shared warning toggle.
  auto& integers = W<QORDlgRadioButton>("RadioInteger");
  integers.Dispatch(integers.GetRadBModifyNotification());
  Dlg().SetReportFile("/tmp/profile.bom");
  Dlg().SetInitialNumberingMode(TRUE);
  Dlg().SetKeepMode(TRUE);
  QORDlgRadioButton::ClickExclusive(&W<QORDlgRadioButton>("RadioLetter"));
  EXPECT_EQ(MessageKeys(), Strings({"ProfileTitle2/ProfileChangeNbrMode"}));
  EXPECT_FALSE(Dlg().IsKeepMode());
  for (const char* id : {"RadioKeep", "RadioReplace", "StartNumber", "IncrNumber"}) EXPECT_FALSE(IsEnabled(id)) << id;
  QORDlgRadioButton::ClickExclusive(&W<QORDlgRadioButton>("RadioInteger"));
  for (const char* id : {"RadioKeep", "RadioReplace", "StartNumber", "IncrNumber"}) EXPECT_TRUE(IsEnabled(id)) << id;
  QORDlgRadioButton::ClickExclusive(&W<QORDlgRadioButton>("RadioLetter"));
  EXPECT_EQ(presenter_.messages.size(), 2u);
  Dlg().SetReportFile("");
  QORDlgRadioButton::ClickExclusive(&W<QORDlgRadioButton>("RadioInteger"));
  EXPECT_EQ(QORMldBOMDlgTestAccess::InitialNumberingMode(Dlg()), -1);
}

}  // namespace
}  // namespace bomtest
