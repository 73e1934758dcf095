// Benchmarks the 3D view of the largest shared CAD assemblies: the first view (read, mesh, write,
// cache) and a second start from the cache. Skipped when the shared assemblies are absent.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "ViewBuilder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSharedStep = MOLDBOM_SHARED_STEP_DIR;
const char* const kLargest[] = {"Bowden_Module.step", "Hotend_PCB_V1.0.step", "RPi_or_BTT-Pico_Din_Mount.STEP"};

bool BuildOnce(benchmark::State& state, const fs::path& mold, const fs::path& cache) {
  moldview::ViewBuilder builder(mold.string(), cache);
  builder.Start();
  if (!builder.WaitUntilDone(std::chrono::minutes(5)) || builder.Status().state != moldview::ViewState::Ready) {
    state.SkipWithError((mold.filename().string() + ": " + builder.Status().why).c_str());
    return false;
  }
  return true;
}

void BM_View(benchmark::State& state, bool cached) {
  const fs::path mold = kSharedStep / kLargest[state.range(0)];
  if (!fs::exists(mold)) return state.SkipWithError(("no shared CAD assemblies at " + kSharedStep.string()).c_str());
  const fs::path cache = fs::temp_directory_path() / "moldbom-view-bench";
  fs::remove_all(cache);
  if (cached && !BuildOnce(state, mold, cache)) return;
  for (auto _ : state) {
    if (!cached) {
      state.PauseTiming();
      fs::remove_all(cache);
      state.ResumeTiming();
    }
    if (!BuildOnce(state, mold, cache)) break;
  }
  state.SetLabel(mold.filename().string());
  fs::remove_all(cache);
}

void BM_FirstView(benchmark::State& state) { BM_View(state, false); }
void BM_CachedStart(benchmark::State& state) { BM_View(state, true); }

BENCHMARK(BM_FirstView)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CachedStart)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
