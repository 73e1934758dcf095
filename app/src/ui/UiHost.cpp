// The host thread: a queue of user events run one at a time through the entry point, with a
// snapshot published after each.
#include "UiHost.h"

#include <filesystem>

#include "CsvReport.h"
#include "DuplicateNames.h"
#include "HostSession.h"
#include "NumberCheck.h"
#include "QORProgress.h"
#include "QORMessages.h"
#include "QORSystemServices.h"
#include "QORProductStructure.h"
#include "UiSnapshot.h"
#include "UserEvents.h"
#include "XlsxReport.h"

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
  // The host measures its long work on this thread; the page shows how far it has come.
  const QORProgressListener previous = QORSetProgressListener([this](const QORProgress& progress) {
    hub_.SetProgress({progress.phase, progress.done, progress.total});
  });
  Outcome initialised = Initialise();
  {
    std::lock_guard lock(mutex_);
    running_ = initialised.Ok();
  }
  started.set_value(initialised);
  while (std::optional<Task> task = NextTask()) task->outcome.set_value(task->work());
  std::deque<Task> left;
  {
    std::lock_guard lock(mutex_);
    running_ = false;
    left.swap(tasks_);
  }
  for (Task& task : left) task.outcome.set_value(Failure{"the host is shutting down"});
  if (confinementFolder_) QORSetFileConfinement(nullptr);
  QORFSetWrittenListener({});
  QORSetProgressListener(previous);
  // The session cancels a running command and releases the host's objects on this thread.
  events_.reset();
  session_.reset();
  capture_.reset();
}

Outcome UiHost::Initialise() {
  if (Outcome module = HostSession::LoadModule(); !module) return module;
  session_ = std::make_unique<HostSession>();
  events_ = std::make_unique<UserEvents>(*session_);
  if (options_.capturePath) {
    Expected<std::unique_ptr<JournalCapture>> capture = JournalCapture::Open(*options_.capturePath, "moldbom ui");
    if (!capture) return Failure{capture.Why()};
    capture_ = std::move(capture).Value();
    events_->RecordTo(*capture_);
    if (Outcome recorder = events_->Perform({"recorder", "capture"}); !recorder) return recorder;
  }
  // The mold named on the command line may lie anywhere; what the page opens later stays inside
  // the workspace.
  EventWords mold{"mold", options_.moldPath};
  if (!options_.catalogPath.empty()) mold.push_back(options_.catalogPath);
  if (Outcome loaded = events_->Perform(mold); !loaded) return loaded;
  if (confinementFolder_ &&
      FAILED(QORSetFileConfinement(confinementFolder_->c_str(),
                                   [this](const std::string& path, const std::string& why) { NoteRefusal(path, why); })))
    return Failure{"cannot keep the files inside " + *confinementFolder_};
  QORFSetWrittenListener([this](const QORFileWritten& written) { NoteWritten(written); });
  ShowMold();
  if (Outcome started = Execute(UiEvent{"start", {options_.commandClass}}); !started)
    return Failure{"cannot start " + options_.commandClass + ": " + started.Why()};
  return {};
}

void UiHost::ShowMold() {
  if (onMoldShown_) onMoldShown_(session_->Document()->FileName());
  TreeJson tree = BuildTreeJson(*session_->Document());
  hub_.SetTree(std::move(tree.text));
  treeIndex_ = std::move(tree.index);
  ++treeSerial_;
  loadWarning_ = DuplicateNamesWarning(*session_->Document());
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
  if (outcome && event.verb == "open") ShowMold();
  if (event.verb == "start" || event.verb == "open") analysedPath_.reset();
  // Only the first pick that fills the table is analysed; later picks change nothing.
  if (outcome && event.verb == "select" && !analysedPath_ && !event.args.empty())
    if (CommandTableHasLines()) analysedPath_ = event.args[0];
  if (outcome && event.verb == "select")
    if (std::optional<std::string> repeated = RepeatedNumbersOfCommand()) presenter_.AddStatusNotice(*repeated);
  Publish();
  hub_.SetBusy(false);
  return outcome;
}

