// File services of the host: a table of open files by small integer handles, copy, access tests,
// deletion and real paths, over POSIX descriptors.
#include "QORSystemServices.h"

#include "FileConfinement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Owns one descriptor. Descriptors, not stdio streams, so that a failed write (a full disk) is seen
// by the write that caused it rather than by a later flush.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueFd() { Reset(-1); }

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// The open(2) flags of an fopen mode; empty for a mode fopen would refuse.
std::optional<int> OpenFlagsOfMode(const char* mode) {
  if (!mode) return std::nullopt;
  int flags = 0;
  switch (mode[0]) {
    case 'r':
      flags = 0;
      break;
    case 'w':
      flags = O_CREAT | O_TRUNC;
      break;
    case 'a':
      flags = O_CREAT | O_APPEND;
      break;
    default:
      return std::nullopt;
  }
  bool update = false;
  for (const char* c = mode + 1; *c; ++c) {
    if (*c == '+')
      update = true;
    else if (*c == 'x')
      flags |= O_EXCL;
    else if (*c != 'b' && *c != 'e')
      return std::nullopt;
  }
  if (update) return flags | O_RDWR;
  return flags | (mode[0] == 'r' ? O_RDONLY : O_WRONLY);
}

bool IsDirectory(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

UniqueFd OpenPath(const QORUnicodeString& path, int flags) {
  // New files get 0666 less the umask, as fopen gives them.
  UniqueFd fd(qorhost::ConfinedOpen(path.ConvertToChar(), flags | O_CLOEXEC, 0666));
  // A directory opens for reading here but yields no bytes: refusing it lets the caller report an
  // open failure instead of an empty file.
  if (fd.IsOpen() && IsDirectory(fd.Get())) fd.Reset(-1);
  return fd;
}

// Reads until length bytes or the end of the file; false on an error.
bool ReadFully(int fd, char* buffer, std::size_t length, std::size_t& done) {
  done = 0;
  while (done < length) {
    const ssize_t n = ::read(fd, buffer + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteFully(int fd, const char* buffer, std::size_t length, std::size_t& done) {
  done = 0;
  while (done < length) {
    const ssize_t n = ::write(fd, buffer + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Open files by handle; handle h is slot h - 1, and freed slots are reused so handles stay small.
class FileTable {
 public:
  static FileTable& Instance() {
    static FileTable table;
    return table;
  }

  unsigned int Add(UniqueFd fd) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].IsOpen()) continue;
      slots_[i] = std::move(fd);
      return static_cast<unsigned int>(i + 1);
    }
    slots_.push_back(std::move(fd));
    return static_cast<unsigned int>(slots_.size());
  }

  // The descriptor of handle, or -1 when the handle names no open file.
  int Find(unsigned int handle) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || handle > slots_.size()) return -1;
    return slots_[handle - 1].Get();
  }

  bool Close(unsigned int handle) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || handle > slots_.size() || !slots_[handle - 1].IsOpen()) return false;
    return ::close(slots_[handle - 1].Release()) == 0;
  }

 private:
  std::mutex mutex_;
  std::vector<UniqueFd> slots_;
};

bool AnyPermissionBit(const char* path, mode_t bits) {
  struct stat st {};
  return ::stat(path, &st) == 0 && (st.st_mode & bits) != 0;
}

