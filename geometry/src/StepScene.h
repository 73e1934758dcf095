// Tessellation of a CAD assembly into a binary glTF scene whose nodes carry the instance names of
// the product tree. The only interface to the geometry kernel: no kernel type shows through it.
#pragma once

#include "QORExpected.h"
#include "StepMold.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace moldview {

// Reports how far the work has come (0 to 1) and says when it should stop; called from the
// worker thread and the kernel's own meshing threads.
struct SceneProgress {
  std::function<void(double fraction, const char* stage)> report;
  const std::atomic<bool>* cancel = nullptr;
};

struct SceneBuild {
  std::vector<std::string> skipped;  // what could not be read or meshed, one sentence each
};

// Reads the assembly at stepPath, names its instances after names, meshes every part and writes
// the scene to glbPath. Parts that fail are left out and listed; only a file the kernel cannot read
// at all, a cancel, or a failed write is an error.
QORExpected<SceneBuild> BuildStepScene(const std::string& stepPath, const qorhost::StepInstanceNames& names,
                                       const std::string& glbPath, const SceneProgress& progress);

// The kernel and its libraries weigh some 20 MB once loaded, so they live in a library of their own
// that the first view loads; the other commands never map them. It hands out its builder here.
using BuildStepSceneFunction = QORExpected<SceneBuild>(const std::string& stepPath,
                                                       const qorhost::StepInstanceNames& names,
                                                       const std::string& glbPath, const SceneProgress& progress);
inline constexpr const char* kSceneLibrary = "libmoldbom_stepscene.so";
inline constexpr const char* kSceneEntry = "moldview_StepSceneBuilder";

}  // namespace moldview
