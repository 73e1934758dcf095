// File services of the host: a table of open files by small integer handles, files written
// through a temporary file and put in place whole, locks, copy, access tests, deletion and real
// paths, over POSIX descriptors.
#include "QORSystemServices.h"

#include "FileConfinement.h"
#include "FileLocks.h"
#include "ProgressMeter.h"
#include "QORMessages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
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

// The hook tests install to make steps fail; guarded, although only the host thread uses files.
class FaultHook {
 public:
  static FaultHook& Instance() {
    static FaultHook hook;
    return hook;
  }
  void Set(QORFileFaultHook hook) {
    std::lock_guard lock(mutex_);
    installed_ = static_cast<bool>(hook);
    hook_ = std::move(hook);
  }
  QORFileFault Ask(QORFileStep step, const std::string& path) {
    // Asked on every write: without a hook, no lock and no copy.
    if (!installed_.load(std::memory_order_relaxed)) return QORFileFault::None;
    QORFileFaultHook hook;
    {
      std::lock_guard lock(mutex_);
      hook = hook_;
    }
    if (!hook) return QORFileFault::None;
    const QORFileFault fault = hook(step, path);
    // An injected failure reads as the disk error it stands for.
    if (fault != QORFileFault::None) errno = EIO;
    return fault;
  }

 private:
  std::mutex mutex_;
  QORFileFaultHook hook_;
  std::atomic<bool> installed_{false};
};

bool Injected(QORFileStep step, const std::string& path) {
  return FaultHook::Instance().Ask(step, path) != QORFileFault::None;
}

std::string SystemError() { return std::strerror(errno); }

// A file opened with a "w" mode: written to a temporary file that QORFClose puts in place.
struct Replacement {
  std::string temporary;
  bool targetExisted = false;
  bool refuseExisting = false;  // put in place only if the target still does not exist
  bool writeFailed = false;
  bool wroteAfterFailure = false;  // so the caller went on, unaware of the failure
  std::string writeError;
  std::uint64_t bytes = 0;
  std::uint64_t lines = 0;
};

QORFileWrittenListener& WrittenListener() {
  static QORFileWrittenListener listener;
  return listener;
}

struct OpenFile {
  UniqueFd fd;
  std::string path;  // as the caller named it
  std::optional<Replacement> replacement;
  const char* progressPhase = nullptr;  // lines written count towards it
  // Bytes written to a replacement but not yet to its temporary file. The module writes a line per
  // call; a system call per line would cost more than the lines.
  std::string pending;
};

constexpr std::size_t kPendingLimit = 64 * 1024;

// Writes a replacement's pending bytes; a failure is kept to be told when the file is closed.
bool FlushPending(OpenFile& file) {
  if (file.pending.empty()) return true;
  std::size_t done = 0;
  const bool ok = WriteFully(file.fd.Get(), file.pending.data(), file.pending.size(), done);
  file.pending.clear();
  if (!ok && file.replacement && !file.replacement->writeFailed) {
    file.replacement->writeFailed = true;
    file.replacement->writeError = SystemError();
  }
  return ok;
}

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The module writes profiles (named ".bom") and CSV reports, one line per write; spreadsheets are
// the application's, written whole, and have no lines to count.
const char* WritePhaseOf(const std::string& path) {
  if (EndsWith(path, ".xlsx")) return nullptr;
  return EndsWith(path, ".bom") ? "profile-write" : "report";
}

// Open files by handle; handle h is slot h - 1, and freed slots are reused so handles stay small.
class FileTable {
 public:
  static FileTable& Instance() {
    static FileTable table;
    return table;
  }

  unsigned int Add(OpenFile file) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].fd.IsOpen()) continue;
      slots_[i] = std::move(file);
      return static_cast<unsigned int>(i + 1);
    }
    slots_.push_back(std::move(file));
    return static_cast<unsigned int>(slots_.size());
  }

  // Runs use on the open file of handle; false when the handle names none.
  template <class Use>
  bool With(unsigned int handle, Use use) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || handle > slots_.size() || !slots_[handle - 1].fd.IsOpen()) return false;
    use(slots_[handle - 1]);
    return true;
  }

  std::optional<OpenFile> Take(unsigned int handle) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || handle > slots_.size() || !slots_[handle - 1].fd.IsOpen()) return std::nullopt;
    OpenFile file = std::move(slots_[handle - 1]);
    slots_[handle - 1] = OpenFile{};
    return file;
  }

 private:
  std::mutex mutex_;
  std::vector<OpenFile> slots_;
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

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsWritableFile(const std::string& path) { return QORFileAccess(QORUnicodeString(path), QORFileWritable) == 0; }

