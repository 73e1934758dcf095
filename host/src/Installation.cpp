// Paths of the program's own files, from where its executable lies.
#include "QORInstallation.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsInside(const fs::path& path, const fs::path& folder) {
  const auto [end, at] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return end == folder.end();
}

std::string Canonical(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? path : canonical.string();
}

// An executable whose path is unknown is taken for the build tree's, as before installation existed.
QORInstallation Locate(const std::string& executable) {
  const fs::path exe = Canonical(executable);
  if (executable.empty() || IsInside(exe, Canonical(MOLDBOM_BUILD_DIR)))
    return {MOLDBOM_SOURCE_DIR "/resources", MOLDBOM_SOURCE_DIR "/samples", MOLDBOM_BUILD_MODULE_DIR};
  const fs::path bin = exe.parent_path();
  const fs::path data = (bin / MOLDBOM_BIN_TO_DATA).lexically_normal();
  return {(data / "resources").string(), (data / "samples").string(),
          (bin / MOLDBOM_BIN_TO_LIB).lexically_normal().string()};
}

}  // namespace

const QORInstallation& QORInstallation::Current() {
  static const QORInstallation installation = [] {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return Locate(error ? std::string() : executable.string());
  }();
  return installation;
}
