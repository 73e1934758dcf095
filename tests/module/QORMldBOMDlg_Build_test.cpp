// The BOM dialog's held column descriptors, and a dialog that was never built.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

using BuildTest = DialogTest;

// The titles are held with MOLDREFERENCE last, while the table and the combo show it fifth.
TEST_F(BuildTest, TheHeldTitlesKeepMoldReferenceLast) {
  EXPECT_EQ(QORMldBOMDlgTestAccess::FixedTitle(Dlg(), 10).Utf8(), "Mold Ref");
  const QORListOfInt& positions = QORMldBOMDlgTestAccess::Positions(Dlg());
  ASSERT_EQ(positions.Size(), 61);
  for (int k = 1; k <= 61; ++k) EXPECT_EQ(QORMldBOMDlgTestAccess::Kinds(Dlg())[k], k <= 11 ? 0 : -2) << k;
}

TEST(UnbuiltDialogTest, DoesNothingAndGoesQuietly) {
  auto* dialog = new QORMldBOMDlg();
  dialog->InitReport();
  dialog->AddCol("Cost", TRUE);
  dialog->HideCol(0);
  dialog->UpdatePrice();
  EXPECT_EQ(dialog->GetNumberOfLines(), 0);
  EXPECT_EQ(dialog->GetNumberOfItems(), 11);
  EXPECT_TRUE(dialog->IsIntegerMode());
  const int before = QORCommandHost::DestroyedDialogCount();
  dialog->RequestDelayedDestruction();
  QORCommandHost::EndOfUserEvent();
  EXPECT_EQ(QORCommandHost::DestroyedDialogCount(), before + 1);
}

}  // namespace
}  // namespace bomtest
