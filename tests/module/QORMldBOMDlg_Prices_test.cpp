// Prices the end-to-end runs cannot reach: edits in other or hidden columns, totals beyond single
// precision, and numbering fields set from a profile.
#include "QORMldBOMFixture.h"

#include <cstdio>

#include "QORMldBOMHelpers.h"

namespace bomtest {
namespace {

using PriceTest = MoldDialogTest;

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

TEST_F(DialogTest, UpdateShowsNoPriceForNonPositiveProductsButCountsThemInAFullPrecisionTotal) {
  AddRow({"1", "", "PN", "", "", "", "", "", "", "5"});
  AddRow({"2", "2", "PN", "", "", "", "", "", "", "-3"});
  AddRow({"3", "16777217", "PN", "", "", "", "", "", "", "1"});
  Dlg().UpdatePrice();
  EXPECT_EQ(Strings({Cell(10, 1), Cell(10, 2), Cell(10, 3)}), Strings({"", "", "1.67772e+07"}));
  // Single precision would lose the last unit of 16777217.
  EXPECT_EQ(W<QORDlgEditor>("EditTotalPrice").GetFloatValue(), 16777217.0 - 6.0);
  EXPECT_EQ(W<QORDlgEditor>("EditTotalPrice").GetLine().Utf8(), "16777211.00");
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

// Prices in tables and profiles are read as the scan "%le" reads them, whatever shortcut is taken:
// a field the scan refuses must not become a price, and one it takes must give the same number.
TEST(NumberReadingTest, AgreesWithTheScanOnEveryKindOfField) {
  for (const char* text : {"12", "-3.5", "+.5", "7.", "-0", "0012.50", "1e3", "1e", "100ergs", " 12", "12 ", "nan", "-inf",
                           "0x1p3", ".", "-", "", "1,5", "١٢", "99999999999999999999999"}) {
    double scanned = -1.0;
    double read = -1.0;
    const bool scans = std::sscanf(text, "%le", &scanned) == 1;
    EXPECT_EQ(QORMldBOM::ScanDouble(text, read), scans) << '"' << text << '"';
    if (scans && scanned == scanned) {
      EXPECT_EQ(read, scanned) << '"' << text << '"';
    }
  }
}

}  // namespace
}  // namespace bomtest
