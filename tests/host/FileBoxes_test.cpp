// Tests of the file boxes and the document chooser: what a user sees of them, how an answer
// reaches the module, and when their dialogs go.
#include "QORFileBoxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QORCommandEngine.h"
#include "QOREditor.h"

namespace {

// Subscribes to a box's OK and cancel the way the BOM dialog does, and remembers what came.
class Listener : public QORCommand {
 public:
  void Watch(QORCommand* box, QORNotification* ok, QORNotification* cancel) {
    AddAnalyseNotificationCB(box, ok, static_cast<QORCommandMethod>(&Listener::OnOk), nullptr);
    AddAnalyseNotificationCB(box, cancel, static_cast<QORCommandMethod>(&Listener::OnCancel), nullptr);
  }
  void OnOk(QORCommand*, QORNotification*, QORCommandClientData) {
    heard.push_back("ok");
    if (releaseOnAnswer) QORRelease(releaseOnAnswer);
  }
  void OnCancel(QORCommand*, QORNotification*, QORCommandClientData) { heard.push_back("cancel"); }

  std::vector<std::string> heard;
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

// What a shown box lists (title, filters, presets) is checked where the BOM command fills it.
TEST_F(FileBoxesTest, OnlyAShownBoxIsListedAndAnswered) {
  QORIFmuDialogBox* box = NewBox("SaveBom");
  EXPECT_EQ(box->GetDialog()->GetParent(), QORApplicationFrame::GetFrame()->GetMainWindow());
  EXPECT_TRUE(QORFileBoxHost::OpenBoxes().empty()) << "a new box is hidden";
  box->SetVisibility(QORDlgShow);
  const std::vector<QOROpenBoxInfo> open = QORFileBoxHost::OpenBoxes();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].name + "|" + open[0].kind, "SaveBom|file box");

  box->SetVisibility(QORDlgHide);
  EXPECT_TRUE(QORFileBoxHost::OpenBoxes().empty());
  EXPECT_EQ(QORFileBoxHost::Answer("SaveBom", true, "x.csv").Why(), "no open box named SaveBom");
  box->Close();
  EXPECT_EQ(box->SetVisibility(QORDlgShow), E_FAIL) << "a closed box is done with";
  box->Release();
}

TEST_F(FileBoxesTest, AnswerGivesThePathAsTypedAndPublishesOkOrCancel) {
  struct Case { bool ok; const char* typed; const char* heard; const char* path; bool hasDocument; };
  const Case cases[] = {{true, "./bom.csv", "ok", "./bom.csv", true},
                        {true, "../dir with blanks/b.csv", "ok", "../dir with blanks/b.csv", true},
                        {true, "", "ok", "", false},
                        {false, "ignored.csv", "cancel", "", false}};
  QORIFmuDialogBox* box = NewBox("SaveBom");
  QORCommand* command = nullptr;
  ASSERT_EQ(box->GetCommand(command), S_OK);
  EXPECT_EQ(command, box->GetDialog());
  listener.Watch(command, box->GetOKNotification(), box->GetCancelNotification());
  for (const Case& c : cases) {
    listener.heard.clear();
    box->SetVisibility(QORDlgShow);
    EXPECT_TRUE(QORFileBoxHost::Answer("SaveBom", c.ok, c.typed));
    EXPECT_EQ(listener.heard, std::vector<std::string>{c.heard}) << c.typed;
    EXPECT_EQ(box->GetSelectedPath().Utf8(), c.path);
    QORIDocument* document = nullptr;
    EXPECT_EQ(SUCCEEDED(box->GetSelectedDocument(document)), c.hasDocument) << c.typed;
    if (document) {
      EXPECT_EQ(document->GetPath().Utf8(), c.path);
    }
    QORRelease(document);
    EXPECT_EQ(QORFileBoxHost::OpenBoxes().size(), 1u) << "hiding the box is the module's business";
  }
  box->Release();
}

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

TEST_F(FileBoxesTest, ChooserGivesOneFileDocumentWhoseIdentifierIsThePath) {
  QORIFmuDocChooser* chooser = nullptr;
  ASSERT_EQ(QORFileMenuMethods::CreateDocChooser(nullptr, "FileOpen", 0, 0x1001200, nullptr, chooser), S_OK);
  QORCommand* command = nullptr;
  QORNotification* ok = nullptr;
  QORNotification* cancel = nullptr;
  ASSERT_EQ(chooser->GetCommand(command), S_OK);
  ASSERT_EQ(chooser->GetOKNotification(ok), S_OK);
  ASSERT_EQ(chooser->GetCancelNotification(cancel), S_OK);
  listener.Watch(command, ok, cancel);
  chooser->SetVisibility(QORDlgShow);
  EXPECT_EQ(QORFileBoxHost::OpenBoxes().at(0).kind, "document chooser");

  EXPECT_TRUE(QORFileBoxHost::Answer("FileOpen", true, "profiles/mold.bom"));
  QORListValQORIDocId_var documents;
  ASSERT_EQ(chooser->GetSelectedDocuments(documents), S_OK);
  ASSERT_EQ(documents.Size(), 1);
  EXPECT_EQ(documents[1]->GetIdentifier().Utf8(), "profiles/mold.bom");
  QORIDocEnvironment* environment = nullptr;
  ASSERT_EQ(documents[1]->GetDocEnvironment(environment), S_OK);
  EXPECT_EQ(environment->GetType().Utf8(), "File");
  QORRelease(environment);

  EXPECT_TRUE(QORFileBoxHost::Answer("FileOpen", true, ""));
  QORListValQORIDocId_var none;
  chooser->GetSelectedDocuments(none);
  EXPECT_EQ(none.Size(), 0);
  EXPECT_EQ(listener.heard, (std::vector<std::string>{"ok", "ok"}));
  chooser->Release();
}

// The module releases the box from its own OK handler; the box's dialog must survive the rest of
// that event and go at its end, even while the command that created it still runs.
TEST_F(FileBoxesTest, BoxReleasedInItsOwnHandlerGoesAtTheEndOfTheEvent) {
  ASSERT_TRUE(QORCommandHost::StartCommand("FileBoxesTestCom"));
  QORIFmuDialogBox* box = NewBox("FileSelection");
  EXPECT_EQ(box->GetDialog()->GetCreator(), QORCommandHost::RunningCommand());
  listener.Watch(box->GetDialog(), box->GetOKNotification(), box->GetCancelNotification());
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
