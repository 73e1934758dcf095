// Tests of the toolkit's notifications, widget tree and input widgets: what a handler hears, who
// owns what, what a user may act on, and which setters stay silent.
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "QOREditor.h"
#include "QORMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Heard {
  QORCommand* publisher;
  QORCommandClientData data;
  std::string by;
  std::string seen;  // what the probe saw when the handler ran
};

// A subscriber that writes down every notification its handler receives. Its handler can also
// unsubscribe another handler, to disturb a notification on its way.
class Listener : public QORCommand {
 public:
  Listener(const std::string& name, std::vector<Heard>* log) : QORCommand(name), name_(name), log_(log) {}
  void Hear(QORCommand* publisher, QORNotification*, QORCommandClientData data) {
    log_->push_back({publisher, data, name_, probe ? probe() : ""});
    if (unsubscribe) RemoveAnalyseNotificationCB(unsubscribe);
  }
  QORCallback Listen(QORCommand* publisher, QORNotification* notification, QORCommandClientData data = nullptr) {
    return AddAnalyseNotificationCB(publisher, notification, static_cast<QORCommandMethod>(&Listener::Hear), data);
  }
  QORCallback ListenToClass(QORCommand* publisher, const char* className) {
    return AddAnalyseNotificationCB(publisher, className, static_cast<QORCommandMethod>(&Listener::Hear), nullptr);
  }
  std::function<std::string()> probe;
  QORCallback unsubscribe = 0;

 private:
  std::string name_;
  std::vector<Heard>* log_;
};

class BomResourcesDialog : public QORDlgDialog {
 public:
  BomResourcesDialog() : QORDlgDialog(nullptr, "QORMldBOMDlg", 0) {}
  const char* GetResourceFilename(int level) const override {
    return level <= 0 ? "QORMldBOMDlg" : QORDialog::GetResourceFilename(level - 1);
  }
};

int destroyedLabels = 0;
class CountedLabel : public QORDlgLabel {
 public:
  using QORDlgLabel::QORDlgLabel;
  ~CountedLabel() override { ++destroyedLabels; }
};

// Widgets under a root frame that the fixture owns; dialogs go at Shutdown with the main window.
class ToolkitTest : public ::testing::Test {
 protected:
  QORDlgFrame* root = new QORDlgFrame(nullptr, "Root");
  std::vector<Heard> log;
  Listener first{"first", &log};
  Listener second{"second", &log};
  void SetUp() override { destroyedLabels = 0; }
  void TearDown() override {
    root->Release();
    QORCommandHost::Shutdown();
  }
};

// ---------------------------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------------------------
TEST_F(ToolkitTest, HandlersRunInRegistrationOrderForTheirPublisherAndNotification) {
  auto* button = new QORDlgPushButton(root, "Push");
  auto* other = new QORDlgPushButton(root, "Other");
  int data = 7;
  const QORCallback a = second.Listen(button, button->GetPushBActivateNotification(), &data);
  const QORCallback b = first.Listen(nullptr, button->GetPushBActivateNotification());
  second.Listen(other, other->GetPushBActivateNotification());
  second.Listen(button, button->GetPushBRepetitiveNotification());
  first.ListenToClass(button, QORMldFileOpenOKNotif::ClassName());
  EXPECT_NE(a, 0);
  EXPECT_GT(b, a);

  button->Dispatch(button->GetPushBActivateNotification());
  QORMldFileOpenOKNotif named;
  button->Dispatch(&named);

  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].by + log[1].by + log[2].by, "secondfirstfirst");
  EXPECT_EQ(log[0].publisher, button);
  EXPECT_EQ(log[0].data, &data);
}

