// Rows handed to the table: the values a caller may give, blank lines and the parallel part lists.
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

using StoredValuesTest = MoldDialogTest;

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

}  // namespace
}  // namespace bomtest
