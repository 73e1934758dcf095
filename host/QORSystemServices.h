// System services of the host: files through a handle table, environment, login name, time and a
// tokenizer, all over the real operating system.
#pragma once

#include <ctime>
#include <cstdint>
#include <functional>
#include <string>

#include "QORBase.h"

// ---------------------------------------------------------------------------------------------
// Files. Paths are UTF-8; a handle is a small positive integer naming an open file, 0 never does.
// ---------------------------------------------------------------------------------------------

// Opens path with an fopen mode ("rb", "w+b", "a" ...); E_FAIL when it cannot be opened.
//
// A "w" mode never touches the file until QORFClose: the bytes go to a temporary file in the same
// folder, which QORFClose syncs and renames over path, keeping the previous file as path + ".bak".
// After a failed write, or when any of those steps fails, the temporary file is dropped and path
// stays as it was. A link named as path is replaced, not followed. An existing file that is not
// writable is not opened.
//
// Reading ("r") or writing ("w") a file takes an exclusive lock (flock) on it that the running
// command keeps until QORFReleaseLocks, so that a second process cannot read and rewrite the same
// file meanwhile. While another process holds it, the open waits a moment, then fails and reports
// a QORFileProblem (HeldByAnotherRun).
QOR_EXPORT HRESULT QORFOpen(const QORUnicodeString& path, const char* mode, unsigned int* handle);
// For a "w" handle: puts the written file in place as above; E_FAIL (and a QORFileProblem when the
// failure was not one of a write the caller saw fail) when path keeps its previous content.
QOR_EXPORT HRESULT QORFClose(unsigned int handle);
// Reads up to length bytes; fewer only at the end of the file. bytesRead may be null.
QOR_EXPORT HRESULT QORFRead(unsigned int handle, void* buffer, unsigned int length,
                            unsigned int* bytesRead);
// E_FAIL unless all length bytes were written (a full disk, a handle opened for reading).
QOR_EXPORT HRESULT QORFWrite(unsigned int handle, const void* buffer, unsigned int length,
                             unsigned int* bytesWritten);
// Files larger than this are neither sized nor read: the module reads files whole.
inline constexpr unsigned int QORFMaxReadSize = 256u * 1024u * 1024u;
// E_FAIL, and a QORFileProblem (TooLarge), for a file larger than QORFMaxReadSize.
QOR_EXPORT HRESULT QORFSize(unsigned int handle, unsigned int* size);

// QORFCopy flags: 0 overwrites the target; QORFCopyKeepTarget fails when the target exists.
inline constexpr int QORFCopyKeepTarget = 1;
// Copies the bytes of source onto target, as a "w" handle writes it (temporary file, backup,
// rename, lock); a new target gets fresh permissions, not the source's, a replaced one keeps its own.
QOR_EXPORT HRESULT QORFCopy(const QORUnicodeString& source, const QORUnicodeString& target,
                            int flags);

// QORFileAccess modes, combinable as with access(2).
inline constexpr int QORFileExists = 0;
inline constexpr int QORFileWritable = 2;
inline constexpr int QORFileReadable = 4;
// 0 when path passes the test of mode, -1 otherwise. A file without any write (read) permission
// bit fails the writable (readable) test for every user, the superuser included.
QOR_EXPORT int QORFileAccess(const QORUnicodeString& path, int mode);

QOR_EXPORT HRESULT QORDeleteFile(const QORUnicodeString& path);

// Drops the locks taken by QORFOpen and QORFCopy; the application calls it when a command ends.
QOR_EXPORT void QORFReleaseLocks();
// How long an open waits for a lock another process holds (2000 ms unless set).
QOR_EXPORT void QORFSetLockWait(int milliseconds);

// Test hook: asked before each step of the file services; Fail makes the step fail, Short makes
// a write store half its bytes and fail, as a full disk does. path is the file named by the
// caller (not the temporary file). An empty hook removes it.
enum class QORFileStep { Open, Read, Write, Sync, Close, Backup, Rename };
enum class QORFileFault { None, Fail, Short };
using QORFileFaultHook = std::function<QORFileFault(QORFileStep step, const std::string& path)>;
QOR_EXPORT void QORFSetFaultHook(QORFileFaultHook hook);
// Told of every file a close put in place: the name as the caller gave it, its size and its lines,
// so that the application can say what was saved. An empty listener removes it.
struct QORFileWritten {
  std::string path;
  std::uint64_t bytes = 0;
  std::uint64_t lines = 0;
};
using QORFileWrittenListener = std::function<void(const QORFileWritten&)>;
QOR_EXPORT void QORFSetWrittenListener(QORFileWrittenListener listener);
// The absolute path with symbolic links and dot segments resolved; E_FAIL when path does not exist.
QOR_EXPORT HRESULT QORGetRealPath(const QORUnicodeString& path, QORUnicodeString& realPath);

// Told of every name the file services refuse because it leads out of the confinement folder: the
// name as given and why, in words for the user.
using QORFileRefusalListener = std::function<void(const std::string& path, const std::string& why)>;
// For the application: from now on the file services reach only what lies inside folder, through
// no symbolic link; null lifts the confinement. E_FAIL when folder cannot be opened.
QOR_EXPORT HRESULT QORSetFileConfinement(const char* folder, QORFileRefusalListener listener = {});

// ---------------------------------------------------------------------------------------------
// Environment and user
// ---------------------------------------------------------------------------------------------

// S_OK and a malloc'd copy of the value that the caller frees with free(); E_FAIL and null when
// the variable is not set.
QOR_EXPORT HRESULT QORGetEnvValue(const char* name, char** value);
// For the application (journal "env" and "unenv"); the module only reads.
QOR_EXPORT void QORSetEnvValue(const char* name, const char* value);
QOR_EXPORT void QORUnsetEnvValue(const char* name);

// 0 and the login name in buffer (size bytes, terminator included); non-zero when it cannot be
// obtained or does not fit. $USER, then $LOGNAME, then the password entry of the effective user.
QOR_EXPORT HRESULT QORGetLoginName(char* buffer, int size);

// ---------------------------------------------------------------------------------------------
// QORTime: an instant, shown in the local time zone.
// ---------------------------------------------------------------------------------------------
class QOR_EXPORT QORTime {
 public:
  // Now; or the instant of SOURCE_DATE_EPOCH (seconds since 1970) when it is set to a number, so
  // that reports made in tests and reproducible runs carry a fixed date.
  QORTime();
  explicit QORTime(std::time_t instant);

  // strftime with the C library's current LC_TIME locale. flags select calendar variants this
  // host does not have; they are accepted and ignored.
  QORUnicodeString ConvertToString(const char* format, int flags) const;
  std::time_t Instant() const { return instant_; }

 private:
  std::time_t instant_;
};

// ---------------------------------------------------------------------------------------------
// QORToken: splits a text into tokens, runs of characters that hold no separator.
// ---------------------------------------------------------------------------------------------
class QOR_EXPORT QORToken {
 public:
  explicit QORToken(const QORUnicodeString& text);

  // The next token; every character of separators separates (runs count as one, and leading or
  // trailing ones yield nothing). Empty when there is no more token, so a token is never empty.
  QORUnicodeString GetNextToken(const QORUnicodeString& separators);

 private:
  std::string text_;
  std::size_t position_ = 0;  // byte offset of the first unread character
};
