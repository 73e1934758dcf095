// The hand-over of published state between the host thread and the server's threads.
#include "SnapshotHub.h"

#include "StateDelta.h"

namespace moldbom {
namespace {

std::string Dump(const nlohmann::json& json) {
  return json.dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

const std::string& PublishedState::Text() const {
  std::call_once(written_, [this] { text_ = Dump(state_->Whole()); });
  return text_;
}

void SnapshotHub::PublishState(PageState pageState) {
  // The difference and the text are made before the lock: readers are not held up by them.
  nlohmann::json delta;
  long from = 0;
  {
    std::lock_guard lock(mutex_);
    from = versions_.state;
  }
  auto published = std::make_shared<const PageState>(std::move(pageState));
  delta = StateDelta(*lastState_, *published);
  delta["from"] = from;
  delta["to"] = from + 1;
  auto deltaText = std::make_shared<const std::string>(Dump(delta));
  auto state = std::make_shared<const PublishedState>(published);
  {
    std::lock_guard lock(mutex_);
    state_ = std::move(state);
    deltas_.push_back(std::move(deltaText));
    if (deltas_.size() > kHeldDeltas) deltas_.pop_front();
    ++versions_.state;
  }
  lastState_ = std::move(published);
  changed_.notify_all();
}

void SnapshotHub::SetBusy(bool busy) {
  {
    std::lock_guard lock(mutex_);
    if (busy_ == busy) return;
    busy_ = busy;
    ++versions_.busy;
    if (busy) {
      progress_ = {};
      ++versions_.progress;
    }
  }
  changed_.notify_all();
}

void SnapshotHub::SetProgress(WorkProgress progress) {
  {
    std::lock_guard lock(mutex_);
    progress_ = std::move(progress);
    ++versions_.progress;
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

SnapshotHub::View SnapshotHub::CurrentLocked() const { return View{versions_, state_, busy_, progress_, closed_}; }

SnapshotHub::View SnapshotHub::Current() const {
  std::lock_guard lock(mutex_);
  return CurrentLocked();
}

std::shared_ptr<const std::string> SnapshotHub::Tree() const {
  std::lock_guard lock(mutex_);
  return tree_;
}

std::optional<std::vector<std::shared_ptr<const std::string>>> SnapshotHub::Deltas(long from, long to) const {
  std::lock_guard lock(mutex_);
  const long oldestHeld = versions_.state - static_cast<long>(deltas_.size());
  if (from < oldestHeld || from > to || to > versions_.state) return std::nullopt;
  const auto first = deltas_.end() - (versions_.state - from);
  return std::vector<std::shared_ptr<const std::string>>(first, first + (to - from));
}

SnapshotHub::View SnapshotHub::WaitForChange(const Versions& seen, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return closed_ || !(versions_ == seen); });
  return CurrentLocked();
}

}  // namespace moldbom
