// State-command engine: agents valued by notifications or selections, states with ordered
// transitions, conditions and actions, the class dictionary of commands, and the host side that
// starts commands and ends user events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "QORBase.h"
#include "QORDialogToolkit.h"
#include "QORExpected.h"
#include "QORProductStructure.h"

class QORStateCommand;
class QORDialogState;

// ---------------------------------------------------------------------------------------------
// Agents
// ---------------------------------------------------------------------------------------------

// An agent waits for a value: one of the notifications it accepts. Once valued it keeps its
// value, and ignores further input, until InitializeAcquisition re-arms it.
class QOR_EXPORT QORDialogAgent : public QORCommand {
 public:
  explicit QORDialogAgent(const QORString& identifier, int behaviour = 0, int mode = 0);
  ~QORDialogAgent() override;
  static const char* ClassName() { return "QORDialogAgent"; }
  const char* GetResourceFilename(int level) const override;

  void SetBehavior(int behaviour) { behaviour_ = behaviour; }
  int GetBehavior() const { return behaviour_; }

  // Accepts notification (that object, or any of its class when it is null and a class name is
  // given) coming from publisher or a widget inside it (null: from any publisher).
  void AcceptOnNotify(QORCommand* publisher, QORNotification* notification);
  void AcceptOnNotify(QORCommand* publisher, const char* notificationClassName);

  virtual void InitializeAcquisition();
  bool IsOutputSet() const { return valued_; }
  // The notification that valued the agent, null when not valued.
  QORNotification* GetLastNotification() const { return lastNotification_; }
  QORCommand* GetLastPublisher() const { return lastPublisher_; }

  // Host side: does the agent accept this notification from this publisher?
  virtual bool Accepts(QORCommand* publisher, QORNotification* notification) const;
  // Host side: values the agent; false when it was already valued.
  bool Value(QORCommand* publisher, QORNotification* notification);

 private:
  struct Acceptance {
    QORCommand* publisher;
    QORNotification* notification;
    std::string className;
  };
  int behaviour_ = 0;
  std::vector<Acceptance> acceptances_;
  bool valued_ = false;
  QORNotification* lastNotification_ = nullptr;
  QORCommand* lastPublisher_ = nullptr;
};

// An agent valued by the selection of an object (a path in the product tree).
class QOR_EXPORT QORPathElementAgent : public QORDialogAgent {
 public:
  explicit QORPathElementAgent(const QORString& identifier, int behaviour = 0, int mode = 0);
  static const char* ClassName() { return "QORPathElementAgent"; }

  // The interface the selected object must offer (QORIProduct::ClassName()).
  void SetOrderedElementType(const char* interfaceName) { elementType_ = interfaceName; }
  const std::string& GetElementType() const { return elementType_; }

  // The selected path and its last element, null when not valued.
  QORPathElement* GetValue() const { return path_.Get(); }
  QORBaseUnknown_var GetElementValue() const;
  void InitializeAcquisition() override;

  // Host side: does the path's last element offer the ordered element type?
  bool AcceptsPath(const QORPathElement_var& path) const;
  // Host side: values the agent with a selected path; false when already valued.
  bool ValueWithPath(const QORPathElement_var& path);

 private:
  std::string elementType_;
  QORPathElement_var path_;
};

// An agent on a dialog panel, valued by the notifications that panel sends to the command. The
// panel (dialog) goes with the agent: deleting the agent ends the dialog unless it is already
// on its way.
class QOR_EXPORT QORPanelAcquisition : public QORDialogAgent {
 public:
  QORPanelAcquisition(const QORString& identifier, QORDlgDialog* panel);
  ~QORPanelAcquisition() override;
  static const char* ClassName() { return "QORPanelAcquisition"; }
  QORDlgDialog* GetPanel() const { return panel_; }

 private:
  QORDlgDialog* panel_;
};

// ---------------------------------------------------------------------------------------------
// Conditions, actions, states
// ---------------------------------------------------------------------------------------------
using QORActionMethod = QORBoolean (QORStateCommand::*)(void* data);

class QOR_EXPORT QORStateCondition {
 public:
  virtual ~QORStateCondition() = default;
  virtual bool Evaluate() = 0;
};

class QOR_EXPORT QORDiaAction {
 public:
  QORDiaAction(QORStateCommand* command, QORActionMethod method, void* data) : command_(command), method_(method), data_(data) {}
  void Run();

 private:
  QORStateCommand* command_;
  QORActionMethod method_;
  void* data_;
};

class QOR_EXPORT QORStateTransition {
 public:
  QORStateTransition(QORDialogState* from, QORDialogState* to, QORStateCondition* condition, QORDiaAction* action)
      : from_(from), to_(to), condition_(condition), action_(action) {}
  QORDialogState* GetSourceState() const { return from_; }
  // Null: the transition ends the command.
  QORDialogState* GetTargetState() const { return to_; }
  QORStateCondition* GetCondition() const { return condition_; }
  QORDiaAction* GetAction() const { return action_; }

 private:
  QORDialogState* from_;
  QORDialogState* to_;
  QORStateCondition* condition_;
  QORDiaAction* action_;
};

// A state: the agents it listens to and its transitions, in the order they were added.
class QOR_EXPORT QORDialogState {
 public:
  explicit QORDialogState(std::string name) : name_(std::move(name)) {}
  const std::string& GetName() const { return name_; }
  void AddDialogAgent(QORDialogAgent* agent);
  const std::vector<QORDialogAgent*>& GetAgents() const { return agents_; }
  const std::vector<QORStateTransition*>& GetTransitions() const { return transitions_; }