bool IsSameFile(const QORUnicodeString& a, const QORUnicodeString& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.ConvertToChar(), &sa) != 0 || ::stat(b.ConvertToChar(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool CopyBytes(int from, int to) {
  std::vector<char> chunk(64 * 1024);
  for (;;) {
    std::size_t got = 0;
    if (!ReadFully(from, chunk.data(), chunk.size(), got)) return false;
    if (got == 0) return true;
    std::size_t written = 0;
    if (!WriteFully(to, chunk.data(), got, written)) return false;
  }
}

}  // namespace

HRESULT QORFOpen(const QORUnicodeString& path, const char* mode, unsigned int* handle) {
  if (handle) *handle = 0;
  const std::optional<int> flags = OpenFlagsOfMode(mode);
  if (!handle || !flags || path.IsEmpty()) return E_FAIL;
  UniqueFd fd = OpenPath(path, *flags);
  if (!fd.IsOpen()) return E_FAIL;
  *handle = FileTable::Instance().Add(std::move(fd));
  return S_OK;
}

HRESULT QORFClose(unsigned int handle) {
  return FileTable::Instance().Close(handle) ? S_OK : E_FAIL;
}

HRESULT QORFRead(unsigned int handle, void* buffer, unsigned int length, unsigned int* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  const int fd = FileTable::Instance().Find(handle);
  if (fd < 0 || (!buffer && length > 0)) return E_FAIL;
  std::size_t done = 0;
  const bool ok = ReadFully(fd, static_cast<char*>(buffer), length, done);
  if (bytesRead) *bytesRead = static_cast<unsigned int>(done);
  return ok ? S_OK : E_FAIL;
}

HRESULT QORFWrite(unsigned int handle, const void* buffer, unsigned int length,
                  unsigned int* bytesWritten) {
  if (bytesWritten) *bytesWritten = 0;
  const int fd = FileTable::Instance().Find(handle);
  if (fd < 0 || (!buffer && length > 0)) return E_FAIL;
  std::size_t done = 0;
  const bool ok = WriteFully(fd, static_cast<const char*>(buffer), length, done);
  if (bytesWritten) *bytesWritten = static_cast<unsigned int>(done);
  return ok ? S_OK : E_FAIL;
}

HRESULT QORFSize(unsigned int handle, unsigned int* size) {
  if (size) *size = 0;
  const int fd = FileTable::Instance().Find(handle);
  struct stat st {};
  if (fd < 0 || !size || ::fstat(fd, &st) != 0) return E_FAIL;
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > UINT_MAX) return E_FAIL;
  *size = static_cast<unsigned int>(st.st_size);
  return S_OK;
}

HRESULT QORFCopy(const QORUnicodeString& source, const QORUnicodeString& target, int flags) {
  UniqueFd from = OpenPath(source, O_RDONLY);
  if (!from.IsOpen() || target.IsEmpty()) return E_FAIL;
  const bool keepTarget = (flags & QORFCopyKeepTarget) != 0;
  // Truncating the target would destroy the source when both name one file; the copy is done.
  if (!keepTarget && IsSameFile(source, target)) return S_OK;
  // The target is created with default permissions: a copy of a read-only reference must still be
  // a profile that can be written.
  UniqueFd to = OpenPath(target, O_WRONLY | O_CREAT | (keepTarget ? O_EXCL : O_TRUNC));
  if (!to.IsOpen()) return E_FAIL;
  if (!CopyBytes(from.Get(), to.Get())) return E_FAIL;
  return ::close(to.Release()) == 0 ? S_OK : E_FAIL;
}

int QORFileAccess(const QORUnicodeString& path, int mode) {
  const char* p = path.ConvertToChar();
  if (!qorhost::MayReach(p)) return -1;
  if (mode < 0 || mode > (R_OK | W_OK | X_OK) || ::access(p, mode) != 0) return -1;
  // The superuser passes access(2) for any file; the permission bits keep a file marked read-only
  // read-only for everyone, as the kernel already does for execution.
  if ((mode & W_OK) && !AnyPermissionBit(p, S_IWUSR | S_IWGRP | S_IWOTH)) return -1;
  if ((mode & R_OK) && !AnyPermissionBit(p, S_IRUSR | S_IRGRP | S_IROTH)) return -1;
  return 0;
}

HRESULT QORDeleteFile(const QORUnicodeString& path) {
  return qorhost::ConfinedUnlink(path.ConvertToChar()) == 0 ? S_OK : E_FAIL;
}

HRESULT QORGetRealPath(const QORUnicodeString& path, QORUnicodeString& realPath) {
  realPath.Empty();
  if (path.IsEmpty() || !qorhost::MayReach(path.ConvertToChar())) return E_FAIL;
  char* resolved = ::realpath(path.ConvertToChar(), nullptr);
  if (!resolved) return E_FAIL;
  realPath.BuildFromChar(resolved);
  std::free(resolved);
  return S_OK;
}
