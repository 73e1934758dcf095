// Commands of the toolkit: the host-wide registry of notification handlers, dispatch of user
// events, notifications sent up the command tree, and delayed destruction.
#include "QORDialogToolkit.h"

#include <algorithm>
#include <string>
#include <vector>

#include "RunningCommand.h"

namespace {

struct Registration {
  QORCallback handle;
  QORCommand* subscriber;
  QORCommand* publisher;  // null: any publisher
  QORNotification* notification;  // null when registered by class name
  std::string className;
  QORCommandMethod method;
  QORCommandClientData data;
};

std::vector<Registration>& Registry() {
  static std::vector<Registration> registrations;
  return registrations;
}

QORCallback NextHandle() {
  static QORCallback last = 0;
  return ++last;
}

const Registration* FindRegistration(QORCallback handle) {
  const auto& all = Registry();
  const auto it = std::find_if(all.begin(), all.end(), [&](const Registration& r) { return r.handle == handle; });
  return it == all.end() ? nullptr : &*it;
}

bool Matches(const Registration& r, const QORCommand* publisher, const QORNotification* notification,
             const std::string& className) {
  if (r.publisher && r.publisher != publisher) return false;
  if (r.notification) return r.notification == notification;
  return !r.className.empty() && r.className == className;
}

// Handlers may add or remove registrations, or end commands, while they run: the handles are
// taken first and each is looked up again just before its call.
std::vector<QORCallback> MatchingHandles(const QORCommand* subscriber, const QORCommand* publisher,
                                         const QORNotification* notification, const std::string& className) {
  std::vector<QORCallback> handles;
  for (const Registration& r : Registry()) {
    if (subscriber && r.subscriber != subscriber) continue;
    if (Matches(r, publisher, notification, className)) handles.push_back(r.handle);
  }
  return handles;
}

// Runs the handlers still registered among handles; returns how many ran.
int RunHandlers(const std::vector<QORCallback>& handles, QORCommand* publisher, QORNotification* notification) {
  int ran = 0;
  for (QORCallback handle : handles) {
    const Registration* r = FindRegistration(handle);
    if (!r || !r->method) continue;
    QORCommand* subscriber = r->subscriber;
    const QORCommandMethod method = r->method;
    QORCommandClientData data = r->data;
    (subscriber->*method)(publisher, notification, data);
    ++ran;
  }
  return ran;
}

// Keeps an object alive while a notification it takes part in travels.
class Hold {
 public:
  explicit Hold(QORBaseUnknown* object) : object_(object) {
    if (object_) object_->AddRef();
  }
  ~Hold() {
    if (object_) object_->Release();
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  QORBaseUnknown* object_;
};

QORCallback Register(QORCommand* subscriber, QORCommand* publisher, QORNotification* notification,
                     std::string className, QORCommandMethod method, QORCommandClientData data) {
  const QORCallback handle = NextHandle();
  Registry().push_back({handle, subscriber, publisher, notification, std::move(className), method, data});
  return handle;
}

// Drops every registration made by or about a command that is going away.
void ForgetRegistrations(QORCommand* command) {
  std::erase_if(Registry(), [&](const Registration& r) { return r.subscriber == command || r.publisher == command; });
}

}  // namespace

QORCommand::QORCommand(const QORString& identifier, int mode) : identifier_(identifier), mode_(mode) {}

QORCommand::~QORCommand() { ForgetRegistrations(this); }

// A copy is a new command: same name, mode and father, none of the original's registrations and
// no pending destruction.
QORCommand::QORCommand(const QORCommand& other)
    : QORBaseUnknown(other), identifier_(other.identifier_), mode_(other.mode_), father_(other.father_) {}

QORCommand& QORCommand::operator=(const QORCommand& other) {
  if (this == &other) return *this;
  identifier_ = other.identifier_;
  mode_ = other.mode_;
  father_ = other.father_;
  return *this;
}

QORCallback QORCommand::AddAnalyseNotificationCB(QORCommand* publisher, QORNotification* notification,
                                                 QORCommandMethod method, QORCommandClientData data) {
  return Register(this, publisher, notification, {}, method, data);
}

QORCallback QORCommand::AddAnalyseNotificationCB(QORCommand* publisher, const char* notificationClassName,
                                                 QORCommandMethod method, QORCommandClientData data) {
  return Register(this, publisher, nullptr, notificationClassName ? notificationClassName : "", method, data);
}

// Only the subscriber's own registrations: a copy holding the original's handles removes nothing.
void QORCommand::RemoveAnalyseNotificationCB(QORCallback callback) {
  std::erase_if(Registry(), [&](const Registration& r) { return r.handle == callback && r.subscriber == this; });
}

void QORCommand::Dispatch(QORNotification* notification) {
  if (!notification) return;
  Hold holdPublisher(this);
  Hold holdNotification(notification);
  const std::string className = notification->GetImplClassName();
  RunHandlers(MatchingHandles(nullptr, this, notification, className), this, notification);
  qorhost::OfferToRunningCommand(this, notification);
}

void QORCommand::SendNotification(QORCommand* target, QORNotification* notification) {
  if (!notification) return;
  Hold holdNotification(notification);
  const std::string className = notification->GetImplClassName();
  QORCommand* current = target;
  while (current) {
    if (qorhost::IsRunningStateCommand(current)) {
      qorhost::OfferToRunningCommand(this, notification);
      return;
    }
    QORCommand* father = nullptr;
    {
      Hold holdTarget(current);
      if (RunHandlers(MatchingHandles(current, this, notification, className), this, notification) > 0) return;
      father = current->GetFather();
    }
    current = father;
  }
}

void QORCommand::RequestDelayedDestruction() {
  if (destructionRequested_) return;
  destructionRequested_ = true;
  qorhost::ScheduleDelayedDestruction(this);
}

const char* QORCommand::GetResourceFilename(int level) const { return level <= 0 ? "QORCommand" : nullptr; }

void QORCommandDeletion(QORCommand* command) {
  if (command) command->Release();
}
