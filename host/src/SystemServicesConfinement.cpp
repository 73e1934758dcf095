// Keeps the host's file services inside one folder: a name is made absolute and lexically normal,
// must lie below the folder as named or as its real path, and is then opened step by step from a
// descriptor of the folder with O_NOFOLLOW, so that no link on the way can lead out of it.
#include "FileConfinement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "QORSystemServices.h"

namespace {

using Segments = std::vector<std::string>;

struct Confinement {
  std::string shownRoot;  // as the application named it, for messages
  Segments namedRoot;     // absolute and lexically normal
  Segments realRoot;      // with links resolved
  int rootFd = -1;
  QORFileRefusalListener listener;

  ~Confinement() {
    if (rootFd >= 0) ::close(rootFd);
  }
};

std::mutex confinementMutex;
std::shared_ptr<const Confinement> confinement;

std::shared_ptr<const Confinement> Current() {
  std::lock_guard lock(confinementMutex);
  return confinement;
}

std::string WorkingFolder() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// The absolute, lexically normal segments of path: "." dropped, ".." taking back one segment.
Segments NormalSegments(const std::string& path) {
  const std::string absolute = !path.empty() && path.front() == '/' ? path : WorkingFolder() + "/" + path;
  Segments segments;
  std::size_t start = 0;
  while (start <= absolute.size()) {
    const std::size_t end = std::min(absolute.find('/', start), absolute.size());
    std::string segment = absolute.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      continue;
    }
    segments.push_back(std::move(segment));
  }
  return segments;
}

bool StartsWith(const Segments& path, const Segments& root) {
  return path.size() >= root.size() && std::equal(root.begin(), root.end(), path.begin());
}

// The segments of path below the root, or false when it lies outside.
bool BelowRoot(const Confinement& root, const std::string& path, Segments& below) {
  const Segments segments = NormalSegments(path);
  for (const Segments* prefix : {&root.namedRoot, &root.realRoot}) {
    if (!StartsWith(segments, *prefix)) continue;
    below.assign(segments.begin() + static_cast<long>(prefix->size()), segments.end());
    return true;
  }
  return false;
}

void Refuse(const Confinement& root, const char* path, const std::string& why) {
  if (root.listener) root.listener(path, why);
}

// The folder holding the last segment, opened from the root without following links; -1 when a
// segment on the way is a link or no folder.
int OpenParent(const Confinement& root, const Segments& below) {
  int folder = ::fcntl(root.rootFd, F_DUPFD_CLOEXEC, 0);
  for (std::size_t i = 0; folder >= 0 && i + 1 < below.size(); ++i) {
    const int next = ::openat(folder, below[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int saved = errno;
    ::close(folder);
    errno = saved;
    folder = next;
  }
  return folder;
}

bool IsLink(int folder, const std::string& name) {
  struct stat info {};
  return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

// Why a step-by-step walk failed, in the user's words.
std::string WalkFailure(const Confinement& root, const Segments& below) {
  int folder = ::fcntl(root.rootFd, F_DUPFD_CLOEXEC, 0);
  std::string reached;
  std::string why = "it cannot be reached inside the workspace";
  for (std::size_t i = 0; folder >= 0 && i < below.size(); ++i) {
    reached += (reached.empty() ? "" : "/") + below[i];
    if (IsLink(folder, below[i])) {
      why = reached + " is a symbolic link, which is not followed out of the workspace";
      break;
    }
    const int next = i + 1 < below.size() ? ::openat(folder, below[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
    ::close(folder);
    folder = next;
  }
  if (folder >= 0) ::close(folder);
  return why;
}

// The segments of path below the root; false, with errno set and an outside name refused, when it
// names nothing that could be opened or removed as a file there.
bool FileBelowRoot(const Confinement& root, const char* path, Segments& below) {
  if (!BelowRoot(root, path, below)) {
    Refuse(root, path, "it lies outside the workspace " + root.shownRoot);
    errno = EACCES;
    return false;
  }
  if (below.empty()) {
    errno = EISDIR;
    return false;
  }
  return true;
}

}  // namespace

HRESULT QORSetFileConfinement(const char* folder, QORFileRefusalListener listener) {
  if (!folder) {
    std::lock_guard lock(confinementMutex);
    confinement.reset();
    return S_OK;
  }
  auto root = std::make_shared<Confinement>();
  root->rootFd = ::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
  char* real = ::realpath(folder, nullptr);
  if (root->rootFd < 0 || !real) {
    std::free(real);
    return E_FAIL;
  }
  root->shownRoot = folder;
  root->namedRoot = NormalSegments(folder);
  root->realRoot = NormalSegments(real);
  std::free(real);
  root->listener = std::move(listener);
  std::lock_guard lock(confinementMutex);
  confinement = std::move(root);
  return S_OK;
}

namespace qorhost {

int ConfinedOpen(const char* path, int flags, mode_t mode) {
  const std::shared_ptr<const Confinement> root = Current();
  if (!root) return ::open(path, flags, mode);
  Segments below;
  if (!FileBelowRoot(*root, path, below)) return -1;
  const int folder = OpenParent(*root, below);
  const int fd = folder < 0 ? -1 : ::openat(folder, below.back().c_str(), flags | O_NOFOLLOW, mode);
  const int saved = errno;
  if (folder >= 0) ::close(folder);
  if (fd < 0 && (saved == ELOOP || saved == ENOTDIR)) Refuse(*root, path, WalkFailure(*root, below));
  errno = saved;
  return fd;
}

bool MayReach(const char* path) {
  const std::shared_ptr<const Confinement> root = Current();
  if (!root) return true;
  Segments below;
  if (!BelowRoot(*root, path, below)) {
    Refuse(*root, path, "it lies outside the workspace " + root->shownRoot);
    return false;
  }
  if (below.empty()) return true;
  const int folder = OpenParent(*root, below);
  const bool link = folder >= 0 && IsLink(folder, below.back());
  if (folder >= 0) ::close(folder);
  if (folder < 0 && errno != ELOOP && errno != ENOTDIR) return true;  // missing: the caller's call fails by itself
  if (folder >= 0 && !link) return true;
  Refuse(*root, path, WalkFailure(*root, below));
  return false;
}

int ConfinedUnlink(const char* path) {
  const std::shared_ptr<const Confinement> root = Current();
  if (!root) return ::unlink(path);
  Segments below;
  if (!FileBelowRoot(*root, path, below)) return -1;
  const int folder = OpenParent(*root, below);
  if (folder < 0 || IsLink(folder, below.back())) {
    const int saved = errno;
    if (folder >= 0) ::close(folder);
    if (folder >= 0 || saved == ELOOP || saved == ENOTDIR) Refuse(*root, path, WalkFailure(*root, below));
    errno = folder >= 0 ? ELOOP : saved;
    return -1;
  }
  const int result = ::unlinkat(folder, below.back().c_str(), 0);
  const int saved = errno;
  ::close(folder);
  errno = saved;
  return result;
}

}  // namespace qorhost
