// Tests of the state-command engine: a command shaped like the BOM command, its agents, how it
// ends, and the host's delayed destruction of dialogs and agents.
#include "QORCommandEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QOREditor.h"
#include "QORFileBoxes.h"

namespace {

// What the test command and dialog did, reset before each test.
struct Trace {
  int commandsDestroyed = 0, dialogsDestroyed = 0, boxAsked = 0, closed = 0;
  std::vector<std::string> reports;  // "valued" or "re-armed": the agent's state as the action began
  bool rearmReport = true;
  bool refuseActivation = false;
};
Trace trace;

class EngineTestDlg : public QORDlgDialog {
 public:
  EngineTestDlg() : QORDlgDialog(nullptr, "EngineTestDlg", 0), report(new QORDlgPushButton(this, "PushAnalyze")) {
    for (QORNotification* close : {GetDiaCLOSENotification(), GetWindCloseNotification()})
      AddAnalyseNotificationCB(this, close, static_cast<QORCommandMethod>(&EngineTestDlg::OnClose), nullptr);
  }
  ~EngineTestDlg() override { ++trace.dialogsDestroyed; }
  // Closing asks for the dialog's end; the command still reads it while its close action runs.
  void OnClose(QORCommand*, QORNotification*, QORCommandClientData) { RequestDelayedDestruction(); }
  QORDlgPushButton* report;
};

// Agents, states and transitions as the BOM command builds them.
class EngineTestCom : public QORStateCommand {
 public:
  EngineTestCom() : QORStateCommand("EngineTestCom", 0x40, 1), dialog(new EngineTestDlg()) {}
  ~EngineTestCom() override {
    QORCommandDeletion(panelAgent);
    if (saveBox) {
      saveBox->Close();
      saveBox->Release();
    }
    if (saveBoxAgent) saveBoxAgent->Release();
    for (QORDialogAgent* agent : {closeAgent, reportAgent, static_cast<QORDialogAgent*>(productAgent)})
      agent->RequestDelayedDestruction();
    ++trace.commandsDestroyed;
  }

  QORStatusChange Activate(QORCommand*, QORNotification*) override {
    if (trace.refuseActivation)
      RequestDelayedDestruction();
    else
      dialog->SetVisibility(QORDlgShow);
    return 0;
  }
  QORStatusChange Cancel(QORCommand*, QORNotification*) override {
    dialog->SetVisibility(QORDlgHide);
    return 0;
  }

  void BuildGraph() override {
    productAgent = new QORPathElementAgent("ProdSel", 0x40);
    productAgent->SetOrderedElementType(QORIProduct::ClassName());
    closeAgent = new QORDialogAgent("Close", 0, 3);
    closeAgent->AcceptOnNotify(dialog, dialog->GetDiaCLOSENotification());
    closeAgent->AcceptOnNotify(dialog, dialog->GetWindCloseNotification());
    panelAgent = new QORPanelAcquisition("CmdBom", dialog);
    panelAgent->AcceptOnNotify(dialog, dialog->report->GetPushBActivateNotification());
    reportAgent = new QORDialogAgent("OKReport", 0x10, 3);
    reportAgent->AcceptOnNotify(nullptr, QORMldFileOpenOKNotif::ClassName());
    QORFileMenuMethods::CreateCurrentDocEnvDialogBox(dialog->GetFatherWindow(), "SaveBom", 0x800200, saveBox);
    saveBoxAgent = new QORDialogAgent("ACQ_PrintBom", 0, 3);
    saveBoxAgent->AcceptOnNotify(saveBox->GetDialog(), saveBox->GetCancelNotification());
    saveBoxAgent->AcceptOnNotify(saveBox->GetDialog(), saveBox->GetOKNotification());

    QORDialogState* initial = GetInitialState("InitialState");
    QORDialogState* select = AddDialogState("Select Bom File");
    select->AddDialogAgent(saveBoxAgent);
    select->AddDialogAgent(panelAgent);
    for (QORDialogAgent* agent : {closeAgent, reportAgent, static_cast<QORDialogAgent*>(productAgent),
                                  static_cast<QORDialogAgent*>(panelAgent)})
      initial->AddDialogAgent(agent);
    AddTransition(initial, select,
                  AndCondition(IsLastModifiedAgentCondition(panelAgent, dialog->report->GetPushBActivateNotification()),
                               Condition(Method(&EngineTestCom::BomAsked))),
                  nullptr);
    AddTransition(initial, nullptr, IsOutputSetCondition(closeAgent), Action(Method(&EngineTestCom::ActClose)));
    AddTransition(initial, initial, IsOutputSetCondition(reportAgent), Action(Method(&EngineTestCom::ActSelReport)));
    AddTransition(initial, initial, IsOutputSetCondition(productAgent), Action(Method(&EngineTestCom::ActSelProd)));
  }

  QORBoolean BomAsked(void*) {
    ++trace.boxAsked;
    saveBox->SetVisibility(QORDlgShow);
    return TRUE;
  }
  QORBoolean ActClose(void*) {
    ++trace.closed;
    return TRUE;
  }
  QORBoolean ActSelReport(void*) {
    trace.reports.push_back(reportAgent->IsOutputSet() ? "valued" : "re-armed");
    if (trace.rearmReport) reportAgent->InitializeAcquisition();
    return TRUE;
  }
  QORBoolean ActSelProd(void*) {
    productAgent->InitializeAcquisition();
    return TRUE;
  }

  static QORActionMethod Method(QORBoolean (EngineTestCom::*method)(void*)) {
    return static_cast<QORActionMethod>(method);
  }

