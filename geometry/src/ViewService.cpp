// Switching the view from one mold to the next without waiting for the previous build to stop:
// the kernel's file reading cannot be interrupted, so a cancelled build ends in its own time.
#include "ViewService.h"

namespace moldview {

ViewService::Shown ViewService::Describe(const std::string& moldPath) {
  std::error_code error;
  Shown shown{moldPath, std::filesystem::last_write_time(moldPath, error), 0};
  shown.size = std::filesystem::file_size(moldPath, error);
  return shown;
}

void ViewService::Show(const std::string& moldPath) {
  const Shown shown = Describe(moldPath);
  std::lock_guard lock(mutex_);
  if (current_ && shown.path == shown_.path && shown.modified == shown_.modified && shown.size == shown_.size) return;
  std::erase_if(stopping_, [](const std::shared_ptr<ViewBuilder>& builder) {
    return builder->WaitUntilDone(std::chrono::milliseconds(0));
  });
  if (current_) {
    current_->Cancel();
    stopping_.push_back(std::move(current_));
  }
  current_ = std::make_shared<ViewBuilder>(moldPath, cacheFolder_);
  current_->Start();
  shown_ = shown;
  ++serial_;
}

ViewService::Now ViewService::Current() const {
  std::lock_guard lock(mutex_);
  if (!current_) {
    Now none;
    none.status.state = ViewState::None;
    none.status.why = "no mold is shown";
    return none;
  }
  return Now{serial_, current_->Status(), current_->Scene()};
}

}  // namespace moldview
