// State commands: their graph of states, transitions, conditions and actions, and how a valued
// agent moves the graph.
#include "QORCommandEngine.h"

#include "RunningCommand.h"

namespace {

class OutputSetCondition : public QORStateCondition {
 public:
  explicit OutputSetCondition(QORDialogAgent* agent) : agent_(agent) {}
  bool Evaluate() override { return agent_ && agent_->IsOutputSet(); }

 private:
  QORDialogAgent* agent_;
};

class LastModifiedAgentCondition : public QORStateCondition {
 public:
  LastModifiedAgentCondition(const QORStateCommand* command, QORDialogAgent* agent, QORNotification* notification)
      : command_(command), agent_(agent), notification_(notification) {}
  bool Evaluate() override {
    return agent_ && command_->GetLastModifiedAgent() == agent_ && agent_->GetLastNotification() == notification_;
  }

 private:
  const QORStateCommand* command_;
  QORDialogAgent* agent_;
  QORNotification* notification_;
};

class MethodCondition : public QORStateCondition {
 public:
  MethodCondition(QORStateCommand* command, QORActionMethod method, void* data)
      : command_(command), method_(method), data_(data) {}
  bool Evaluate() override { return method_ && (command_->*method_)(data_) != 0; }

 private:
  QORStateCommand* command_;
  QORActionMethod method_;
  void* data_;
};

// The second operand often has side effects (showing a box), so it runs only when the first holds.
class AndConditionImpl : public QORStateCondition {
 public:
  AndConditionImpl(QORStateCondition* first, QORStateCondition* second) : first_(first), second_(second) {}
  bool Evaluate() override { return first_ && second_ && first_->Evaluate() && second_->Evaluate(); }

 private:
  QORStateCondition* first_;
  QORStateCondition* second_;
};

// A transition without a condition is taken whenever its state is moved.
bool Holds(QORStateCondition* condition) { return !condition || condition->Evaluate(); }

}  // namespace

void QORDiaAction::Run() {
  if (command_ && method_) (command_->*method_)(data_);
}

void QORDialogState::AddDialogAgent(QORDialogAgent* agent) {
  if (agent) agents_.push_back(agent);
}

// ---------------------------------------------------------------------------------------------
// QORStateCommand
// ---------------------------------------------------------------------------------------------

// Registered before the derived constructor runs, so that a dialog created there knows its creator.
QORStateCommand::QORStateCommand(const QORString& identifier, int behaviour, int mode)
    : QORDialogAgent(identifier, behaviour, mode) {
  qorhost::CommandUnderConstruction(this);
}

QORStateCommand::~QORStateCommand() { qorhost::CommandDestroyed(this); }

const char* QORStateCommand::GetResourceFilename(int level) const {
  if (level <= 0) return "QORStateCommand";
  return QORDialogAgent::GetResourceFilename(level - 1);
}

QORStatusChange QORStateCommand::Activate(QORCommand*, QORNotification*) { return 0; }
QORStatusChange QORStateCommand::Desactivate(QORCommand*, QORNotification*) { return 0; }
QORStatusChange QORStateCommand::Cancel(QORCommand*, QORNotification*) { return 0; }

QORDialogState* QORStateCommand::GetInitialState(const QORString& name) {
  if (!initial_) initial_ = AddDialogState(name);
  return initial_;
}

QORDialogState* QORStateCommand::AddDialogState(const QORString& name) {
  states_.push_back(std::make_unique<QORDialogState>(name));
  return states_.back().get();
}

QORStateTransition* QORStateCommand::AddTransition(QORDialogState* from, QORDialogState* to,
                                                   QORStateCondition* condition, QORDiaAction* action) {
  if (!from) return nullptr;
  transitions_.push_back(std::make_unique<QORStateTransition>(from, to, condition, action));
  QORStateTransition* transition = transitions_.back().get();
  from->transitions_.push_back(transition);
  return transition;
}

QORStateCondition* QORStateCommand::IsOutputSetCondition(QORDialogAgent* agent) {
  conditions_.push_back(std::make_unique<OutputSetCondition>(agent));
  return conditions_.back().get();
}

QORStateCondition* QORStateCommand::IsLastModifiedAgentCondition(QORDialogAgent* agent,
                                                                 QORNotification* notification) {
  conditions_.push_back(std::make_unique<LastModifiedAgentCondition>(this, agent, notification));
  return conditions_.back().get();
}

QORStateCondition* QORStateCommand::Condition(QORActionMethod method, void* data) {
  conditions_.push_back(std::make_unique<MethodCondition>(this, method, data));
  return conditions_.back().get();
}

QORStateCondition* QORStateCommand::AndCondition(QORStateCondition* first, QORStateCondition* second) {
  conditions_.push_back(std::make_unique<AndConditionImpl>(first, second));
  return conditions_.back().get();
}

// Undo and redo are not offered by this host: the command's actions are not undoable.
QORDiaAction* QORStateCommand::Action(QORActionMethod method, QORActionMethod /*undo*/,
                                      QORActionMethod /*redo*/, void* data) {
  actions_.push_back(std::make_unique<QORDiaAction>(this, method, data));
  return actions_.back().get();
}

void QORStateCommand::Start() {
  if (initial_) Enter(initial_, nullptr);
}

bool QORStateCommand::OfferNotification(QORCommand* publisher, QORNotification* notification) {
  if (ended_ || !current_ || !notification) return false;
  for (QORDialogAgent* agent : current_->GetAgents()) {
    if (agent->IsOutputSet() || !agent->Accepts(publisher, notification)) continue;
    agent->Value(publisher, notification);
    lastModified_ = agent;
    RunTransitions(agent);
    return true;
  }
  return false;
}

bool QORStateCommand::OfferSelection(const QORPathElement_var& path) {
  if (ended_ || !current_ || !path) return false;
  for (QORDialogAgent* agent : current_->GetAgents()) {
    auto* pathAgent = dynamic_cast<QORPathElementAgent*>(agent);
    if (!pathAgent || pathAgent->IsOutputSet() || !pathAgent->AcceptsPath(path)) continue;
    pathAgent->ValueWithPath(path);
    lastModified_ = pathAgent;
    RunTransitions(pathAgent);
    return true;
  }
  return false;
}

// When no condition holds the graph stays where it is and the agent keeps its value.
void QORStateCommand::RunTransitions(QORDialogAgent* valued) {
  const std::vector<QORStateTransition*> transitions = current_->GetTransitions();
  for (QORStateTransition* transition : transitions) {
    if (!Holds(transition->GetCondition())) continue;
    if (QORDiaAction* action = transition->GetAction()) action->Run();
    if (QORDialogState* target = transition->GetTargetState())
      Enter(target, valued);
    else
      MarkEnded();
    return;
  }
}

// The agent that moved the graph keeps its value: its action decides when to re-arm it.
void QORStateCommand::Enter(QORDialogState* state, QORDialogAgent* valued) {
  current_ = state;
  for (QORDialogAgent* agent : state->GetAgents())
    if (agent != valued) agent->InitializeAcquisition();
}
