// Exclusive locks on the files a command reads and writes, kept until the command ends, so that
// a second process cannot read and rewrite a profile while this one does.
#pragma once

#include <string>

namespace qorhost {

enum class LockResult {
  Held,         // this process holds the file's lock (now or from before)
  NotLockable,  // no regular file there, or none this process may open: nothing to guard
  Busy,         // another process held it for the whole wait
};

// Locks the file at path, waiting up to the lock wait while another process holds it. A file
// replaced meanwhile (renamed over) is locked in its new version.
LockResult LockFile(const std::string& path);
// Locks a file this process has just created and keeps the lock after fd is closed, so that the
// lock moves with the file when it is renamed over another.
void KeepLockOn(int fd);
void ReleaseFileLocks();
void SetLockWait(int milliseconds);

}  // namespace qorhost
