// Tests of the toolkit where it can go wrong: handlers removed or gone while a notification
// travels, copies of subscribers, exclusive radio buttons, and the revisions a table's views follow.
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "QORMessages.h"

#include <gtest/gtest.h>

#include <cstdint>
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

// A view redraws a row only when its revision moved: a change that moves none leaves the page stale,
// one that moves every row makes a large table slow to follow.
TEST_F(ToolkitTest, EachTableChangeMovesTheRevisionsOfWhatItChanged) {
  struct Case {
    const char* change;
    std::function<void(QORDlgMultiList&)> make;
    std::vector<int> rowsMoved;
    bool columnsMoved;
  };
  const Case cases[] = {
      {"a cell written", [](QORDlgMultiList& l) { l.SetColumnItem(1, "9", 2, QORDlgDataModify); }, {2}, false},
      {"a cell written again with its text", [](QORDlgMultiList& l) { l.SetColumnItem(1, "2", 2, QORDlgDataModify); }, {}, false},
      {"an icon put on a cell", [](QORDlgMultiList& l) { l.SetColumnItem(0, "c", "I_MoveUp", 0, QORDlgDataModify); }, {0}, false},
      {"a row appended", [](QORDlgMultiList& l) { l.SetColumnItem(0, "d"); }, {3}, false},
      {"a row locked", [](QORDlgMultiList& l) { l.SetRowEditable(1, 0); }, {1}, false},
      {"a row selected", [](QORDlgMultiList& l) { l.SetSelect({1}); }, {1}, false},
      {"the selection moved", [](QORDlgMultiList& l) { l.SetSelect({0}); l.SetSelect({2}); }, {0, 2}, false},
      {"the selection cleared with none", [](QORDlgMultiList& l) { l.ClearSelect(); }, {}, false},
      {"a column hidden", [](QORDlgMultiList& l) { l.SetColumnVisibility(1, QORDlgHide); }, {}, true},
      {"columns swapped", [](QORDlgMultiList& l) { const int order[] = {1, 0}; l.ReorderColumns(order, 2, 0); }, {}, true},
      {"a column renamed", [](QORDlgMultiList& l) { l.SetColumnTitles(QORListOfQORUnicodeString{"A", "Qty"}); }, {}, true},
  };
  for (const Case& c : cases) {
    auto* list = new QORDlgMultiList(root, "ListBOM");
    list->SetColumnTitles(QORListOfQORUnicodeString{"Part", "Qty"});
    for (const char* text : {"a", "b", "c"}) list->SetColumnItem(0, text);
    for (int row = 0; row < 3; ++row) list->SetColumnItem(1, std::to_string(row), row, QORDlgDataModify);
    std::vector<std::uint64_t> before;
    for (int row = 0; row < 3; ++row) before.push_back(list->GetRowRevision(row));
    const std::uint64_t columns = list->GetColumnsRevision();
    c.make(*list);
    std::vector<int> moved;
    for (int row = 0; row < list->GetLineCount(); ++row)
      if (row >= 3 || list->GetRowRevision(row) != before[static_cast<std::size_t>(row)]) moved.push_back(row);
    EXPECT_EQ(moved, c.rowsMoved) << c.change;
    EXPECT_EQ(list->GetColumnsRevision() != columns, c.columnsMoved) << c.change;
  }
}

}  // namespace
