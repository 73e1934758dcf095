// flock(2) locks by file identity (device and inode), one descriptor kept per locked file: a lock
// belongs to an open file description, and two descriptions in one process would block each other.
#include "FileLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace qorhost {
namespace {

using FileId = std::pair<dev_t, ino_t>;

class LockTable {
 public:
  static LockTable& Instance() {
    static LockTable table;
    return table;
  }

  bool Holds(const FileId& id) {
    std::lock_guard lock(mutex_);
    return held_.count(id) != 0;
  }
  // Takes ownership of fd, which holds the lock of id.
  void Keep(const FileId& id, int fd) {
    std::lock_guard lock(mutex_);
    if (!held_.emplace(id, fd).second) ::close(fd);
  }
  void ReleaseAll() {
    std::lock_guard lock(mutex_);
    for (auto& [id, fd] : held_) ::close(fd);
    held_.clear();
  }
  std::chrono::milliseconds Wait() const { return wait_.load(); }
  void SetWait(std::chrono::milliseconds wait) { wait_.store(wait); }

 private:
  std::mutex mutex_;
  std::map<FileId, int> held_;
  std::atomic<std::chrono::milliseconds> wait_{std::chrono::milliseconds(2000)};
};

FileId IdOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

}  // namespace

LockResult LockFile(const std::string& path) {
  LockTable& table = LockTable::Instance();
  const auto deadline = std::chrono::steady_clock::now() + table.Wait();
  for (;;) {
    // O_NONBLOCK: a FIFO named as a profile must not hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return LockResult::NotLockable;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return LockResult::NotLockable;
    }
    if (table.Holds(IdOf(st))) {
      ::close(fd);
      return LockResult::Held;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      struct stat now {};
      if (::stat(path.c_str(), &now) == 0 && IdOf(now) == IdOf(st)) {
        table.Keep(IdOf(st), fd);
        return LockResult::Held;
      }
      // The holder renamed a new version over the one we waited for: lock that one instead.
      ::close(fd);
      continue;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK && error != EINTR) return LockResult::NotLockable;
    if (std::chrono::steady_clock::now() >= deadline) return LockResult::Busy;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

void KeepLockOn(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return;
  const int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (kept < 0) return;
  if (::flock(kept, LOCK_EX | LOCK_NB) != 0) {
    ::close(kept);
    return;
  }
  LockTable::Instance().Keep(IdOf(st), kept);
}

void ReleaseFileLocks() { LockTable::Instance().ReleaseAll(); }

void SetLockWait(int milliseconds) {
  LockTable::Instance().SetWait(std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds));
}

}  // namespace qorhost
