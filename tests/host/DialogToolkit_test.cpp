// Tests of the toolkit's notifications where they can go wrong: handlers removed or gone while a
// notification travels, copies of subscribers, and exclusive radio buttons.
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "QORMessages.h"

#include <gtest/gtest.h>

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

// Widgets under a root frame that the fixture owns; dialogs go at Shutdown with the main window.
class ToolkitTest : public ::testing::Test {
 protected:
  QORDlgFrame* root = new QORDlgFrame(nullptr, "Root");
  std::vector<Heard> log;
  Listener first{"first", &log};
  void TearDown() override {
    root->Release();
    QORCommandHost::Shutdown();
  }
};

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

}  // namespace
