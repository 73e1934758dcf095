// The host thread: a queue of user events run one at a time through the entry point, with a
// snapshot published after each.
#include "UiHost.h"

#include "HostSession.h"
#include "QORMessages.h"
#include "UiSnapshot.h"
#include "UserEvents.h"

namespace moldbom {

UiHost::UiHost(UiHostOptions options) : options_(std::move(options)), presenter_([this] { OnBoxChanged(); }) {}

UiHost::~UiHost() { Stop(); }

Outcome UiHost::Start() {
  std::promise<Outcome> started;
  std::future<Outcome> result = started.get_future();
  thread_ = std::thread([this, &started] { Run(started); });
  Outcome outcome = result.get();
  if (!outcome) Stop();
  return outcome;
}

void UiHost::Run(std::promise<Outcome>& started) {
  QORPresenterScope presenting(&presenter_);
  Outcome initialised = Initialise();
  {
    std::lock_guard lock(mutex_);
    running_ = initialised.Ok();
  }
  started.set_value(initialised);
  while (std::optional<Task> task = NextTask()) task->outcome.set_value(Execute(task->event));
  std::deque<Task> left;
  {
    std::lock_guard lock(mutex_);
    running_ = false;
    left.swap(tasks_);
  }
  for (Task& task : left) task.outcome.set_value(Failure{"the host is shutting down"});
  // The session cancels a running command and releases the host's objects on this thread.
  events_.reset();
  session_.reset();
}

Outcome UiHost::Initialise() {
  if (Outcome module = HostSession::LoadModule(); !module) return module;
  session_ = std::make_unique<HostSession>();
  if (Outcome mold = session_->LoadMold(options_.moldPath, options_.catalogPath); !mold) return mold;
  if (options_.capturePath) {
    session_->SetRecorderMode(QORRecord::Mode::Capture);
    const CaptureSettings settings{options_.moldPath, /*recorderCapture=*/true, /*docChooser=*/true,
                                   JournalCapture::PresetEnvironment(), options_.catalogPath};
    Expected<JournalCapture> capture = JournalCapture::Open(*options_.capturePath, settings);
    if (!capture) return Failure{capture.Why()};
    capture_.emplace(std::move(capture).Value());
  }
  events_ = std::make_unique<UserEvents>(*session_);
  hub_.SetTree(BuildTreeJson(*session_->Document()));
  if (Outcome started = Execute(UiEvent{"start", {options_.commandClass}}); !started)
    return Failure{"cannot start " + options_.commandClass + ": " + started.Why()};
  return {};
}

std::optional<UiHost::Task> UiHost::NextTask() {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [&] { return stopping_ || !tasks_.empty(); });
  if (tasks_.empty()) return std::nullopt;
  Task task = std::move(tasks_.front());
  tasks_.pop_front();
  return task;
}

Outcome UiHost::Execute(const UiEvent& event) {
  hub_.SetBusy(true);
  Outcome outcome = DispatchUiEvent(*events_, event);
  const std::vector<bool> answers = presenter_.TakeConfirmationAnswers();
  if (outcome && capture_) capture_->Record(answers, event.JournalLine());
  Publish();
  hub_.SetBusy(false);
  return outcome;
}

void UiHost::Publish() { hub_.PublishState(BuildStateJson({presenter_.OpenBox(), presenter_.CheckFailures()})); }

// A box waiting for its answer is no work of the host's: the page shows the box, not the busy sign.
void UiHost::OnBoxChanged() {
  Publish();
  hub_.SetBusy(!presenter_.HasOpenBox());
}

Outcome UiHost::Perform(const UiEvent& event) {
  if (presenter_.HasOpenBox()) return Failure{"a message box is open: answer it first"};
  std::future<Outcome> outcome;
  {
    std::lock_guard lock(mutex_);
    if (!running_ || stopping_) return Failure{"the host is not running"};
    Task task{event, {}};
    outcome = task.outcome.get_future();
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
  return outcome.get();
}

UiPresenter::AnswerResult UiHost::Answer(long boxId, const std::string& answer) { return presenter_.Answer(boxId, answer); }

void UiHost::BeginShutdown() {
  presenter_.ReleaseAll();
  hub_.Close();
}

void UiHost::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  presenter_.ReleaseAll();
  if (thread_.joinable()) thread_.join();
}

}  // namespace moldbom