 private:
  friend class QORStateCommand;
  std::string name_;
  std::vector<QORDialogAgent*> agents_;
  std::vector<QORStateTransition*> transitions_;
};

// ---------------------------------------------------------------------------------------------
// State command
// ---------------------------------------------------------------------------------------------
using QORStatusChange = int;

// A command driven by a graph of states. When an agent of the current state is valued, the first
// transition of that state whose condition holds runs its action and enters its target state;
// entering a state re-arms its agents, except the one whose value moved the engine (its action
// decides). A transition without a target ends the command.
class QOR_EXPORT QORStateCommand : public QORDialogAgent {
 public:
  QORStateCommand(const QORString& identifier, int behaviour = 0, int mode = 0);
  ~QORStateCommand() override;
  static const char* ClassName() { return "QORStateCommand"; }
  const char* GetResourceFilename(int level) const override;

  virtual void BuildGraph() = 0;
  virtual QORStatusChange Activate(QORCommand* from, QORNotification* notification);
  virtual QORStatusChange Desactivate(QORCommand* from, QORNotification* notification);
  virtual QORStatusChange Cancel(QORCommand* from, QORNotification* notification);

  // The initial state, created on first request under the given name.
  QORDialogState* GetInitialState(const QORString& name);
  QORDialogState* AddDialogState(const QORString& name);
  QORStateTransition* AddTransition(QORDialogState* from, QORDialogState* to, QORStateCondition* condition,
                                    QORDiaAction* action);

  // Conditions and actions are owned by the command.
  QORStateCondition* IsOutputSetCondition(QORDialogAgent* agent);
  // Holds when agent is the last valued agent and notification is what valued it.
  QORStateCondition* IsLastModifiedAgentCondition(QORDialogAgent* agent, QORNotification* notification);
  QORStateCondition* Condition(QORActionMethod method, void* data = nullptr);
  // The second operand is evaluated only when the first holds.
  QORStateCondition* AndCondition(QORStateCondition* first, QORStateCondition* second);
  QORDiaAction* Action(QORActionMethod method, QORActionMethod undo = nullptr, QORActionMethod redo = nullptr,
                       void* data = nullptr);

  // Host side.
  QORDialogState* GetCurrentState() const { return current_; }
  QORDialogAgent* GetLastModifiedAgent() const { return lastModified_; }
  bool HasEnded() const { return ended_; }
  // Enters the initial state (after BuildGraph).
  void Start();
  // Offers a notification to the agents of the current state; true when one took it.
  bool OfferNotification(QORCommand* publisher, QORNotification* notification);
  // Offers a selected path to the path-element agents of the current state.
  bool OfferSelection(const QORPathElement_var& path);
  void MarkEnded() { ended_ = true; }

 private:
  void RunTransitions(QORDialogAgent* valued);
  void Enter(QORDialogState* state, QORDialogAgent* valued);

  std::vector<std::unique_ptr<QORDialogState>> states_;
  std::vector<std::unique_ptr<QORStateTransition>> transitions_;
  std::vector<std::unique_ptr<QORStateCondition>> conditions_;
  std::vector<std::unique_ptr<QORDiaAction>> actions_;
  QORDialogState* initial_ = nullptr;
  QORDialogState* current_ = nullptr;
  QORDialogAgent* lastModified_ = nullptr;
  bool ended_ = false;
};

// ---------------------------------------------------------------------------------------------
// Class dictionary
// ---------------------------------------------------------------------------------------------
using QORFactory = QORBaseUnknown* (*)(QORString*);

// A static object of this class in a loaded library enters a class in the host's dictionary.
class QOR_EXPORT QORFillDictionary {
 public:
  QORFillDictionary(const char* className, QORFactory factory);
};

class QOR_EXPORT QORClassDictionary {
 public:
  // The factory of a class, null when the class is unknown.
  static QORFactory Find(const std::string& className);
  static std::vector<std::string> ClassNames();
};

// ---------------------------------------------------------------------------------------------
// Host side: loading modules, running commands, ending user events
// ---------------------------------------------------------------------------------------------

// A module library loaded with dlopen; it stays loaded for the life of the process, since its
// registrations live in the dictionary.
QOR_EXPORT QOROutcome QORLoadModule(const std::string& path);

// The host's command engine: at most one running state command at a time.
class QOR_EXPORT QORCommandHost {
 public:
  // Creates a command by class name, builds its graph, activates it and enters its initial state.
  // Fails, saying why, when the command could not start.
  static QOROutcome StartCommand(const std::string& className);
  static QORStateCommand* RunningCommand();
  // Cancels and destroys the running command, if any.
  static void CancelRunningCommand();
  // The user picked an object in the product tree.
  static bool Select(const QORPathElement_var& path);
  // Called by the drivers after every user event: ends a command whose graph ended, destroys
  // what asked for delayed destruction, releases what the cleaner holds, resets the busy cursor.
  static void EndOfUserEvent();
  // Number of commands and dialogs destroyed so far (for tests of exactly-once destruction).
  static int DestroyedCommandCount();
  // The same, separately: state commands, and dialogs the engine destroyed.
  static int DestroyedStateCommandCount();
  static int DestroyedDialogCount();
  // The name of the running command's current state, empty when no command runs.
  static std::string CurrentStateName();
  // Ends the running command and destroys everything the host still holds (pending destructions,
  // the current editor, the main window and its dialogs), before the process exits.
  static void Shutdown();
};
