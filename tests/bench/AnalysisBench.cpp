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
#include "QORMoldComponents.h"
#include "UserEvents.h"

namespace {

namespace fs = std::filesystem;

const char* const kComponentTypes[] = {"LeaderPin", "Bushing", "EjectorPin", "CapScrew", "Spring",
                                       "SupportPillar", "StopPin", "Plug", "DowelPin", "EjectorSleeve"};

// Deterministic, so that every run measures the same molds.
struct Lcg {
  uint64_t state;
  double Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  }
};

// A mold of about `instances` occurrences: standard components with many instances of few parts
// (two in three with a REFERENCE, a tenth of them plates), unique made parts (some outside the
// BOM, some unpriced) and a sub-assembly of pins. The previous revision drops, renames and adds
// instances of the same parts. A mold of unique parts has one line per instance.
enum class Mold { Mixed, Revised, UniqueParts };

std::string SyntheticMold(int instances, Mold kind) {
  const bool revised = kind == Mold::Revised;
  const int standard = instances / 40 < 4 ? 4 : instances / 40;
  Lcg random{1};
  Lcg revision{7};
  std::ostringstream json;
  json << R"({"format": "moldbom-assembly", "version": 1, "root": "mold", "products": {)";
  for (int p = 0; p < standard; ++p) {
    json << R"("s)" << p << R"(": {"partNumber": "STD-)" << p << R"(", "properties": {"bom": true, )"
         << R"("supplier": "Supplier )" << p % 7 << R"(", "source": "bought")";
    if (p % 3 != 2) json << R"(, "reference": "REF-)" << p / 2 << R"(")";
    json << R"(}, "userProperties": [{"name": "Material", "type": "string", "value": "Steel )" << p % 5
         << R"("}], "parameters": [{"name": "UnitPrice", "type": "real", "value": )" << 1 + p % 40 << "}]";
    if (p % 10 == 0)
      json << R"(, "plate": true)";
    else
      json << R"(, "component": ")" << kComponentTypes[p % 10] << R"(")";
    json << "},";
  }
  json << R"("sub": {"partNumber": "SUB-1", "instances": [)";
  for (int k = 0; k < 8; ++k) json << (k ? "," : "") << R"({"name": "SubPin.)" << k << R"(", "of": "s)" << k % standard << R"("})";
  json << "]},";

  std::ostringstream children;
  int made = 0;
  int count = 0;
  auto child = [&](const std::string& name, const std::string& of) {
    children << (count++ ? "," : "") << R"({"name": ")" << name << R"(", "of": ")" << of << R"("})";
  };
  for (int i = 0; count < instances; ++i) {
    const double draw = random.Next();
    std::string name;
    std::string of;
    if (kind == Mold::UniqueParts || draw < 0.1) {
      json << R"("m)" << made << R"(": {"partNumber": "MADE-)" << made << R"(", "properties": {"bom": )"
           << (made % 9 != 0 ? "true" : "false") << R"(, "source": "made"}, "parameters": [)";
      if (made % 5 != 0) json << R"({"name": "UnitPrice", "type": "real", "value": )" << 100 + made % 50 << "}";
      json << "]},";
      name = "Made." + std::to_string(made);
      of = "m" + std::to_string(made++);
    } else if (draw < 0.11) {
      name = "Sub." + std::to_string(i);
      of = "sub";
    } else {
      name = "C." + std::to_string(i);
      of = "s" + std::to_string(static_cast<int>(random.Next() * standard));
    }
    const double change = revision.Next();
    if (!revised) {
      child(name, of);
    } else if (change >= 0.05) {
      child(change < 0.07 ? name + "r" : name, of);
      if (change > 0.97) child("New." + std::to_string(i), of);
    }
  }
  json << R"("mold": {"partNumber": "SYN-MOLD", "instances": [)" << children.str() << "]}}}";
  return json.str();
}

fs::path Folder() {
  static const fs::path folder = [] {
    const fs::path path = fs::temp_directory_path() / ("moldbom-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

fs::path MoldFile(int instances, Mold kind = Mold::Mixed) {
  const char* const names[] = {"mold-", "revised-", "unique-"};
  const fs::path path = Folder() / (names[static_cast<int>(kind)] + std::to_string(instances) + ".json");
  if (!fs::exists(path)) std::ofstream(path) << SyntheticMold(instances, kind);
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
  Bench(benchmark::State& state, const fs::path& mold) : state_(state), events_(session_) {
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

 private:
  benchmark::State& state_;
  moldbom::HostSession session_;
  moldbom::UserEvents events_;
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
    if (!bench.Do({"start", "QORMldBOMCom"})) break;
    state.ResumeTiming();
    if (!bench.Do({"select", "SYN-MOLD"})) break;
    state.PauseTiming();
    bench.Do({"close", "window"});
    state.ResumeTiming();
  }
  PeakMemory(state);
}

// The profile of the previous revision, as a first run writes it.
fs::path PreviousProfile(int instances) {
  const fs::path path = Folder() / ("previous-" + std::to_string(instances) + ".bom");
  if (fs::exists(path)) return path;
  moldbom::HostSession session;
  moldbom::UserEvents events(session);
  if (!moldbom::HostSession::LoadModule() || !session.LoadMold(MoldFile(instances).string())) return {};
  // An empty profile is named without a question and written at close.
  std::ofstream(path).flush();
  for (const moldbom::EventWords& words : std::vector<moldbom::EventWords>{
           {"start", "QORMldBOMCom"}, {"type", "ReportName", path.string()}, {"select", "SYN-MOLD"}, {"close", "window"}})
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
  Bench bench(state, MoldFile(instances, Mold::Revised));
  const fs::path working = Folder() / "keep.bom";
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(previous, working, fs::copy_options::overwrite_existing);
    if (!bench.Do({"start", "QORMldBOMCom"}) || !bench.Do({"type", "ReportName", working.string()}) ||
        !bench.Do({"check", "RadioKeep", "on"}))
      break;
    state.ResumeTiming();
    if (!bench.Do({"select", "SYN-MOLD"})) break;
    state.PauseTiming();
    bench.Do({"close", "window"});
    state.ResumeTiming();
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
    if (!bench.Do({"start", "QORMldBOMCom"}) || !bench.Do({"type", "ReportName", profile.string()}) || !bench.Do({"select", "SYN-MOLD"}))
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
  if (!bench.Do({"start", "QORMldBOMCom"}) || !bench.Do({"select", "SYN-MOLD"})) return;
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
