// Benchmarks of the BOM command on synthetic molds of 1k, 10k and 100k instances: loading the mold
// file, selection to the priced table, keep mode against the previous revision's profile, the
// profile written and read back, and the CSV report. After the runs, each family's fitted
// exponent of time against size is printed (1 is linear).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "HostSession.h"
#include "MoldGenerator.h"
#include "QORMoldComponents.h"
#include "UserEvents.h"

namespace {

namespace fs = std::filesystem;

// A mold of `instances` unique made parts, one BOM line each (a ninth of them outside the BOM):
// the profile and the CSV are measured by lines.
std::string UniquePartsMold(int instances) {
  std::ostringstream json;
  json << R"({"format": "moldbom-assembly", "version": 1, "root": "mold", "products": {)";
  for (int i = 0; i < instances; ++i)
    json << R"("m)" << i << R"(": {"partNumber": "MADE-)" << i << R"(", "properties": {"bom": )"
         << (i % 9 != 0 ? "true" : "false") << R"(, "source": "made"}, "parameters": [)"
         << R"({"name": "UnitPrice", "type": "real", "value": )" << 100 + i % 50 << "}]},";
  json << R"("mold": {"partNumber": "SYN-MOLD", "instances": [)";
  for (int i = 0; i < instances; ++i) json << (i ? "," : "") << R"({"name": "Made.)" << i << R"(", "of": "m)" << i << R"("})";
  json << "]}}}";
  return json.str();
}

// The generator's realistic mix, its previous revision, or unique parts.
enum class Mold { Current, Previous, UniqueParts };

fs::path Folder() {
  static const fs::path folder = [] {
    const fs::path path = fs::temp_directory_path() / ("moldbom-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

// The instance path of each written mold's root, which the user picks.
std::map<fs::path, std::string>& Roots() {
  static std::map<fs::path, std::string> roots;
  return roots;
}

fs::path MoldFile(int instances, Mold kind = Mold::Current) {
  const char* const names[] = {"mold-", "previous-", "unique-"};
  const fs::path path = Folder() / (names[static_cast<int>(kind)] + std::to_string(instances) + ".json");
  if (Roots().contains(path)) return path;
  if (kind == Mold::UniqueParts) {
    std::ofstream(path) << UniquePartsMold(instances);
    Roots()[path] = "SYN-MOLD";
    return path;
  }
  moldbom::MoldGeneratorOptions options;
  options.instances = instances;
  options.previousRevision = kind == Mold::Previous;
  const moldbom::GeneratedMold mold = moldbom::GenerateMold(options);
  std::ofstream(path) << moldbom::MoldJsonText(mold);
  Roots()[path] = mold.products.front().partNumber;
  return path;
}

void PeakMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A session on one mold, with the module loaded; each step fails the benchmark when refused.
class Bench {
 public:
  Bench(benchmark::State& state, const fs::path& mold) : state_(state), events_(session_), root_(Roots()[mold]) {
    if (!moldbom::HostSession::LoadModule()) {
      state.SkipWithError("the module library does not load");
      ok_ = false;
    } else if (!session_.LoadMold(mold.string())) {
      state.SkipWithError("the synthetic mold does not load");
      ok_ = false;
    }
  }
  bool Do(const moldbom::EventWords& words) {
    if (!ok_) return false;
    if (!events_.Perform(words)) {
      state_.SkipWithError(("refused: " + words.front()).c_str());
      ok_ = false;
    }
    return ok_;
  }
  bool Ok() const { return ok_; }
  bool SelectRoot() { return Do({"select", root_}); }
  // Times the pick alone (the caller paused the clock); the command is closed off the clock.
  bool TimedPickThenClose(benchmark::State& state) {
    state.ResumeTiming();
    const bool picked = SelectRoot();
    state.PauseTiming();
    Do({"close", "window"});
    state.ResumeTiming();
    return picked;
  }

 private:
  benchmark::State& state_;
  moldbom::HostSession session_;
  moldbom::UserEvents events_;
  std::string root_;
  bool ok_ = true;
};

void BM_LoadMold(benchmark::State& state) {
  const fs::path mold = MoldFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto session = std::make_unique<moldbom::HostSession>();
    if (!session->LoadMold(mold.string())) state.SkipWithError("the synthetic mold does not load");
    state.PauseTiming();
    session.reset();
    state.ResumeTiming();
  }
  PeakMemory(state);
}

// From the user's pick of the root to the filled, priced table.
void BM_SelectToPricedTable(benchmark::State& state) {
  Bench bench(state, MoldFile(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    state.PauseTiming();
    if (!bench.Do({"start", "QORMldBOMCom"}) || !bench.TimedPickThenClose(state)) break;
  }
  PeakMemory(state);
}

// The profile of the previous revision, as a run on it writes it.
fs::path PreviousProfile(int instances) {
  const fs::path path = Folder() / ("previous-" + std::to_string(instances) + ".bom");
  if (fs::exists(path)) return path;
  moldbom::HostSession session;
  moldbom::UserEvents events(session);
  const fs::path mold = MoldFile(instances, Mold::Previous);
  if (!moldbom::HostSession::LoadModule() || !session.LoadMold(mold.string())) return {};
  // An empty profile is named without a question and written at close.
  std::ofstream(path).flush();
  for (const moldbom::EventWords& words : std::vector<moldbom::EventWords>{
           {"start", "QORMldBOMCom"}, {"type", "ReportName", path.string()}, {"select", Roots()[mold]}, {"close", "window"}})
    if (auto done = events.Perform(words); !done) {
      std::fprintf(stderr, "%s: %s\n", words.front().c_str(), done.Why().c_str());
      return {};
    }
  return path;
}

void BM_KeepMode(benchmark::State& state) {
  const int instances = static_cast<int>(state.range(0));
  const fs::path previous = PreviousProfile(instances);
  if (previous.empty() || !fs::exists(previous)) {
    state.SkipWithError("the previous revision's profile was not written");
    return;
  }
  Bench bench(state, MoldFile(instances));
  const fs::path working = Folder() / "keep.bom";
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(previous, working, fs::copy_options::overwrite_existing);
    if (!bench.Do({"start", "QORMldBOMCom"}) || !bench.Do({"type", "ReportName", working.string()}) ||
        !bench.Do({"check", "RadioKeep", "on"}) || !bench.TimedPickThenClose(state))
      break;
  }
  PeakMemory(state);
}

// Closing writes the profile; naming it in the next command reads it back. One line per instance.
void BM_ProfileWriteRead(benchmark::State& state) {
  const int instances = static_cast<int>(state.range(0));
  Bench bench(state, MoldFile(instances, Mold::UniqueParts));
  const fs::path profile = Folder() / "written.bom";
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(profile).flush();
    if (!bench.Do({"start", "QORMldBOMCom"}) || !bench.Do({"type", "ReportName", profile.string()}) || !bench.SelectRoot())
      break;
    state.ResumeTiming();
    if (!bench.Do({"close", "window"}) || !bench.Do({"start", "QORMldBOMCom"}) ||
        !bench.Do({"type", "ReportName", profile.string()}))
      break;
    state.PauseTiming();
    bench.Do({"close", "window"});
    state.ResumeTiming();
  }
  PeakMemory(state);
}

// One line per instance.
void BM_CsvReport(benchmark::State& state) {
  Bench bench(state, MoldFile(static_cast<int>(state.range(0)), Mold::UniqueParts));
  const fs::path csv = Folder() / "report.csv";
  if (!bench.Do({"start", "QORMldBOMCom"}) || !bench.SelectRoot()) return;
  for (auto _ : state) {
    if (!bench.Do({"push", "PushAnalyze"}) || !bench.Do({"file", "SaveBom", "ok", csv.string()})) break;
  }
  bench.Do({"close", "window"});
  PeakMemory(state);
}

#define MOLDBOM_SIZES Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)
BENCHMARK(BM_LoadMold)->MOLDBOM_SIZES;
BENCHMARK(BM_SelectToPricedTable)->MOLDBOM_SIZES;
BENCHMARK(BM_KeepMode)->MOLDBOM_SIZES;
BENCHMARK(BM_ProfileWriteRead)->MOLDBOM_SIZES;
BENCHMARK(BM_CsvReport)->MOLDBOM_SIZES;

// The console report, and each family's times kept for the fitted exponent.
class ExponentReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      const std::size_t slash = name.find('/');
      if (slash == std::string::npos) continue;
      const double size = std::stod(name.substr(slash + 1));
      times_[name.substr(0, slash)].push_back({std::log(size), std::log(run.GetAdjustedRealTime())});
    }
  }
  // Least squares slope of log(time) against log(size).
  void PrintExponents() const {
    for (const auto& [family, points] : times_) {
      if (points.size() < 2) continue;
      double mx = 0, my = 0;
      for (const auto& [x, y] : points) mx += x, my += y;
      mx /= static_cast<double>(points.size());
      my /= static_cast<double>(points.size());
      double sxy = 0, sxx = 0;
      for (const auto& [x, y] : points) sxy += (x - mx) * (y - my), sxx += (x - mx) * (x - mx);
      std::printf("%-28s fitted exponent %.2f\n", family.c_str(), sxx > 0 ? sxy / sxx : 0.0);
    }
  }

 private:
  std::map<std::string, std::vector<std::pair<double, double>>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ExponentReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintExponents();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return 0;
}
