// The 3D view of a CAD mold, built on a worker thread of its own from the mold file alone (never
// from the host's objects), or taken from the cache folder when the same file was seen before.
#pragma once

#include "ViewCache.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace moldview {

enum class ViewState { Building, Ready, Failed, None };

struct ViewStatus {
  ViewState state = ViewState::Building;
  double progress = 0;   // 0 to 1 while building
  std::string stage;     // what the builder does now
  std::string why;       // why it failed, or why there is no view
  bool fromCache = false;
};

class ViewBuilder {
 public:
  ViewBuilder(std::string moldPath, std::filesystem::path cacheFolder);
  // Stops a build in progress and waits for the thread.
  ~ViewBuilder();
  ViewBuilder(const ViewBuilder&) = delete;
  ViewBuilder& operator=(const ViewBuilder&) = delete;

  void Start();
  // The build stops at its next step; the view stays as it was.
  void Cancel() { cancel_ = true; }
  ViewStatus Status() const;
  // Null until the view is ready.
  std::shared_ptr<const CachedScene> Scene() const;
  // Until the build has ended or timeout has passed; true when it has ended.
  bool WaitUntilDone(std::chrono::milliseconds timeout) const;

 private:
  void Run();
  void Finish(ViewState state, std::string why, std::shared_ptr<const CachedScene> scene, bool fromCache);
  void Report(double progress, const char* stage);

  const std::string moldPath_;
  const ViewCache cache_;
  std::atomic<bool> cancel_{false};
  mutable std::mutex mutex_;
  mutable std::condition_variable done_;
  ViewStatus status_;
  std::shared_ptr<const CachedScene> scene_;
  std::thread thread_;
};

const char* ViewStateName(ViewState state);

}  // namespace moldview