void ReportProblem(QORFileProblem::Kind kind, const std::string& path, std::string why = {},
                   unsigned long long size = 0) {
  QORFileProblem problem;
  problem.kind = kind;
  problem.path = path;
  problem.why = std::move(why);
  problem.size = size;
  QORReportFileProblem(problem);
}

// False (and the problem told) when another process holds the file.
bool LockOrTell(const std::string& path) {
  if (qorhost::LockFile(path) != qorhost::LockResult::Busy) return true;
  ReportProblem(QORFileProblem::Kind::HeldByAnotherRun, path);
  return false;
}

// Something there that is neither a regular file nor a folder: a device, a pipe, a socket.
bool IsSpecialFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

// A fresh file beside target, hidden by a leading dot, that only this process created.
UniqueFd CreateTemporaryBeside(const std::string& target, std::string& temporary) {
  static std::atomic<unsigned int> sequence{0};
  const std::string stem = FolderOf(target) + "/." + NameOf(target).substr(0, 100) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = stem + std::to_string(::getpid()) + "-" + std::to_string(sequence++) + ".tmp";
    UniqueFd fd(::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.IsOpen()) return fd;
    if (errno != EEXIST) break;
  }
  temporary.clear();
  return UniqueFd();
}

// Starts writing target through a temporary file; empty when target may not be written.
std::optional<OpenFile> BeginReplacement(const std::string& target, bool refuseExisting) {
  struct stat entry {};
  const bool exists = ::lstat(target.c_str(), &entry) == 0;
  struct stat st {};
  const bool isFile = ::stat(target.c_str(), &st) == 0;
  if (exists && refuseExisting) return std::nullopt;
  if (isFile && (S_ISDIR(st.st_mode) || !IsWritableFile(target))) return std::nullopt;
  OpenFile file;
  file.path = target;
  Replacement replacement;
  replacement.targetExisted = exists;
  replacement.refuseExisting = refuseExisting;
  file.fd = CreateTemporaryBeside(target, replacement.temporary);
  if (!file.fd.IsOpen()) return std::nullopt;
  // The new version keeps the permissions of the one it replaces.
  if (isFile && S_ISREG(st.st_mode)) ::fchmod(file.fd.Get(), st.st_mode & 07777);
  qorhost::KeepLockOn(file.fd.Get());
  file.replacement = std::move(replacement);
  return file;
}

