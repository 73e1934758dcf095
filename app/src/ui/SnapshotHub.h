// Where the host thread leaves what the page may see, and where the server's threads wait for it:
// the latest state as JSON with the deltas that led to it, whether the host is busy and how far
// its work has come, and the mold's tree.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "PageState.h"

namespace moldbom {

struct WorkProgress {
  std::string phase;
  long done = 0;
  long total = -1;  // unknown
};

// A published state: its JSON, written as text only when a reader first wants it whole, since
// pages mostly follow the deltas and the text of a large table is long to write.
class PublishedState {
 public:
  explicit PublishedState(std::shared_ptr<const PageState> state) : state_(std::move(state)) {}
  const std::string& Text() const;

 private:
  std::shared_ptr<const PageState> state_;
  mutable std::once_flag written_;
  mutable std::string text_;
};

class SnapshotHub {
 public:
  // How many deltas are held for a page that fell behind; further back, it takes the whole state.
  static constexpr std::size_t kHeldDeltas = 64;

  // The versions a reader has seen; each part counts its own changes.
  struct Versions {
    long state = -1;
    long busy = -1;
    long progress = -1;
    bool operator==(const Versions&) const = default;
  };

  struct View {
    Versions versions;
    std::shared_ptr<const PublishedState> state;
    bool busy = false;
    WorkProgress progress;
    bool closed = false;
  };

  // Host thread: the new state; its difference from the last one is kept for the streams.
  void PublishState(PageState state);
  void SetBusy(bool busy);
  // Any thread, often: a busy host's progress. Cleared when the host becomes busy again.
  void SetProgress(WorkProgress progress);
  void SetTree(std::string json);
  // Ends every wait for good: the server is going down.
  void Close();

  View Current() const;
  std::shared_ptr<const std::string> Tree() const;
  // The deltas, each as JSON text with "from" and "to", that lead from version `from` to version
  // `to`; nothing when one of them is no longer held.
  std::optional<std::vector<std::shared_ptr<const std::string>>> Deltas(long from, long to) const;
  // Returns as soon as any part is newer than the versions given, the hub closes, or the timeout
  // passes (then the view equals the current one).
  View WaitForChange(const Versions& seen, std::chrono::milliseconds timeout) const;

 private:
  View CurrentLocked() const;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  Versions versions_{0, 0, 0};
  std::shared_ptr<const PageState> lastState_ = std::make_shared<const PageState>();
  std::shared_ptr<const PublishedState> state_ = std::make_shared<const PublishedState>(lastState_);
  std::deque<std::shared_ptr<const std::string>> deltas_;  // the last leads to versions_.state
  bool busy_ = false;
  WorkProgress progress_;
  bool closed_ = false;
  std::shared_ptr<const std::string> tree_ = std::make_shared<const std::string>("null");
};

}  // namespace moldbom
