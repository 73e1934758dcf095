// The hand-over of published state between the host thread and the server's threads.
#include "SnapshotHub.h"

namespace moldbom {

void SnapshotHub::PublishState(std::string json) {
  auto state = std::make_shared<const std::string>(std::move(json));
  {
    std::lock_guard lock(mutex_);
    state_ = std::move(state);
    ++stateVersion_;
  }
  changed_.notify_all();
}

void SnapshotHub::SetBusy(bool busy) {
  {
    std::lock_guard lock(mutex_);
    if (busy_ == busy) return;
    busy_ = busy;
    ++busyVersion_;
  }
  changed_.notify_all();
}

void SnapshotHub::SetTree(std::string json) {
  auto tree = std::make_shared<const std::string>(std::move(json));
  std::lock_guard lock(mutex_);
  tree_ = std::move(tree);
}

void SnapshotHub::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

SnapshotHub::View SnapshotHub::CurrentLocked() const { return View{stateVersion_, state_, busyVersion_, busy_, closed_}; }

SnapshotHub::View SnapshotHub::Current() const {
  std::lock_guard lock(mutex_);
  return CurrentLocked();
}

std::shared_ptr<const std::string> SnapshotHub::Tree() const {
  std::lock_guard lock(mutex_);
  return tree_;
}

SnapshotHub::View SnapshotHub::WaitForChange(long stateVersion, long busyVersion,
                                             std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] {
    return closed_ || stateVersion_ != stateVersion || busyVersion_ != busyVersion;
  });
  return CurrentLocked();
}

}  // namespace moldbom
