// Tests of the file boxes where two boxes share a name and where the module releases a box from
// its own answer.
#include "QORFileBoxes.h"

#include <gtest/gtest.h>


#include "QORCommandEngine.h"
#include "QOREditor.h"

namespace {

// Subscribes to a box's OK the way the BOM dialog does, and releases the box there as it does.
class Listener : public QORCommand {
 public:
  void Watch(QORCommand* box, QORNotification* ok) {
    AddAnalyseNotificationCB(box, ok, static_cast<QORCommandMethod>(&Listener::OnOk), nullptr);
  }
  void OnOk(QORCommand*, QORNotification*, QORCommandClientData) {
    if (releaseOnAnswer) QORRelease(releaseOnAnswer);
  }

  QORIFmuDialogBox* releaseOnAnswer = nullptr;
};

// A command that only runs, so that boxes have a living creator.
class BoxOwnerCom : public QORStateCommand {
 public:
  BoxOwnerCom() : QORStateCommand("BoxOwnerCom") {}
  void BuildGraph() override { GetInitialState("InitialState"); }
};
QORBaseUnknown* CreateBoxOwner(QORString*) { return new BoxOwnerCom(); }
const QORFillDictionary boxOwnerRegistration("FileBoxesTestCom", CreateBoxOwner);

class FileBoxesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    QORCommandHost::Shutdown();
    EXPECT_EQ(QORFileBoxHost::LiveBoxCount(), 0);
  }

  static QORIFmuDialogBox* NewBox(const char* name) {
    QORIFmuDialogBox* box = nullptr;
    EXPECT_EQ(QORFileMenuMethods::CreateCurrentDocEnvDialogBox(nullptr, name, 512, box), S_OK);
    return box;
  }
  Listener listener;
};

TEST_F(FileBoxesTest, AnswerGoesToTheLastShownBoxOfThatName) {
  QORIFmuDialogBox* first = NewBox("FileSelection");
  QORIFmuDialogBox* second = NewBox("FileSelection");
  second->SetVisibility(QORDlgShow);
  first->SetVisibility(QORDlgShow);
  EXPECT_TRUE(QORFileBoxHost::Answer("FileSelection", true, "a.bom"));
  EXPECT_EQ(first->GetSelectedPath().Utf8(), "a.bom");
  EXPECT_EQ(second->GetSelectedPath().Utf8(), "");
  first->Release();
  second->Release();
}

// The module releases the box from its own OK handler; the box's dialog must survive the rest of
// that event and go at its end, even while the command that created it still runs.
TEST_F(FileBoxesTest, BoxReleasedInItsOwnHandlerGoesAtTheEndOfTheEvent) {
  ASSERT_TRUE(QORCommandHost::StartCommand("FileBoxesTestCom"));
  QORIFmuDialogBox* box = NewBox("FileSelection");
  EXPECT_EQ(box->GetDialog()->GetCreator(), QORCommandHost::RunningCommand());
  listener.Watch(box->GetDialog(), box->GetOKNotification());
  listener.releaseOnAnswer = box;
  box->SetVisibility(QORDlgShow);
  const int dialogsBefore = QORCommandHost::DestroyedDialogCount();

  EXPECT_TRUE(QORFileBoxHost::Answer("FileSelection", true, "p.bom"));
  EXPECT_EQ(QORFileBoxHost::LiveBoxCount(), 0);
  EXPECT_EQ(QORCommandHost::DestroyedDialogCount(), dialogsBefore);
  QORCommandHost::EndOfUserEvent();
  EXPECT_EQ(QORCommandHost::DestroyedDialogCount(), dialogsBefore + 1);
}

}  // namespace