// Keeps the file at path as path.bak: a second name for it, or a copy where links are refused.
bool KeepBackup(const std::string& path) {
  const std::string backup = path + ".bak";
  if (::unlink(backup.c_str()) != 0 && errno != ENOENT) return false;
  if (::link(path.c_str(), backup.c_str()) == 0) return true;
  UniqueFd from(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  UniqueFd to(::open(backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  return from.IsOpen() && to.IsOpen() && CopyBytes(from.Get(), to.Get()) && ::close(to.Release()) == 0;
}

void SyncFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.IsOpen()) ::fsync(fd.Get());
}

// Puts a replacement's temporary file in place; on any failure drops it and leaves the target.
HRESULT FinishReplacement(OpenFile file) {
  Replacement& r = *file.replacement;
  const std::string& target = file.path;
  const std::string kept = r.targetExisted ? "; the previous file is kept" : "; no file was created";
  auto drop = [&](const std::string& why, bool tell) {
    file.fd.Reset(-1);
    ::unlink(r.temporary.c_str());
    if (tell) ReportProblem(QORFileProblem::Kind::NotReplaced, target, why + kept);
    return E_FAIL;
  };
  // The last bytes fail here, where no write of the caller's could see it.
  if (!r.writeFailed && !FlushPending(file)) r.wroteAfterFailure = true;
  // The caller that stopped at a failed write has told the user; one that wrote on has not.
  if (r.writeFailed) return drop("a write failed (" + r.writeError + ")", r.wroteAfterFailure);
  if (Injected(QORFileStep::Sync, target) || ::fsync(file.fd.Get()) != 0)
    return drop("it could not be synced to disk (" + SystemError() + ")", true);
  if (Injected(QORFileStep::Close, target) || ::close(file.fd.Release()) != 0)
    return drop("closing it failed (" + SystemError() + ")", true);
  struct stat entry {};
  const bool exists = ::lstat(target.c_str(), &entry) == 0;
  if (exists && r.refuseExisting) return drop("a file of that name appeared meanwhile", true);
  if (exists && (Injected(QORFileStep::Backup, target) || !KeepBackup(target)))
    return drop("the previous file could not be kept as " + NameOf(target) + ".bak (" + SystemError() + ")",
                true);
  if (Injected(QORFileStep::Rename, target))
    return drop("renaming it into place failed (" + SystemError() + ")", true);
  // link() where the target must stay untouched: it fails rather than replace a file.
  const bool placed = r.refuseExisting ? ::link(r.temporary.c_str(), target.c_str()) == 0
                                       : ::rename(r.temporary.c_str(), target.c_str()) == 0;
  if (!placed) return drop("renaming it into place failed (" + SystemError() + ")", true);
  if (r.refuseExisting) ::unlink(r.temporary.c_str());
  SyncFolder(FolderOf(target));
  if (WrittenListener()) WrittenListener()(QORFileWritten{target, r.bytes, r.lines});
  return S_OK;
}

}  // namespace

HRESULT QORFOpen(const QORUnicodeString& path, const char* mode, unsigned int* handle) {
  if (handle) *handle = 0;
  const std::optional<int> flags = OpenFlagsOfMode(mode);
  if (!handle || !flags || path.IsEmpty()) return E_FAIL;
  const std::string& name = path.Utf8();
  if (Injected(QORFileStep::Open, name)) return E_FAIL;
  if (!qorhost::MayReach(name.c_str())) return E_FAIL;
  if ((mode[0] == 'r' || mode[0] == 'w') && !LockOrTell(name)) return E_FAIL;
  // Devices and pipes are written in place: there is nothing to replace them with.
  if (mode[0] == 'w' && !IsSpecialFile(name)) {
    std::optional<OpenFile> file = BeginReplacement(name, (*flags & O_EXCL) != 0);
    if (!file) return E_FAIL;
    file->progressPhase = WritePhaseOf(name);
    if (file->progressPhase) qorhost::ProgressBegin(file->progressPhase, -1);
    *handle = FileTable::Instance().Add(std::move(*file));
    return S_OK;
  }
  UniqueFd fd = OpenPath(path, *flags);
  if (!fd.IsOpen()) return E_FAIL;
  OpenFile file;
  file.fd = std::move(fd);
  file.path = name;
  *handle = FileTable::Instance().Add(std::move(file));
  return S_OK;
}

HRESULT QORFClose(unsigned int handle) {
  std::optional<OpenFile> file = FileTable::Instance().Take(handle);
  if (!file) return E_FAIL;
  if (file->progressPhase) qorhost::ProgressEnd();
  if (file->replacement) return FinishReplacement(std::move(*file));
  if (Injected(QORFileStep::Close, file->path)) return E_FAIL;
  return ::close(file->fd.Release()) == 0 ? S_OK : E_FAIL;
}

HRESULT QORFRead(unsigned int handle, void* buffer, unsigned int length, unsigned int* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  if (!buffer && length > 0) return E_FAIL;
  bool ok = false;
  std::size_t done = 0;
  const bool found = FileTable::Instance().With(handle, [&](OpenFile& file) {
    if (Injected(QORFileStep::Read, file.path) || !FlushPending(file)) return;
    ok = ReadFully(file.fd.Get(), static_cast<char*>(buffer), length, done);
  });
  // The module reads a profile whole, so its lines are known only once they are read.
  if (found && ok) {
    const char* bytes = static_cast<const char*>(buffer);
    const long lines = qorhost::LineEndsIn(bytes, done) + (done > 0 && bytes[done - 1] != '\n');
    qorhost::ProgressBegin("profile-read", lines);
    qorhost::ProgressAdvance(lines);
  }
  if (bytesRead) *bytesRead = static_cast<unsigned int>(done);
  return found && ok ? S_OK : E_FAIL;
}

