// The workspace folder that the page's file choosers browse: names inside it, and nothing outside.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Expected.h"

namespace moldbom {

// A path inside the workspace: as the page names it (relative, "/"-separated, no dot segments) and
// as the module is given it (the workspace as the user named it, joined with the relative path).
struct WorkspacePath {
  std::string relative;
  std::string forModule;
};

struct WorkspaceEntry {
  std::string name;
  bool folder = false;
};

struct WorkspaceListing {
  std::string folder;  // relative; empty for the workspace itself
  std::vector<WorkspaceEntry> entries;
  bool truncated = false;
};

class Workspace {
 public:
  // The folder must exist; its real path is what every name is checked against.
  static Expected<Workspace> Open(const std::string& folder);

  // A folder or a file to choose, new or existing, named relative to the workspace. Refuses
  // absolute names, "..", control characters, backslashes, and any symbolic link on the way,
  // since a link could lead outside.
  [[nodiscard]] Expected<WorkspacePath> ResolveFile(const std::string& relative) const;
  [[nodiscard]] Expected<WorkspacePath> ResolveFolder(const std::string& relative) const;

  // The sub-folders and the files matching one of the patterns ("*.csv"), folders first, each
  // group by name; hidden entries and symbolic links are left out. At most maxEntries entries.
  [[nodiscard]] Expected<WorkspaceListing> List(const std::string& relativeFolder,
                                                const std::vector<std::string>& patterns,
                                                std::size_t maxEntries = 2000) const;

  // A file pattern of a box's filter: a plain name with "*" and "?" wildcards.
  static bool IsAcceptablePattern(const std::string& pattern);

  const std::string& RealRoot() const { return realRoot_; }

 private:
  Workspace(std::string realRoot, std::string moduleRoot)
      : realRoot_(std::move(realRoot)), moduleRoot_(std::move(moduleRoot)) {}
  Expected<std::vector<std::string>> Segments(const std::string& relative) const;
  Expected<WorkspacePath> Resolve(const std::string& relative, bool wantFolder) const;

  std::string realRoot_;
  std::string moduleRoot_;
};

}  // namespace moldbom
