// Where the host thread leaves what the page may see, and where the server's threads wait for it:
// the latest state as JSON, whether the host is busy, and the mold's tree.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace moldbom {

class SnapshotHub {
 public:
  struct View {
    long stateVersion = 0;
    std::shared_ptr<const std::string> state;
    long busyVersion = 0;
    bool busy = false;
    bool closed = false;
  };

  void PublishState(std::string json);
  void SetBusy(bool busy);
  void SetTree(std::string json);
  // Ends every wait for good: the server is going down.
  void Close();

  View Current() const;
  std::shared_ptr<const std::string> Tree() const;
  // Returns as soon as the state or the busy flag is newer than the versions given, the hub
  // closes, or the timeout passes (then the view equals the current one).
  View WaitForChange(long stateVersion, long busyVersion, std::chrono::milliseconds timeout) const;

 private:
  View CurrentLocked() const;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  long stateVersion_ = 0;
  std::shared_ptr<const std::string> state_ = std::make_shared<const std::string>("null");
  long busyVersion_ = 0;
  bool busy_ = false;
  bool closed_ = false;
  std::shared_ptr<const std::string> tree_ = std::make_shared<const std::string>("null");
};

}  // namespace moldbom