HRESULT QORFWrite(unsigned int handle, const void* buffer, unsigned int length,
                  unsigned int* bytesWritten) {
  if (bytesWritten) *bytesWritten = 0;
  if (!buffer && length > 0) return E_FAIL;
  bool ok = false;
  std::size_t done = 0;
  long linesWritten = 0;
  const bool found = FileTable::Instance().With(handle, [&](OpenFile& file) {
    if (file.replacement && file.replacement->writeFailed) file.replacement->wroteAfterFailure = true;
    const char* bytes = static_cast<const char*>(buffer);
    switch (FaultHook::Instance().Ask(QORFileStep::Write, file.path)) {
      case QORFileFault::None:
        if (file.replacement) {
          file.pending.append(bytes, length);
          ok = file.pending.size() < kPendingLimit || FlushPending(file);
          done = ok ? length : 0;
        } else {
          ok = WriteFully(file.fd.Get(), bytes, length, done);
        }
        if (file.progressPhase) linesWritten = qorhost::LineEndsIn(bytes, done);
        break;
      case QORFileFault::Short:
        FlushPending(file);
        WriteFully(file.fd.Get(), bytes, length / 2, done);
        errno = ENOSPC;
        break;
      case QORFileFault::Fail:
        break;
    }
    if (ok && file.replacement) {
      file.replacement->bytes += done;
      file.replacement->lines += static_cast<std::uint64_t>(std::count(bytes, bytes + done, '\n'));
    }
    if (!ok && file.replacement && !file.replacement->writeFailed) {
      file.replacement->writeFailed = true;
      file.replacement->writeError = SystemError();
    }
  });
  if (bytesWritten) *bytesWritten = static_cast<unsigned int>(done);
  // Outside the file table's lock: the listener is someone else's code.
  if (linesWritten > 0) qorhost::ProgressAdvance(linesWritten);
  return found && ok ? S_OK : E_FAIL;
}

HRESULT QORFSize(unsigned int handle, unsigned int* size) {
  if (size) *size = 0;
  if (!size) return E_FAIL;
  struct stat st {};
  std::string path;
  const bool found = FileTable::Instance().With(handle, [&](OpenFile& file) {
    path = file.path;
    if (!FlushPending(file) || ::fstat(file.fd.Get(), &st) != 0) st.st_size = -1;
  });
  if (!found || st.st_size < 0) return E_FAIL;
  const auto bytes = static_cast<unsigned long long>(st.st_size);
  if (bytes > QORFMaxReadSize) {
    ReportProblem(QORFileProblem::Kind::TooLarge, path, {}, bytes);
    return E_FAIL;
  }
  *size = static_cast<unsigned int>(bytes);
  return S_OK;
}

HRESULT QORFCopy(const QORUnicodeString& source, const QORUnicodeString& target, int flags) {
  UniqueFd from = OpenPath(source, O_RDONLY);
  if (!from.IsOpen() || target.IsEmpty()) return E_FAIL;
  const bool keepTarget = (flags & QORFCopyKeepTarget) != 0;
  // Replacing the target would lose the source when both name one file; the copy is done.
  if (!keepTarget && IsSameFile(source, target)) return S_OK;
  const std::string& name = target.Utf8();
  if (IsSpecialFile(name) || !qorhost::MayReach(name.c_str())) return E_FAIL;
  if (!LockOrTell(name)) return E_FAIL;
  std::optional<OpenFile> file = BeginReplacement(name, keepTarget);
  if (!file) return E_FAIL;
  if (!CopyBytes(from.Get(), file->fd.Get())) {
    file->replacement->writeFailed = true;
    file->replacement->writeError = SystemError();
  }
  return FinishReplacement(std::move(*file));
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

void QORFReleaseLocks() { qorhost::ReleaseFileLocks(); }

void QORFSetLockWait(int milliseconds) { qorhost::SetLockWait(milliseconds); }

void QORFSetWrittenListener(QORFileWrittenListener listener) { WrittenListener() = std::move(listener); }

void QORFSetFaultHook(QORFileFaultHook hook) { FaultHook::Instance().Set(std::move(hook)); }
