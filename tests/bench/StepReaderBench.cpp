// Benchmarks reading a CAD assembly: a synthetic 50 MB exchange file, mostly geometry as CAD
// systems write it, with a few hundred products in a two-level assembly.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "StepMold.h"

namespace {

std::string SyntheticStep(std::size_t bytes) {
  std::ostringstream step;
  step << "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('synthetic'),'2;1');\nFILE_NAME('synthetic.stp','',(''),(''),'','','');\n"
          "FILE_SCHEMA(('AUTOMOTIVE_DESIGN'));\nENDSEC;\nDATA;\n";
  constexpr int kProducts = 300;
  long entity = 1;
  const long context = entity++;
  step << "#" << context << "=PRODUCT_DEFINITION_CONTEXT('part definition',$,'design');\n";
  std::vector<long> definitions;
  for (int p = 0; p < kProducts; ++p) {
    const long product = entity++, formation = entity++, definition = entity++;
    step << "#" << product << "=PRODUCT('PART-" << p << "','Part \\X2\\00C4\\X0\\ " << p << "','',(#" << context << "));\n"
         << "#" << formation << "=PRODUCT_DEFINITION_FORMATION_WITH_SPECIFIED_SOURCE('','',#" << product << ",.BOUGHT.);\n"
         << "#" << definition << "=PRODUCT_DEFINITION('design','',#" << formation << ",#" << context << ");\n";
    definitions.push_back(definition);
  }
  for (int p = 1; p < kProducts; ++p)
    for (int k = 0; k < 3; ++k)
      step << "#" << entity++ << "=NEXT_ASSEMBLY_USAGE_OCCURRENCE('N','PART-" << p << ":" << k << "','',#"
           << definitions[p % 10 == 0 ? 0 : p - p % 10] << ",#" << definitions[p] << ",$);\n";
  while (static_cast<std::size_t>(step.tellp()) < bytes) {
    const long point = entity;
    entity += 3;
    step << "#" << point << "=CARTESIAN_POINT('',(" << point % 1000 << ".25," << -point % 77 << ".5,1.E-3));\n"
         << "#" << point + 1 << "=DIRECTION('',(0.,0.,1.));\n"
         << "#" << point + 2 << "=(B_SPLINE_CURVE(3,(#" << point << ",#" << point << "),.UNSPECIFIED.,.F.,.F.)"
         << "CURVE() GEOMETRIC_REPRESENTATION_ITEM() REPRESENTATION_ITEM('curve /* not a comment */'));\n"
         << "/* a comment between instances */\n";
  }
  step << "ENDSEC;\nEND-ISO-10303-21;\n";
  return step.str();
}

void BM_ReadStep50MB(benchmark::State& state) {
  const std::string text = SyntheticStep(50u << 20);
  for (auto _ : state) {
    auto read = qorhost::ReadStepMold(text, "synthetic");
    if (!std::holds_alternative<qorhost::MoldDescription>(read)) {
      state.SkipWithError(std::get<qorhost::StepError>(read).what.c_str());
      return;
    }
    benchmark::DoNotOptimize(read);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadStep50MB)->Unit(benchmark::kMillisecond);

}  // namespace
