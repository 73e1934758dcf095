// Reading the mold file, naming its instances, tessellating and caching, on the builder's thread.
#include "ViewBuilder.h"

#include "SceneMap.h"
#include "StepMold.h"
#include "StepReader.h"
#include "StepScene.h"

#include <filesystem>

namespace moldview {

namespace fs = std::filesystem;

const char* ViewStateName(ViewState state) {
  switch (state) {
    case ViewState::Building: return "building";
    case ViewState::Ready: return "ready";
    case ViewState::Failed: return "failed";
    case ViewState::None: return "none";
  }
  return "none";
}

ViewBuilder::ViewBuilder(std::string moldPath, fs::path cacheFolder)
    : moldPath_(std::move(moldPath)), cache_(std::move(cacheFolder)) {
  status_.stage = "waiting";
}

ViewBuilder::~ViewBuilder() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
}

void ViewBuilder::Start() {
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

ViewStatus ViewBuilder::Status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

std::shared_ptr<const CachedScene> ViewBuilder::Scene() const {
  std::lock_guard lock(mutex_);
  return scene_;
}

bool ViewBuilder::WaitUntilDone(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return done_.wait_for(lock, timeout, [&] { return status_.state != ViewState::Building; });
}

void ViewBuilder::Report(double progress, const char* stage) {
  std::lock_guard lock(mutex_);
  status_.progress = progress;
  status_.stage = stage;
}

void ViewBuilder::Finish(ViewState state, std::string why, std::shared_ptr<const CachedScene> scene, bool fromCache) {
  {
    std::lock_guard lock(mutex_);
    status_.state = state;
    status_.progress = state == ViewState::Ready ? 1 : status_.progress;
    status_.stage = ViewStateName(state);
    status_.why = std::move(why);
    status_.fromCache = fromCache;
    scene_ = std::move(scene);
  }
  done_.notify_all();
}

void ViewBuilder::Run() {
  Report(0, "reading");
  std::optional<std::string> text = ReadWholeFile(moldPath_);
  if (!text) return Finish(ViewState::Failed, moldPath_ + ": cannot read the file", nullptr, false);
  if (!qorhost::LooksLikeStep(*text)) return Finish(ViewState::None, "the mold holds no geometry", nullptr, false);
  const std::string stem = fs::path(moldPath_).stem().string();
  const std::string key = ViewCache::KeyOf(*text, stem);
  if (std::optional<CachedScene> cached = cache_.Find(key))
    return Finish(ViewState::Ready, {}, std::make_shared<CachedScene>(std::move(*cached)), true);

  qorhost::StepInstanceNames names;
  auto read = qorhost::ReadStepMold(*text, stem, &names);
  text.reset();
  if (auto* error = std::get_if<qorhost::StepError>(&read))
    return Finish(ViewState::Failed, moldPath_ + ": " + error->what, nullptr, false);
  const std::vector<TreeOccurrence> tree = TreeOccurrences(std::get<qorhost::MoldDescription>(read));

  // Without a cache folder the scene is built in the temporary folder and kept in memory only.
  const bool cacheable = cache_.Prepare();
  const ViewCache scratch = cacheable ? cache_ : ViewCache(fs::temp_directory_path());
  const fs::path glbPath = scratch.ScratchGlb(key);
  const SceneProgress progress{[this](double fraction, const char* stage) { Report(fraction, stage); }, &cancel_};
  QORExpected<SceneBuild> built = BuildStepScene(moldPath_, names, glbPath.string(), progress);
  std::optional<std::string> glb = built ? ReadWholeFile(glbPath) : std::nullopt;
  std::error_code ignored;
  if (!glb) {
    fs::remove(glbPath, ignored);
    return Finish(ViewState::Failed, built ? glbPath.string() + ": cannot read the scene back" : built.Why(), nullptr, false);
  }
  QORExpected<std::vector<std::string>> paths = GlbNodePaths(*glb);
  if (!paths) {
    fs::remove(glbPath, ignored);
    return Finish(ViewState::Failed, paths.Why(), nullptr, false);
  }
  std::string map = SceneMapJson(paths.Value(), tree, std::move(built.Value().skipped));
  if (!cacheable || !cache_.Keep(key, map)) fs::remove(glbPath, ignored);
  Finish(ViewState::Ready, {}, std::make_shared<CachedScene>(CachedScene{std::move(*glb), std::move(map)}), false);
}

}  // namespace moldview
