// Agents of the state-command engine: notification agents, selection agents and panel agents.
#include "QORCommandEngine.h"

#include "ProductSupport.h"

namespace {

// A notification published by a widget comes from that widget's dialog too, so an agent that
// listens to a dialog hears the buttons inside it.
bool ComesFrom(QORCommand* expected, QORCommand* actual) {
  if (!expected || expected == actual) return true;
  for (auto* widget = dynamic_cast<QORDialog*>(actual); widget; widget = widget->GetParent())
    if (widget->GetParent() == expected) return true;
  return false;
}

bool MatchesNotification(QORNotification* expected, const std::string& className, QORNotification* actual) {
  if (expected) return expected == actual;
  return !className.empty() && className == actual->GetImplClassName();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// QORDialogAgent
// ---------------------------------------------------------------------------------------------
QORDialogAgent::QORDialogAgent(const QORString& identifier, int behaviour, int mode)
    : QORCommand(identifier, mode), behaviour_(behaviour) {}

QORDialogAgent::~QORDialogAgent() = default;

const char* QORDialogAgent::GetResourceFilename(int level) const {
  if (level <= 0) return "QORDialogAgent";
  return QORCommand::GetResourceFilename(level - 1);
}

void QORDialogAgent::AcceptOnNotify(QORCommand* publisher, QORNotification* notification) {
  if (!notification) return;
  acceptances_.push_back({publisher, notification, {}});
}

void QORDialogAgent::AcceptOnNotify(QORCommand* publisher, const char* notificationClassName) {
  if (!notificationClassName || !*notificationClassName) return;
  acceptances_.push_back({publisher, nullptr, notificationClassName});
}

void QORDialogAgent::InitializeAcquisition() {
  valued_ = false;
  lastNotification_ = nullptr;
  lastPublisher_ = nullptr;
}

bool QORDialogAgent::Accepts(QORCommand* publisher, QORNotification* notification) const {
  if (!notification) return false;
  for (const Acceptance& acceptance : acceptances_) {
    if (ComesFrom(acceptance.publisher, publisher) &&
        MatchesNotification(acceptance.notification, acceptance.className, notification))
      return true;
  }
  return false;
}

bool QORDialogAgent::Value(QORCommand* publisher, QORNotification* notification) {
  if (valued_) return false;
  valued_ = true;
  lastNotification_ = notification;
  lastPublisher_ = publisher;
  return true;
}

// ---------------------------------------------------------------------------------------------
// QORPathElementAgent
// ---------------------------------------------------------------------------------------------
QORPathElementAgent::QORPathElementAgent(const QORString& identifier, int behaviour, int mode)
    : QORDialogAgent(identifier, behaviour, mode) {}

QORBaseUnknown_var QORPathElementAgent::GetElementValue() const {
  if (!path_ || path_->GetSize() == 0) return nullptr;
  return path_->Elements()[path_->GetSize()];
}

void QORPathElementAgent::InitializeAcquisition() {
  QORDialogAgent::InitializeAcquisition();
  path_ = nullptr;
}

bool QORPathElementAgent::AcceptsPath(const QORPathElement_var& path) const {
  if (!path || path->GetSize() == 0 || elementType_.empty()) return false;
  const QORBaseUnknown_var element = path->Elements()[path->GetSize()];
  if (!element) return false;
  return qorhost::OffersInterfaceNamed(element.Get(), elementType_.c_str()).value_or(false);
}

bool QORPathElementAgent::ValueWithPath(const QORPathElement_var& path) {
  if (!Value(nullptr, nullptr)) return false;
  path_ = path;
  return true;
}

// ---------------------------------------------------------------------------------------------
// QORPanelAcquisition
// ---------------------------------------------------------------------------------------------
QORPanelAcquisition::QORPanelAcquisition(const QORString& identifier, QORDlgDialog* panel)
    : QORDialogAgent(identifier), panel_(panel) {}

// The panel goes with its agent unless it is already on its way, so it is destroyed exactly once
// whether the user closed it or the command ended first.
QORPanelAcquisition::~QORPanelAcquisition() {
  if (panel_ && !panel_->IsDestructionRequested()) panel_->RequestDelayedDestruction();
}