  EngineTestDlg* dialog;
  QORDialogAgent* closeAgent = nullptr;
  QORDialogAgent* reportAgent = nullptr;
  QORPathElementAgent* productAgent = nullptr;
  QORPanelAcquisition* panelAgent = nullptr;
  QORDialogAgent* saveBoxAgent = nullptr;
  QORIFmuDialogBox* saveBox = nullptr;
};

QORBaseUnknown* CreateEngineTestCom(QORString*) { return new EngineTestCom(); }
const QORFillDictionary engineTestRegistration("EngineTestCom", CreateEngineTestCom);

class CountedAgent : public QORDialogAgent {
 public:
  explicit CountedAgent(int& destroyed) : QORDialogAgent("Counted"), destroyed_(destroyed) {}
  ~CountedAgent() override { ++destroyed_; }

 private:
  int& destroyed_;
};

class CommandEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { trace = Trace{}; }
  void TearDown() override { QORCommandHost::Shutdown(); }

  static EngineTestCom* Start() {
    EXPECT_TRUE(QORCommandHost::StartCommand("EngineTestCom"));
    return dynamic_cast<EngineTestCom*>(QORCommandHost::RunningCommand());
  }
  static void NameProfile(QORDlgDialog* dialog) {
    auto* notification = new QORMldFileOpenOKNotif();
    QORCleaner::DeleteOnTransactionEnd(notification);
    dialog->SendNotification(dialog->GetFather(), notification);
    QORCommandHost::EndOfUserEvent();
  }
  static bool BoxIsOpen() { return !QORFileBoxHost::OpenBoxes().empty(); }
};

// Another agent's event must not run the report transition's second operand (showing the box).
TEST_F(CommandEngineTest, AnAgentKeepsItsValueUntilItsActionRearmsIt) {
  EngineTestCom* command = Start();
  NameProfile(command->dialog);
  EXPECT_EQ(trace.boxAsked, 0);
  EXPECT_FALSE(BoxIsOpen());
  NameProfile(command->dialog);
  EXPECT_EQ(trace.reports, (std::vector<std::string>{"valued", "valued"}));

  trace.rearmReport = false;
  NameProfile(command->dialog);
  NameProfile(command->dialog);
  EXPECT_EQ(trace.reports.size(), 3u);
  EXPECT_TRUE(command->reportAgent->IsOutputSet());
}

// However a command ends, it and its dialogs (its own and the save box's) go once, at the end of the
// event: a closing action or a cancelled command may still read the dialog until then.
TEST_F(CommandEngineTest, EveryEndDestroysTheCommandAndItsDialogsOnce) {
  enum class End { DialogClose, WindowClose, Cancel, RefusedActivation };
  for (const End end : {End::DialogClose, End::WindowClose, End::Cancel, End::RefusedActivation}) {
    SCOPED_TRACE(static_cast<int>(end));
    trace = Trace{};
    trace.refuseActivation = end == End::RefusedActivation;
    const int commandsBefore = QORCommandHost::DestroyedStateCommandCount();
    const int dialogsBefore = QORCommandHost::DestroyedDialogCount();
    ASSERT_TRUE(QORCommandHost::StartCommand("EngineTestCom"));
    auto* command = dynamic_cast<EngineTestCom*>(QORCommandHost::RunningCommand());
    if (end == End::DialogClose || end == End::WindowClose) {
      EngineTestDlg* dialog = command->dialog;
      dialog->Dispatch(end == End::WindowClose ? dialog->GetWindCloseNotification()
                                               : dialog->GetDiaCLOSENotification());
      EXPECT_EQ(dialog->GetVisibility(), QORDlgHide);
      EXPECT_EQ(trace.dialogsDestroyed, 0) << "the closing action may still read the dialog";
      EXPECT_EQ(trace.closed, 1);
      QORCommandHost::EndOfUserEvent();
    } else if (end == End::Cancel) {
      command->dialog->RequestDelayedDestruction();
      QORCommandHost::EndOfUserEvent();
      EXPECT_EQ(trace.dialogsDestroyed, 0) << "the dialog waits for its command";
      QORCommandHost::CancelRunningCommand();
    }
    EXPECT_EQ(QORCommandHost::RunningCommand(), nullptr);
    EXPECT_EQ(trace.commandsDestroyed, 1);
    EXPECT_EQ(trace.dialogsDestroyed, 1);
    EXPECT_EQ(QORCommandHost::DestroyedStateCommandCount() - commandsBefore, 1);
    EXPECT_EQ(QORCommandHost::DestroyedDialogCount() - dialogsBefore, 2);
    EXPECT_EQ(QORFileBoxHost::LiveBoxCount(), 0);
  }
}

TEST_F(CommandEngineTest, EndOfEventReleasesAgentsCleanedObjectsAndTheBusyCursor) {
  int agentsDestroyed = 0;
  auto* agent = new CountedAgent(agentsDestroyed);
  agent->RequestDelayedDestruction();
  auto* notification = new QORNotification();
  notification->AddRef();
  QORCleaner::DeleteOnTransactionEnd(notification);
  QORApplicationFrame::SetBusyCursor();
  EXPECT_EQ(agentsDestroyed, 0);

  QORCommandHost::EndOfUserEvent();
  EXPECT_EQ(agentsDestroyed, 1);
  EXPECT_EQ(notification->RefCount(), 1u);
  EXPECT_FALSE(QORApplicationFrame::IsBusy());
  notification->Release();
}

}  // namespace