TEST_F(ToolkitTest, HandlerRemovedDuringDispatchIsSkipped) {
  auto* button = new QORDlgPushButton(root, "Push");
  first.Listen(button, button->GetPushBActivateNotification());
  first.unsubscribe = first.Listen(button, button->GetPushBActivateNotification());
  button->Dispatch(button->GetPushBActivateNotification());
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(ToolkitTest, RegistrationsGoWithTheirSubscriberOrPublisher) {
  auto* button = new QORDlgPushButton(root, "Push");
  {
    Listener gone("gone", &log);
    gone.Listen(button, button->GetPushBActivateNotification());
  }
  auto* doomed = new QORDlgPushButton(nullptr, "Doomed");
  first.ListenToClass(doomed, QORMldFileOpenOKNotif::ClassName());
  doomed->Release();
  // A new widget may take the old one's address: the old registration must not reach it.
  auto* reborn = new QORDlgPushButton(root, "Reborn");
  QORMldFileOpenOKNotif named;
  button->Dispatch(button->GetPushBActivateNotification());
  reborn->Dispatch(&named);
  EXPECT_TRUE(log.empty());
}

// A subscriber that removes the handle it holds when it goes, as the BOM dialog does.
class HoldingListener : public Listener {
 public:
  using Listener::Listener;
  ~HoldingListener() override { RemoveAnalyseNotificationCB(held); }
  QORCallback held = 0;
};

// A memberwise copy holds the original's handles; its end must not unwire the original.
TEST_F(ToolkitTest, ACopyGoingAwayLeavesTheOriginalsHandlersRegistered) {
  auto* button = new QORDlgPushButton(root, "Push");
  HoldingListener original("original", &log);
  original.held = original.Listen(button, button->GetPushBActivateNotification());
  { HoldingListener copy(original); }
  button->Dispatch(button->GetPushBActivateNotification());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].by, "original");

  original.RemoveAnalyseNotificationCB(original.held);
  button->Dispatch(button->GetPushBActivateNotification());
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(ToolkitTest, SendNotificationClimbsFathersUntilSomeHandlerTakesIt) {
  auto* button = new QORDlgPushButton(root, "Push");
  QORMldFileOpenOKNotif notification;
  Listener top("top", &log);
  Listener middle("middle", &log);
  middle.SetFather(&top);
  top.ListenToClass(nullptr, QORMldFileOpenOKNotif::ClassName());
  button->SendNotification(&middle, &notification);
  middle.ListenToClass(button, QORMldFileOpenOKNotif::ClassName());
  button->SendNotification(&middle, &notification);
  button->SendNotification(nullptr, &notification);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].by + "," + log[1].by, "top,middle");
  EXPECT_EQ(log[0].publisher, button);
}

TEST_F(ToolkitTest, SettersNotifyOnlyWhenAskedTo) {
  auto* editor = new QORDlgEditor(root, "Edit");
  auto* check = new QORDlgCheckButton(root, "Check");
  auto* radio = new QORDlgRadioButton(root, "Radio");
  auto* combo = new QORDlgCombo(root, "Combo");
  combo->SetLine("a");
  first.Listen(editor, editor->GetEditModifyNotification());
  first.Listen(check, check->GetChkBModifyNotification());
  first.Listen(radio, radio->GetRadBModifyNotification());
  first.Listen(combo, combo->GetComboSelectNotification());
  const std::vector<std::function<void(int)>> setters = {
      [&](int n) { editor->SetLine("x", -1, n); },      [&](int n) { editor->SetIntegerValue(3, n); },
      [&](int n) { editor->SetFloatValue(2.5, n); },    [&](int n) { check->SetState(QORDlgChecked, n); },
      [&](int n) { radio->SetState(QORDlgChecked, n); }, [&](int n) { combo->SetSelect(0, n); }};
  for (std::size_t i = 0; i < setters.size(); ++i) {
    log.clear();
    setters[i](0);
    EXPECT_TRUE(log.empty()) << "setter " << i << " notified without being asked";
    setters[i](1);
    EXPECT_EQ(log.size(), 1u) << "setter " << i;
  }
}

// ---------------------------------------------------------------------------------------------
// Widget tree
// ---------------------------------------------------------------------------------------------
TEST_F(ToolkitTest, ParentsOwnTheirChildrenAndListThemInCreationOrder) {
  auto* tree = new QORDlgFrame(nullptr, "Tree");
  auto* frame = new QORDlgFrame(tree, "Frame");
  new CountedLabel(frame, "Label");
  new QORDlgMultiList(tree, "List");
  new CountedLabel(tree, "Last");
  std::string listing;
  tree->VisitTree([&](const QORDialog& w, int depth) {
    listing += std::string(static_cast<std::size_t>(depth), ' ') + w.GetName() + ":" + w.GetImplClassName() + "\n";
  });
  EXPECT_EQ(listing, "Tree:QORDlgFrame\n Frame:QORDlgFrame\n  Label:QORDlgLabel\n List:QORDlgMultiList\n Last:QORDlgLabel\n");
  EXPECT_EQ(tree->FindWidget("Label")->GetParent(), frame);
  tree->Release();
  EXPECT_EQ(destroyedLabels, 2);
}

