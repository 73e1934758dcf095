// The host thread of `moldbom ui`: it alone owns the session, the module and every host object.
// The server's threads hand it user events and read back the snapshots it publishes.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "CostBreakdown.h"
#include "Expected.h"
#include "QORSystemServices.h"
#include "JournalCapture.h"
#include "SnapshotHub.h"
#include "TableView.h"
#include "UiEvent.h"
#include "UiPresenter.h"
#include "UiSnapshot.h"

namespace moldbom {

class HostSession;
class UserEvents;

struct UiHostOptions {
  std::string moldPath;
  // When set, the recorder reports capture and every accepted event is written there.
  std::optional<std::string> capturePath;
  std::string commandClass = "QORMldBOMCom";
  std::string catalogPath;  // empty: none
};

class UiHost {
 public:
  explicit UiHost(UiHostOptions options);
  // Stops the thread if it still runs.
  ~UiHost();
  UiHost(const UiHost&) = delete;
  UiHost& operator=(const UiHost&) = delete;

  // Before Start: the host's file services will reach nothing outside folder, and the page will
  // say why a name was refused.
  void ConfineFilesTo(std::string folder) { confinementFolder_ = std::move(folder); }
  // Before Start: called on the host thread with the file of each mold shown, the first included.
  void OnMoldShown(std::function<void(const std::string& moldPath)> shown) { onMoldShown_ = std::move(shown); }

  // Starts the thread, which loads the module and the mold and starts the command as a user
  // would; returns once that is done, with the reason when it failed.
  [[nodiscard]] Outcome Start();

  // Any thread: runs the event on the host thread and waits for its outcome. While a message box
  // is open the event is refused, as the box's modality would.
  [[nodiscard]] Outcome Perform(const UiEvent& event);
  // Any thread: the dialog's table as shown now, read on the host thread between events, with the
  // version of the state published with it. Refused while a message box is open, since the host
  // thread waits for its answer.
  struct ShownTable {
    DialogTable table;
    long version = 0;
  };
  [[nodiscard]] Expected<ShownTable> ReadTable();
  // Any thread: the person's answer to the open message box.
  UiPresenter::AnswerResult Answer(long boxId, const std::string& answer);

  SnapshotHub& Hub() { return hub_; }

  struct Download {
    std::string fileName;
    std::string bytes;
  };
  // Any thread: the running command's table priced by tooling type and supplier, read on the host
  // thread between events, with the state version it belongs to.
  struct PricedTable {
    CostBreakdown cost;
    long version = 0;
  };
  [[nodiscard]] Expected<PricedTable> CostOfTable();

  // Any thread: the report saved last, as a spreadsheet of the table it was written from.
  Expected<Download> SavedReportAsSpreadsheet() const;

  // Any thread: the first step of a shutdown. Open and later message boxes are answered no at
  // once and the page's streams end; events still run, so that waiting requests get an answer.
  void BeginShutdown();
  // Ends the thread; the running command is cancelled and the session released on it.
  void Stop();

 private:
  struct Task {
    std::function<Outcome()> work;
    std::promise<Outcome> outcome;
  };

  void Run(std::promise<Outcome>& started);
  Outcome Initialise();
  // Queues work for the host thread and waits for it; refused while a box is open.
  Outcome OnHostThread(std::function<Outcome()> work);
  Outcome Execute(const UiEvent& event);
  void Publish();
  // Publishes the tree of the mold just loaded and what its names warn of.
  void ShowMold();
  void OnBoxChanged();
  void NoteRefusal(const std::string& path, const std::string& why);
  void NoteWritten(const QORFileWritten& written);
  std::optional<Task> NextTask();

  UiHostOptions options_;
  std::optional<std::string> confinementFolder_;
  std::function<void(const std::string&)> onMoldShown_;
  SnapshotHub hub_;
  UiPresenter presenter_;
  std::thread thread_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> tasks_;
  bool stopping_ = false;
  bool running_ = false;

  // Host thread only.
  std::unique_ptr<HostSession> session_;
  std::unique_ptr<UserEvents> events_;
  std::unique_ptr<JournalCapture> capture_;
  std::optional<Notice> notice_;
  std::optional<std::string> loadWarning_;
  long treeSerial_ = 0;
  TreeIndex treeIndex_;
  TableRowCache tableRows_;
  // The instance path of the product the running command analysed, once it did.
  std::optional<std::string> analysedPath_;

  struct SavedReport {
    std::string csvPath;
    DialogTable table;
  };
  mutable std::mutex savedMutex_;
  std::optional<SavedReport> saved_;  // written on the host thread, read by the server's
};

}  // namespace moldbom
