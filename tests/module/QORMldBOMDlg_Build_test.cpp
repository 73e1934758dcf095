// A BOM dialog that was never built.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

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
