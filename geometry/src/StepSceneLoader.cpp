// Loads the geometry kernel's library the first time a scene is built.
#include "StepScene.h"

#include <dlfcn.h>

#include "QORInstallation.h"

namespace moldview {
namespace {

struct SceneLibrary {
  BuildStepSceneFunction* build = nullptr;
  std::string why;  // why it could not be loaded
};

SceneLibrary Load() {
  const std::string path = QORInstallation::Current().moduleDirectory + "/" + kSceneLibrary;
  // Never closed: the kernel keeps registries for the life of the process.
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return {nullptr, dlerror()};
  using Entry = BuildStepSceneFunction* (*)();
  const auto entry = reinterpret_cast<Entry>(dlsym(library, kSceneEntry));
  if (!entry) return {nullptr, path + " has no " + kSceneEntry};
  return {entry(), {}};
}

}  // namespace

QORExpected<SceneBuild> BuildStepScene(const std::string& stepPath, const qorhost::StepInstanceNames& names,
                                       const std::string& glbPath, const SceneProgress& progress) {
  static const SceneLibrary library = Load();
  if (!library.build) return QORError(stepPath, 0, 0, "the geometry kernel cannot be loaded: " + library.why);
  return library.build(stepPath, names, glbPath, progress);
}

}  // namespace moldview