void UiHost::Publish() {
  std::optional<std::string> savedReport;
  {
    std::lock_guard lock(savedMutex_);
    if (saved_) savedReport = saved_->csvPath;
  }
  hub_.PublishState(BuildPageState({presenter_.OpenBox(), presenter_.CheckFailures(), notice_, loadWarning_,
                                    presenter_.StatusNotices(), treeSerial_, savedReport},
                                   tableRows_, treeIndex_));
}

Expected<UiHost::Download> UiHost::SavedReportAsSpreadsheet() const {
  std::optional<SavedReport> saved;
  {
    std::lock_guard lock(savedMutex_);
    saved = saved_;
  }
  if (!saved) return Failure{"no report was saved yet"};
  const Expected<CsvReport> csv = ReadCsvReport(saved->csvPath);
  if (!csv) return Failure{csv.Why()};
  const XlsxContent content{{csv.Value().dateLine, csv.Value().projectLine}, saved->table.table, saved->table.integerNumbers};
  Expected<std::string> bytes = XlsxBytes(LayOutSheet(content));
  if (!bytes) return Failure{bytes.Why()};
  return Download{std::filesystem::path(saved->csvPath).stem().string() + ".xlsx", std::move(bytes).Value()};
}

// The module's own warning says that a file failed to open; the page says why the host refused it.
void UiHost::NoteRefusal(const std::string& path, const std::string& why) {
  notice_ = Notice{notice_ ? notice_->serial + 1 : 1, path + " was refused: " + why};
}

// The page says where a save went, since the dialog itself says nothing when all went well.
void UiHost::NoteWritten(const QORFileWritten& written) {
  const auto endsWith = [&](std::string_view suffix) {
    return written.path.size() >= suffix.size() && written.path.ends_with(suffix);
  };
  if (endsWith(".csv")) {
    // The table the report was just written from, for a spreadsheet of the same lines.
    if (std::optional<DialogTable> table = ReadDialogTable()) {
      std::lock_guard lock(savedMutex_);
      saved_ = SavedReport{written.path, std::move(*table)};
    }
    presenter_.AddStatusNotice("Report saved: " + written.path + " (" + std::to_string(written.lines) + " lines)",
                               /*problem=*/false);
  } else if (endsWith(".bom"))
    presenter_.AddStatusNotice("Profile written: " + written.path, /*problem=*/false);
  else
    presenter_.AddStatusNotice("Saved " + written.path, /*problem=*/false);
}

// A box waiting for its answer is no work of the host's: the page shows the box, not the busy sign.
void UiHost::OnBoxChanged() {
  Publish();
  hub_.SetBusy(!presenter_.HasOpenBox());
}

Outcome UiHost::Perform(const UiEvent& event) {
  return OnHostThread([this, &event] { return Execute(event); });
}

Expected<UiHost::ShownTable> UiHost::ReadTable() {
  std::optional<ShownTable> shown;
  const Outcome read = OnHostThread([this, &shown]() -> Outcome {
    std::optional<DialogTable> table = ReadDialogTable();
    if (!table) return Failure{"no dialog shows the BOM table"};
    // Each event publishes the state it left: between events, the published one is the table's.
    shown = ShownTable{std::move(*table), hub_.Current().versions.state};
    return {};
  });
  if (!read) return Failure{read.Why()};
  return std::move(*shown);
}

Expected<UiHost::PricedTable> UiHost::CostOfTable() {
  std::optional<PricedTable> priced;
  const Outcome read = OnHostThread([this, &priced]() -> Outcome {
    if (!analysedPath_ || !session_->Document()) return Failure{"no product was analysed yet"};
    Expected<CostBreakdown> cost = ReadCostBreakdown(*session_->Document(), *analysedPath_);
    if (!cost) return Failure{cost.Why()};
    priced = PricedTable{std::move(cost).Value(), hub_.Current().versions.state};
    return {};
  });
  if (!read) return Failure{read.Why()};
  return std::move(*priced);
}

Outcome UiHost::OnHostThread(std::function<Outcome()> work) {
  if (presenter_.HasOpenBox()) return Failure{"a message box is open: answer it first"};
  std::future<Outcome> outcome;
  {
    std::lock_guard lock(mutex_);
    if (!running_ || stopping_) return Failure{"the host is not running"};
    Task task{std::move(work), {}};
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
