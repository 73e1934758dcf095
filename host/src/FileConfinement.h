// The folder that the host's file services may not leave, for the host's own sources only.
#pragma once

#include <sys/types.h>

#include <string>

namespace qorhost {

// open(2) of path, reached from the confinement folder without following any symbolic link when a
// folder is set; a plain open(2) otherwise. -1 with errno set when refused or failed.
int ConfinedOpen(const char* path, int flags, mode_t mode);

// unlink(2) of path, inside the confinement folder when one is set.
int ConfinedUnlink(const char* path);

// Whether path names something inside the confinement folder without passing a symbolic link
// (always true when none is set); a refusal is reported to the confinement's listener.
bool MayReach(const char* path);

}  // namespace qorhost