TEST_F(ToolkitTest, TopLevelDialogIsHiddenUntilShownAndUsableOnlyWhenShownAndEnabledUpToIt) {
  auto* dialog = new QORDlgDialog(nullptr, "Dlg", 0);
  auto* frame = new QORDlgFrame(dialog, "Frame");
  auto* button = new QORDlgPushButton(frame, "Push");
  EXPECT_EQ(dialog->GetFather(), dialog->GetParent()) << "no command created it";
  EXPECT_EQ(button->GetDialog(), dialog);
  EXPECT_EQ(dialog->GetVisibility(), QORDlgHide);
  EXPECT_FALSE(button->IsUsable());
  dialog->SetVisibility(QORDlgShow);
  dialog->GetParent()->SetSensitivity(QORDlgDisable);  // the main window above never counts
  EXPECT_TRUE(button->IsUsable());
  struct Case {
    QORDialog* widget;
    bool visibility;  // else sensitivity
    int value;
  };
  for (const Case& c : {Case{dialog, true, QORDlgHide}, Case{frame, false, QORDlgDisable},
                        Case{button, true, QORDlgHide}, Case{button, false, QORDlgDisable}}) {
    c.visibility ? c.widget->SetVisibility(c.value) : c.widget->SetSensitivity(c.value);
    EXPECT_FALSE(button->IsUsable()) << c.widget->GetName() << " " << c.value;
    c.visibility ? c.widget->SetVisibility(QORDlgShow) : c.widget->SetSensitivity(QORDlgEnable);
  }
}

TEST_F(ToolkitTest, TitleIsTheSetOneElseTheDialogResourceElseTheIdentifier) {
  auto* dialog = new BomResourcesDialog();
  auto* button = new QORDlgPushButton(new QORDlgFrame(dialog, "FrmBottom"), "PushAnalyze");
  auto* unknown = new QORDlgLabel(dialog, "NoSuchText");
  const std::string expected = QORDialogResources::Text("QORMldBOMDlg", "PushAnalyze");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(button->GetTitle().Utf8(), expected);
  EXPECT_EQ(dialog->GetTitle().Utf8(), QORDialogResources::Text("QORMldBOMDlg", "QORMldBOMDlg"));
  EXPECT_EQ(unknown->GetTitle().Utf8(), "NoSuchText");
  button->SetTitle("");
  EXPECT_EQ(button->GetTitle().Utf8(), "");
}

TEST_F(ToolkitTest, DelayedDestructionHidesAtOnceAndDestroysOnceAfterTheEvent) {
  auto* dialog = new QORDlgDialog(nullptr, "Dlg", 0);
  new CountedLabel(dialog, "Label");
  dialog->SetVisibility(QORDlgShow);
  dialog->RequestDelayedDestruction();
  dialog->RequestDelayedDestruction();
  EXPECT_EQ(dialog->GetVisibility(), QORDlgHide);
  EXPECT_EQ(destroyedLabels, 0);
  QORCommandHost::EndOfUserEvent();
  EXPECT_EQ(destroyedLabels, 1);
  const auto& windows = QORApplicationFrame::GetFrame()->GetMainWindow()->GetChildren();
  EXPECT_EQ(std::find(windows.begin(), windows.end(), dialog), windows.end());
}

// ---------------------------------------------------------------------------------------------
// Input widgets
// ---------------------------------------------------------------------------------------------
TEST_F(ToolkitTest, EditorNumbersAreReadFromItsTextAndRealsShownWithTwoDecimals) {
  auto* editor = new QORDlgEditor(root, "Edit", QORDlgEdtInteger);
  struct Case { const char* text; int integer; double real; };
  for (const Case& c : {Case{" -5 ", -5, -5.0}, Case{"+3", 3, 3.0}, Case{"2.5", 0, 2.5}, Case{"1e3", 0, 1000.0},
                        Case{"12abc", 0, 0.0}, Case{"", 0, 0.0}, Case{"99999999999", 0, 99999999999.0}}) {
    editor->SetLine(c.text);
    EXPECT_EQ(editor->GetIntegerValue(), c.integer) << c.text;
    EXPECT_EQ(editor->GetFloatValue(), c.real) << c.text;
  }
  // The text rounds to cents while the value keeps what single precision would lose.
  for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
           {0.0, "0.00"}, {50.0, "50.00"}, {10136.03, "10136.03"}, {123456789.015625, "123456789.02"},
           {-2.5, "-2.50"}, {std::nan(""), "nan"}}) {
    editor->SetFloatValue(value);
    EXPECT_EQ(editor->GetLine().Utf8(), text);
    if (!std::isnan(value)) {
      EXPECT_EQ(editor->GetFloatValue(), value) << text;
    }
  }
}

