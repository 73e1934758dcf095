// System services of the host: files through a handle table, environment, login name, time and a
// tokenizer, all over the real operating system.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "QORBase.h"

// ---------------------------------------------------------------------------------------------
// Files. Paths are UTF-8; a handle is a small positive integer naming an open file, 0 never does.
// ---------------------------------------------------------------------------------------------

// Opens path with an fopen mode ("rb", "w+b", "a" ...); E_FAIL when it cannot be opened.
QOR_EXPORT HRESULT QORFOpen(const QORUnicodeString& path, const char* mode, unsigned int* handle);
QOR_EXPORT HRESULT QORFClose(unsigned int handle);
// Reads up to length bytes; fewer only at the end of the file. bytesRead may be null.
QOR_EXPORT HRESULT QORFRead(unsigned int handle, void* buffer, unsigned int length,
                            unsigned int* bytesRead);
// E_FAIL unless all length bytes were written (a full disk, a handle opened for reading).
QOR_EXPORT HRESULT QORFWrite(unsigned int handle, const void* buffer, unsigned int length,
                             unsigned int* bytesWritten);
QOR_EXPORT HRESULT QORFSize(unsigned int handle, unsigned int* size);

// QORFCopy flags: 0 overwrites the target; QORFCopyKeepTarget fails when the target exists.
inline constexpr int QORFCopyKeepTarget = 1;
// Copies the bytes of source onto target; the target gets fresh permissions, not the source's.
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
