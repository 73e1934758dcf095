// Names inside the workspace folder, checked segment by segment against the real file system.
#include "Workspace.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace moldbom {
namespace {

constexpr std::size_t kMaxNameLength = 4096;
constexpr std::size_t kMaxSegmentLength = 255;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool HasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

std::string Join(const std::vector<std::string>& segments) {
  std::string joined;
  for (const std::string& segment : segments) joined += (joined.empty() ? "" : "/") + segment;
  return joined;
}

// What a name is on disk, without following a symbolic link.
enum class Node { Missing, Folder, File, Link, Other };

Node NodeAt(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return Node::Missing;
  if (S_ISLNK(info.st_mode)) return Node::Link;
  if (S_ISDIR(info.st_mode)) return Node::Folder;
  if (S_ISREG(info.st_mode)) return Node::File;
  return Node::Other;
}

std::string TrimTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder.empty() ? "." : folder;
}

bool IsInside(const std::string& path, const std::string& root) {
  if (path == root) return true;
  const std::string prefix = root == "/" ? root : root + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

Expected<Workspace> Workspace::Open(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(folder, error);
  if (error) return Failure{"the workspace " + folder + " cannot be used: " + error.message()};
  if (!std::filesystem::is_directory(real, error)) return Failure{"the workspace " + folder + " is not a folder"};
  return Workspace(real.string(), TrimTrailingSlashes(folder));
}

bool Workspace::IsAcceptablePattern(const std::string& pattern) {
  if (pattern.empty() || pattern.size() > 64) return false;
  return std::all_of(pattern.begin(), pattern.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("*?._-", c) != nullptr;
  });
}

Expected<std::vector<std::string>> Workspace::Segments(const std::string& relative) const {
  if (relative.size() > kMaxNameLength) return Failure{"the name is too long"};
  if (HasControlCharacter(relative)) return Failure{"a name holds no control characters"};
  if (!relative.empty() && relative.front() == '/') return Failure{"name the file inside the workspace, not from the root"};
  if (relative.find('\\') != std::string::npos) return Failure{"use \"/\" between folder names"};
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= relative.size()) {
    const std::size_t end = std::min(relative.find('/', start), relative.size());
    const std::string segment = relative.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") return Failure{"the file choosers stay inside the workspace: \"..\" is not allowed"};
    if (segment.size() > kMaxSegmentLength) return Failure{"the name " + segment.substr(0, 32) + "... is too long"};
    segments.push_back(segment);
  }
  return segments;
}

Expected<WorkspacePath> Workspace::Resolve(const std::string& relative, bool wantFolder) const {
  Expected<std::vector<std::string>> split = Segments(relative);
  if (!split) return Failure{split.Why()};
  const std::vector<std::string>& segments = split.Value();
  if (segments.empty() && !wantFolder) return Failure{"name a file"};
  std::string onDisk = realRoot_;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    onDisk += (onDisk == "/" ? "" : "/") + segments[i];
    const bool last = i + 1 == segments.size();
    const Node node = NodeAt(onDisk);
    if (node == Node::Link) return Failure{segments[i] + " is a symbolic link, which the file choosers do not follow"};
    if (!last || wantFolder) {
      if (node != Node::Folder) return Failure{"there is no folder " + Join({segments.begin(), segments.begin() + static_cast<long>(i) + 1})};
      continue;
    }
    if (node != Node::Missing && node != Node::File) return Failure{segments[i] + " is not a file"};
  }
  // Every segment was checked to be no link; the real path of the folder must still lie inside.
  std::error_code error;
  const std::filesystem::path folder = wantFolder ? std::filesystem::path(onDisk) : std::filesystem::path(onDisk).parent_path();
  const std::filesystem::path real = std::filesystem::canonical(folder, error);
  if (error || !IsInside(real.string(), realRoot_)) return Failure{"the name leads outside the workspace"};
  const std::string joined = Join(segments);
  const std::string forModule = joined.empty() ? moduleRoot_ : (moduleRoot_ == "/" ? "/" : moduleRoot_ + "/") + joined;
  return WorkspacePath{joined, forModule};
}

Expected<WorkspacePath> Workspace::ResolveFile(const std::string& relative) const { return Resolve(relative, false); }

Expected<WorkspacePath> Workspace::ResolveFolder(const std::string& relative) const { return Resolve(relative, true); }

Expected<WorkspaceListing> Workspace::List(const std::string& relativeFolder, const std::vector<std::string>& patterns,
                                           std::size_t maxEntries) const {
  for (const std::string& pattern : patterns)
    if (!IsAcceptablePattern(pattern)) return Failure{"the file pattern " + pattern.substr(0, 64) + " is not a plain pattern"};
  Expected<WorkspacePath> folder = ResolveFolder(relativeFolder);
  if (!folder) return Failure{folder.Why()};
  WorkspaceListing listing{folder.Value().relative, {}, false};
  const std::string onDisk = realRoot_ + (folder.Value().relative.empty() ? "" : "/" + folder.Value().relative);
  std::error_code error;
  for (std::filesystem::directory_iterator it(onDisk, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.front() == '.' || HasControlCharacter(name)) continue;
    const Node node = NodeAt(it->path().string());
    const bool matches = patterns.empty() || std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
                           return ::fnmatch(p.c_str(), name.c_str(), 0) == 0;
                         });
    if (node == Node::Folder || (node == Node::File && matches)) listing.entries.push_back({name, node == Node::Folder});
  }
  if (error) return Failure{"the folder " + (listing.folder.empty() ? std::string(".") : listing.folder) + " cannot be read: " + error.message()};
  std::sort(listing.entries.begin(), listing.entries.end(), [](const WorkspaceEntry& a, const WorkspaceEntry& b) {
    if (a.folder != b.folder) return a.folder;
    return a.name < b.name;
  });
  if (listing.entries.size() > maxEntries) {
    listing.entries.resize(maxEntries);
    listing.truncated = true;
  }
  return listing;
}

}  // namespace moldbom
