// Benchmarks the analysis of a mold, from the user's selection of its root to the priced table,
// on synthetic molds generated here.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "HostSession.h"
#include "QORMoldComponents.h"
#include "UserEvents.h"

namespace {

const char* const kComponentTypes[] = {"LeaderPin", "Bushing", "EjectorPin", "CapScrew", "Spring",
                                       "SupportPillar", "StopPin", "Plug", "DowelPin", "EjectorSleeve"};

// A flat mold of `instances` component instances over instances / 8 products: plates, standard
// components (half of them sharing a reference with a neighbour) and plain parts, each priced.
std::string SyntheticMold(int instances) {
  const int products = instances / 8 < 4 ? 4 : instances / 8;
  std::ostringstream json;
  json << R"({"format": "moldbom-assembly", "version": 1, "root": "mold", "products": {)";
  json << R"("mold": {"partNumber": "SYN-MOLD", "instances": [)";
  for (int i = 0; i < instances; ++i)
    json << (i ? "," : "") << R"({"name": "I)" << i << R"(", "of": "p)" << i % products << R"("})";
  json << "]}";
  for (int p = 0; p < products; ++p) {
    json << R"(, "p)" << p << R"(": {"partNumber": "PN-)" << p << R"(", "properties": {"bom": true, )"
         << R"("supplier": "Supplier )" << p % 7 << R"(", "source": "bought")";
    if (p % 4 != 3) json << R"(, "reference": "REF-)" << p / 2 << R"(")";
    json << R"(}, "userProperties": [{"name": "Material", "type": "string", "value": "Steel )" << p % 5
         << R"("}], "parameters": [{"name": "UnitPrice", "type": "real", "value": )" << 1 + p % 40 << "}]";
    if (p % 10 == 0)
      json << R"(, "plate": true)";
    else if (p % 4 != 3)
      json << R"(, "component": ")" << kComponentTypes[p % 10] << R"(")";
    json << "}";
  }
  json << "}}";
  return json.str();
}

void BM_AnalyseMold(benchmark::State& state) {
  const int instances = static_cast<int>(state.range(0));
  const auto path = std::filesystem::temp_directory_path() / ("moldbom-bench-" + std::to_string(instances) + ".json");
  std::ofstream(path) << SyntheticMold(instances);

  if (!moldbom::HostSession::LoadModule()) {
    state.SkipWithError("the module library does not load");
    return;
  }
  moldbom::HostSession session;
  if (!session.LoadMold(path.string())) {
    state.SkipWithError("the synthetic mold does not load");
    return;
  }
  moldbom::UserEvents events(session);
  for (auto _ : state) {
    state.PauseTiming();
    if (!events.Perform({"start", "QORMldBOMCom"})) {
      state.SkipWithError("the command does not start");
      return;
    }
    state.ResumeTiming();
    if (!events.Perform({"select", "SYN-MOLD"})) state.SkipWithError("the root cannot be selected");
    state.PauseTiming();
    (void)events.Perform({"close", "window"});
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * instances);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::filesystem::remove(path);
}
BENCHMARK(BM_AnalyseMold)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
