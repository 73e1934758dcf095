// Rows handed to the table and read back: display, blank lines, stored added values, the lookup of
// renamed instances, visible lines and profile fields.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

using ReportTest = DialogTest;

TEST_F(ReportTest, UnitPriceComesOnlyFromATenthValueAndWideEnoughWidthsApply) {
  struct Case { Strings values; std::string unitPrice; };
  const Strings nine = {"1", "2", "PN", "REF", "MR", "SUP", "MAT", "SRC", "HT"};
  Strings ten = nine, eleven = nine;
  ten.push_back("7.5");
  eleven.insert(eleven.end(), {"8", "extra"});
  int row = 0;
  for (const Case& c : {Case{nine, ""}, Case{ten, "7.5"}, Case{eleven, "8"}}) {
    Dlg().DisplayReport(UnicodeList(c.values), QORListOfInt{0, 0, 1, 1, 4, 5, 4, 5});
    ++row;
    EXPECT_EQ(Cell(9, row), c.unitPrice);
    EXPECT_EQ(Cell(2, row), "PN");
    EXPECT_EQ(Cell(10, row), "");
  }
  const std::vector<int> widths = {1, 1, 8, 10, 5, 6, 5};  // positions 2 to 8
  for (int p = 2; p <= 8; ++p) EXPECT_EQ(List().GetColumnTextWidth(p), widths[static_cast<std::size_t>(p - 2)]) << p;
  Dlg().AddBlankLine();
  EXPECT_EQ(Dlg().GetNumberOfLines(), 5);
  EXPECT_EQ(List().GetRowEditable(4), 0);
  EXPECT_EQ(List().GetRowEditable(3), 1);
}

// A profile named before the analysis lays out the table; the analysis resets it and shows its lines.
TEST_F(ReportTest, LinesAfterAProfilesLayoutStartNewRowsAndOnlyUnitPriceIsEditable) {
  Dlg().AddCol("Note", TRUE);
  Dlg().MoveColumnTo(2, 0);
  Dlg().MoveColumnTo(12, 3);
  Dlg().InitReport();
  AddRow({"1", "4", "PN-A"});
  Dlg().AddBlankLine();
  AddRow({"2", "1", "PN-B"});
  ASSERT_EQ(Dlg().GetNumberOfLines(), 4);
  EXPECT_EQ(Strings({Cell(0, 0), Cell(0, 1), Cell(0, 2), Cell(0, 3)}), Strings({"", "1", "", "2"}));
  EXPECT_EQ(Strings({Cell(1, 1), Cell(2, 3)}), Strings({"4", "PN-B"}));
  for (int p = 0; p < 61; ++p) EXPECT_EQ(List().GetColumnEditable(p), p == 9 ? 1 : 0) << p;
}

