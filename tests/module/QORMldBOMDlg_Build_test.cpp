// The BOM dialog right after it is built, its resource names, its buttons that reach the command,
// and a dialog that was never built.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

const Strings FixedTitles = {"Number",   "Qty",    "Part Number", "Reference",  "Mold Ref", "Supplier",
                             "Material", "Source", "Heat Treat",  "Unit Price", "Price"};

using BuildTest = DialogTest;

TEST_F(BuildTest, ShowsTheFixedColumnsInTableOrderOverSpareHiddenOnes) {
  EXPECT_EQ(Dlg().GetNumberOfItems(), 11);
  EXPECT_EQ(Dlg().GetNumberOfLines(), 1);
  EXPECT_EQ(List().GetRowEditable(0), 0);
  EXPECT_EQ(QORMldBOMDlgTestAccess::SelectedColumn(Dlg()), -1);
  EXPECT_EQ(ShownTitles(), FixedTitles);
  const QORListOfInt& positions = QORMldBOMDlgTestAccess::Positions(Dlg());
  ASSERT_EQ(positions.Size(), 61);
  for (int k = 1; k <= 61; ++k) {
    const int p = k - 1;
    EXPECT_EQ(positions[k], k <= 11 ? p : 1000 + p);
    EXPECT_EQ(QORMldBOMDlgTestAccess::Kinds(Dlg())[k], k <= 11 ? 0 : -2);
    EXPECT_EQ(List().GetColumnEditable(p), p == 9 ? 1 : 0) << p;
    if (p >= 11) {
      EXPECT_EQ(List().GetColumnTitle(p).Utf8(), "Added" + std::to_string(p - 10));
      EXPECT_EQ(List().GetColumnTextWidth(p), 8);
    }
  }
  // The titles are held with MOLDREFERENCE last; the combo, like the table, has it fifth.
  EXPECT_EQ(QORMldBOMDlgTestAccess::FixedTitle(Dlg(), 10).Utf8(), "Mold Ref");
  auto& combo = W<QORDlgCombo>("ComboDisplay");
  Strings lines(static_cast<std::size_t>(combo.GetLineCount()));
  for (int i = 0; i < combo.GetLineCount(); ++i) {
    QORUnicodeString line;
    combo.GetLine(line, i);
    lines[static_cast<std::size_t>(i)] = line.Utf8();
  }
  Strings expected = FixedTitles;
  expected.insert(expected.end(), {"Added1", "Added2", "Added3"});
  EXPECT_EQ(lines, expected);
}

TEST_F(BuildTest, SettingsStartAsANewBillOfMaterialsWithTheColumnBarIdle) {
  EXPECT_EQ(W<QORDlgEditor>("StartNumber").GetLine().Utf8() + W<QORDlgEditor>("IncrNumber").GetLine().Utf8(), "11");
  EXPECT_EQ(W<QORDlgEditor>("EditTotalPrice").GetFloatValue(), 0.0);
  for (const char* id : {"RadioInteger", "RadioReplace"}) EXPECT_EQ(W<QORDlgRadioButton>(id).GetState(), QORDlgChecked);
  for (const char* id : {"RadioLetter", "RadioKeep"}) EXPECT_EQ(W<QORDlgRadioButton>(id).GetState(), QORDlgUnchecked);
  EXPECT_EQ(W<QORDlgCheckButton>("CheckEditable").GetState(), QORDlgChecked);
  EXPECT_EQ(W<QORDlgCheckButton>("CheckSort").GetState(), QORDlgUnchecked);
  for (const char* id : {"RadioKeep", "RadioReplace", "FrmTop", "FrmBottom", "PushAdd", "PushAddUser", "PushLeft",
                         "PushRight", "PushHide", "PushRename", "PushDelete"})
    EXPECT_FALSE(IsEnabled(id)) << id;
  for (const char* id : {"PushRename", "EditRename", "PushDelete", "PushDisplay", "ComboDisplay"})
    EXPECT_FALSE(IsShown(id)) << id;
}

// Widget titles are looked up in the dialog's resources by these names.
TEST_F(BuildTest, ResourceNamesFallBackToTheWidgetBase) {
  EXPECT_STREQ(Dlg().GetResourceFilename(0), "QORMldBOMDlg");
  EXPECT_STREQ(Dlg().GetResourceFilename(-3), "QORMldBOMDlg");
  EXPECT_STREQ(Dlg().GetResourceFilename(1), "QORDialog");
}

TEST_F(BuildTest, ReportAndCloseButtonsPassTheirNotificationsToTheCommand) {
  auto* father = new FatherCommand();
  QORNotification* report = W<QORDlgPushButton>("PushAnalyze").GetPushBActivateNotification();
  father->AddAnalyseNotificationCB(&Dlg(), report, static_cast<QORCommandMethod>(&FatherCommand::Heard), nullptr);
  Dlg().SetFather(father);
  Press("PushAnalyze");
  EXPECT_EQ(father->heard, 1);
  EXPECT_TRUE(QORApplicationFrame::IsBusy());
  Dlg().Dispatch(Dlg().GetWindCloseNotification());
  EXPECT_TRUE(Dlg().IsDestructionRequested());
  EXPECT_EQ(Dlg().GetVisibility(), QORDlgHide);
  Dlg().SetFather(nullptr);
  father->Release();
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