TEST_F(ToolkitTest, ClickingARadioButtonUnchecksItsFrameSiblingsBeforeAnyoneHears) {
  auto* mode = new QORDlgFrame(root, "FrmMode");
  auto* integer = new QORDlgRadioButton(mode, "RadioInteger");
  new QORDlgLabel(mode, "LbMode");
  auto* letter = new QORDlgRadioButton(mode, "RadioLetter");
  auto* elsewhere = new QORDlgRadioButton(root, "RadioKeep");
  integer->SetState(QORDlgChecked);
  elsewhere->SetState(QORDlgChecked);
  letter->SetState(QORDlgChecked);
  EXPECT_EQ(integer->GetState(), QORDlgChecked) << "the module's own setters are not exclusive";
  letter->SetState(QORDlgUnchecked);

  first.probe = [&] { return std::to_string(integer->GetState()) + "/" + std::to_string(letter->GetState()); };
  for (QORDlgRadioButton* radio : {integer, letter, elsewhere}) first.Listen(radio, radio->GetRadBModifyNotification());
  EXPECT_EQ(QORDlgRadioButton::ClickExclusive(letter), (std::vector<QORDlgRadioButton*>{integer, letter}));
  const std::string settled = std::to_string(QORDlgUnchecked) + "/" + std::to_string(QORDlgChecked);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].publisher, integer) << "the unchecked button is heard first";
  EXPECT_EQ(log[0].seen, settled);
  EXPECT_EQ(log[1].seen, settled);
  EXPECT_EQ(elsewhere->GetState(), QORDlgChecked);

  log.clear();
  EXPECT_TRUE(QORDlgRadioButton::ClickExclusive(letter).empty());
  EXPECT_TRUE(log.empty());
}

TEST_F(ToolkitTest, ComboReplacingAllLinesChoosesTheFirst) {
  auto* combo = new QORDlgCombo(root, "Combo");
  for (const char* line : {"NUMBER", "QTY", "Added1"}) combo->SetLine(line, -1, QORDlgDataAdd);
  combo->SetLine("PARTNUMBER", 1, QORDlgDataModify);
  EXPECT_EQ(combo->GetSelect(), -1);
  QORUnicodeString text;
  combo->GetLine(text, 1);
  EXPECT_EQ(text.Utf8(), "PARTNUMBER");
  combo->SetLines(QORListOfQORUnicodeString{"REFERENCE", "SOURCE"}, 0, QORDlgDataModify);
  EXPECT_EQ(combo->GetLineCount(), 2);
  EXPECT_EQ(combo->GetSelect(), 0);
  combo->SetSelect(5);
  EXPECT_EQ(combo->GetSelect(), 0) << "no such line";
  combo->SetLines(QORListOfQORUnicodeString{}, 0, QORDlgDataModify);
  EXPECT_EQ(combo->GetSelect(), -1);
}

TEST_F(ToolkitTest, FrameRecordsEveryChildOfANullEndedAttachmentList) {
  auto* a = new QORDlgFrame(root, "A");
  auto* b = new QORDlgFrame(root, "B");
  root->SetVerticalAttachment(0, 1, a, b, nullptr);
  root->SetHorizontalAttachment(2, 3, b, nullptr);
  const auto& attachments = root->GetAttachments();
  ASSERT_EQ(attachments.size(), 3u);
  EXPECT_EQ(attachments[1].child, b);
  EXPECT_FALSE(attachments[2].vertical);
  EXPECT_EQ(attachments[2].tab * 10 + attachments[2].mode, 23);
}

}  // namespace