TEST_F(ReportTest, SearchInstanceNameLooksInStoredGroupsThenInCurrentGroups) {
  struct Case { const char* name; Strings known, groupsA, groupsB; const char* found; };
  const Case cases[] = {
      {"", {"Pin.1"}, {"Pin.1;"}, {}, ""},
      {"Pin.1", {"Bolt.1", "Pin.2"}, {"Bolt.9;", "Pin.1;Pin.2;"}, {}, "Pin.2"},
      {"Pin.7", {"Pin.8"}, {}, {"Pin.7;Pin.8"}, "Pin.8"},
      {"Pin.7", {"Pin.7"}, {}, {"Pin.7;Pin.9"}, ""},
      {"Pin.1", {"Old.1", "Pin.2"}, {"Pin.1;Old.1;"}, {"Pin.1;Pin.2"}, "Old.1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Dlg().SearchInstanceName(c.name, UnicodeList(c.known), UnicodeList(c.groupsA), UnicodeList(c.groupsB)).Utf8(),
              c.found)
        << c.name;
}

TEST_F(ReportTest, LinesLeaveOutHiddenColumnsAndFollowMovesWhileProfileFieldsDoNot) {
  AddRow({"7", "4", "PN", "REF", "", "", "", "", "", "2.5"});
  Dlg().AddBlankLine();
  Dlg().AddCol("Cost", TRUE);
  Dlg().HideCol(0);
  SelectColumn(2);
  Press("PushLeft");
  QORListOfQORUnicodeString line;
  Dlg().GetLine(1, line);
  EXPECT_EQ(Texts(line), Strings({"PN", "4", "REF", "", "", "", "", "", "2.5", "", ""}));
  QORBoolean blank = TRUE;
  Dlg().GetLineInfo(1, 1, line, blank);
  EXPECT_FALSE(blank);
  EXPECT_EQ(Texts(line), Strings({"7", " ", "2.5", " "}));
  Dlg().GetLineInfo(2, 2, line, blank);
  EXPECT_TRUE(blank);
  EXPECT_EQ(line.Size(), 0);
  Dlg().GetLine(-1, line);
  EXPECT_EQ(line.Size(), 0);
}

using StoredValuesTest = MoldDialogTest;

TEST_F(StoredValuesTest, UserPropertyValuesLandInTheRowsOfTheirLines) {
  Dlg().AddColFromUserProperty("Coating", "");
  EXPECT_EQ(List().GetColumnTitle(11).Utf8(), "Coating");
  // "SurfaceCoating" matches too: the property is found by a part of its name.
  EXPECT_EQ(Strings({Cell(11, 1), Cell(11, 2), Cell(11, 3), Cell(11, 4)}), Strings({"TiN", "", "none", ""}));
  EXPECT_EQ(List().GetColumnTextWidth(11), 8);
  // The width follows the property's name, not the title shown.
  Dlg().AddColFromUserProperty("Coating", "Coating of the working faces");
  Dlg().AddColFromUserProperty("CoatingOfTheSurfaces", "Layer");
  EXPECT_EQ(List().GetColumnTextWidth(12), 8);
  EXPECT_EQ(List().GetColumnTextWidth(13), 20 / 2 + 2);
}

// The three lists stay parallel: a hand-over that lacks one of them adds to none.
TEST_F(StoredValuesTest, PartListsGrowOnlyWhenAllThreeAreGiven) {
  QORListValQORBaseUnknown_var instances;
  instances.Append(QORBaseUnknown_var(Instance("Plate.1")));
  QORListValQORISpecObject_var prices;
  prices.Append(QORISpecObject_var(UnitPrice("Plate.1")));
  Dlg().SetAllParts(instances, {}, prices);
  Dlg().SetAllParts({}, UnicodeList({"Plate.1"}), prices);
  Dlg().SetAllParts(instances, UnicodeList({"Plate.1"}), {});
  EXPECT_EQ(QORMldBOMDlgTestAccess::PartListSizes(Dlg()), (std::array<int, 3>{7, 2, 7}));
}

TEST_F(StoredValuesTest, StoredValuesFindRenamedInstancesThroughTheirGroups) {
  Dlg().AddCol("Cost", TRUE);
  Dlg().AddColFromUserProperty("Coating", "");
  Dlg().AddCol("Note", FALSE);
  const Strings names = {"Screw.2", "Pin.3", "Ghost"};
  const Strings values = {"s-cost", "s-coat", "s-note", "p-cost", "p-coat", "p-note", "g1", "g2", "g3"};
  List().SetColumnItem(11, "old", 3, QORDlgDataModify);
  Dlg().DisplayAdded(UnicodeList(names), UnicodeList(values), {}, UnicodeList({"Pin.1;Pin.2;Pin.3;Pin.4", "Screw.1;Screw.2"}));
  EXPECT_EQ(Strings({Cell(11, 1), Cell(12, 1), Cell(13, 1)}), Strings({"p-cost", "TiN", "p-note"}));
  EXPECT_EQ(Strings({Cell(11, 3), Cell(12, 3), Cell(13, 3)}), Strings({"", "none", ""}));
  EXPECT_EQ(Strings({Cell(11, 4), Cell(12, 4), Cell(13, 4)}), Strings({"s-cost", "", "s-note"}));
  EXPECT_EQ(Cell(11, 2), "");

  QORListOfQORUnicodeString fields;
  QORBoolean blank = TRUE;
  Dlg().GetLineInfo(3, 2, fields, blank);
  EXPECT_EQ(Texts(fields), Strings({"2", "Plate.1", " ", " ", "none", " "}));
  Dlg().GetLineInfo(3, 9, fields, blank);
  EXPECT_EQ(Texts(fields)[1], " ");
}

}  // namespace
}  // namespace bomtest
