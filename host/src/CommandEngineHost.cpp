// The host's command engine: the running command, the end of a user event with its delayed
// destructions and cleaner, and the seams the toolkit calls.
#include "QORCommandEngine.h"

#include <algorithm>
#include <utility>

#include "FileBoxDialog.h"
#include "MainWindow.h"
#include "RunningCommand.h"
#include "QOREditor.h"

namespace {

// The engine holds a reference of its own on what waits, so that a window torn down meanwhile
// cannot leave it pointing at a destroyed widget.
struct PendingDestruction {
  QORCommand* object;
  // A widget's creation reference belongs to its parent, anything else's to its creator.
  bool ownedByParent;
};

struct EngineState {
  QORStateCommand* running = nullptr;
  QORStateCommand* underConstruction = nullptr;
  // Objects whose owner reference goes at the end of the event (dialogs: once their creator ended).
  std::vector<PendingDestruction> scheduled;
  // References handed over by QORCleaner::DeleteOnTransactionEnd.
  std::vector<QORBaseUnknown*> cleaned;
  int destroyedStateCommands = 0;
  int destroyedDialogs = 0;
  bool endingEvent = false;
};

EngineState& Engine() {
  static EngineState engine;
  return engine;
}

bool IsCommandAlive(const QORCommand* command) {
  const EngineState& engine = Engine();
  return command && (command == engine.running || command == engine.underConstruction);
}

// A dialog stays while the command that created it runs, since that command may still read it.
bool WaitsForCreator(QORCommand* object) {
  auto* dialog = dynamic_cast<QORDlgDialog*>(object);
  if (!dialog || dynamic_cast<qorhost::FileBoxDialog*>(dialog)) return false;
  return IsCommandAlive(dialog->GetCreator());
}

void Destroy(const PendingDestruction& pending) {
  QORCommand* object = pending.object;
  const bool isDialog = dynamic_cast<QORDlgDialog*>(object) != nullptr;
  auto* widget = dynamic_cast<QORDialog*>(object);
  if (!pending.ownedByParent) {
    object->Release();
  } else if (widget->GetParent()) {
    widget->DetachFromParent();
    object->Release();
  }
  if (object->Release() == 0 && isDialog) ++Engine().destroyedDialogs;
}

bool EndRunningCommandIfDone() {
  EngineState& engine = Engine();
  QORStateCommand* command = engine.running;
  if (!command || !(command->HasEnded() || command->IsDestructionRequested())) return false;
  engine.running = nullptr;
  command->Release();
  return true;
}

bool DestroyScheduled() {
  EngineState& engine = Engine();
  std::vector<PendingDestruction> due;
  std::vector<PendingDestruction> waiting;
  for (const PendingDestruction& pending : engine.scheduled)
    (WaitsForCreator(pending.object) ? waiting : due).push_back(pending);
  engine.scheduled = std::move(waiting);
  for (const PendingDestruction& pending : due) Destroy(pending);
  return !due.empty();
}

bool ReleaseCleaned() {
  std::vector<QORBaseUnknown*> cleaned = std::exchange(Engine().cleaned, {});
  for (QORBaseUnknown* object : cleaned) object->Release();
  return !cleaned.empty();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Seams
// ---------------------------------------------------------------------------------------------
namespace qorhost {

bool OfferToRunningCommand(QORCommand* publisher, QORNotification* notification) {
  QORStateCommand* command = Engine().running;
  return command && command->OfferNotification(publisher, notification);
}

bool IsRunningStateCommand(QORCommand* target) { return target && target == Engine().running; }

QORCommand* CurrentCommand() {
  const EngineState& engine = Engine();
  if (engine.underConstruction) return engine.underConstruction;
  return engine.running;
}

// A command asking for its own end is ended by EndOfUserEvent, not released as an agent.
void ScheduleDelayedDestruction(QORCommand* command) {
  EngineState& engine = Engine();
  if (!command || IsCommandAlive(command)) return;
  const auto same = [&](const PendingDestruction& pending) { return pending.object == command; };
  if (std::any_of(engine.scheduled.begin(), engine.scheduled.end(), same)) return;
  auto* widget = dynamic_cast<QORDialog*>(command);
  command->AddRef();
  engine.scheduled.push_back({command, widget && widget->GetParent()});
}

void CommandUnderConstruction(QORStateCommand* command) { Engine().underConstruction = command; }

void CommandDestroyed(QORStateCommand* command) {
  EngineState& engine = Engine();
  ++engine.destroyedStateCommands;
  if (engine.running == command) engine.running = nullptr;
  if (engine.underConstruction == command) engine.underConstruction = nullptr;
}

}  // namespace qorhost

void QORCleaner::DeleteOnTransactionEnd(QORBaseUnknown* object) {
  if (object) Engine().cleaned.push_back(object);
}

// ---------------------------------------------------------------------------------------------
// QORCommandHost
// ---------------------------------------------------------------------------------------------
QOROutcome QORCommandHost::StartCommand(const std::string& className) {
  EngineState& engine = Engine();
  if (engine.running) return QORError("a command is already running");
  const QORFactory factory = QORClassDictionary::Find(className);
  if (!factory) return QORError("no command class named " + className);
  QORBaseUnknown* object = factory(nullptr);
  engine.underConstruction = nullptr;
  if (!object) return QORError("could not create the command " + className);
  auto* command = dynamic_cast<QORStateCommand*>(object);
  if (!command) {
    object->Release();
    return QORError(className + " is not a state command");
  }
  engine.running = command;
  command->BuildGraph();
  command->Activate(nullptr, nullptr);
  command->Start();
  EndOfUserEvent();
  return {};
}

QORStateCommand* QORCommandHost::RunningCommand() { return Engine().running; }

void QORCommandHost::CancelRunningCommand() {
  QORStateCommand* command = Engine().running;
  if (!command) return;
  command->Cancel(nullptr, nullptr);
  command->MarkEnded();
  EndOfUserEvent();
}

// The caller ends the user event (the application's event layer calls EndOfUserEvent after every
// event), so that a selection and what it triggers end together.
bool QORCommandHost::Select(const QORPathElement_var& path) {
  QORStateCommand* command = Engine().running;
  return command && command->OfferSelection(path);
}

// A destruction may schedule more (a command's destructor deletes its panel agent, which sends
// the panel on its way), so the work repeats until a pass changes nothing.
void QORCommandHost::EndOfUserEvent() {
  EngineState& engine = Engine();
  if (engine.endingEvent) return;
  engine.endingEvent = true;
  for (bool progress = true; progress;) {
    progress = EndRunningCommandIfDone();
    progress = DestroyScheduled() || progress;
    progress = ReleaseCleaned() || progress;
  }
  engine.endingEvent = false;
  QORApplicationFrame::ResetBusyCursor();
}

int QORCommandHost::DestroyedCommandCount() {
  return Engine().destroyedStateCommands + Engine().destroyedDialogs;
}
int QORCommandHost::DestroyedStateCommandCount() { return Engine().destroyedStateCommands; }
int QORCommandHost::DestroyedDialogCount() { return Engine().destroyedDialogs; }

std::string QORCommandHost::CurrentStateName() {
  const QORStateCommand* command = Engine().running;
  if (!command || !command->GetCurrentState()) return {};
  return command->GetCurrentState()->GetName();
}

void QORCommandHost::Shutdown() {
  CancelRunningCommand();
  EndOfUserEvent();
  QORFrmEditor::SetCurrentEditor(nullptr);
  qorhost::ReleaseMainWindow();
  EndOfUserEvent();
}
