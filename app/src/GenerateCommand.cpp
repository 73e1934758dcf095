// `moldbom generate`: the mold generator on the command line, for benchmarks and browser checks.
#include "GenerateCommand.h"

#include "MoldGenerator.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>

namespace moldbom {

Command AddGenerateCommand(CLI::App& app) {
  auto options = std::make_shared<GenerateOptions>();
  CLI::App* generate = app.add_subcommand("generate", "Write a synthetic mold assembly of N instances");
  generate->add_option("N", options->instances, "Instances below the root, sub-assemblies' included")
      ->required()
      ->check(CLI::PositiveNumber);
  generate->add_option("--seed", options->seed, "The same seed gives the same file (default 1)")->type_name("S");
  generate->add_flag("--revision", options->previousRevision,
                     "The previous revision of the same mold: some instances dropped, renamed or added");
  generate->add_option("--out", options->outPath, "Write the mold there instead of standard output")->type_name("FILE");
  return Command{generate, [options](const CommandStreams& streams) { return RunGenerate(*options, streams); }};
}

int RunGenerate(const GenerateOptions& options, const CommandStreams& streams) {
  const std::string text =
      MoldJsonText(GenerateMold({.instances = options.instances, .seed = options.seed, .previousRevision = options.previousRevision}));
  if (options.outPath.empty()) {
    streams.out << text;
    return kExitOk;
  }
  std::ofstream out(options.outPath, std::ios::binary | std::ios::trunc);
  if (out) out << text;
  if (out) out.close();
  if (!out) {
    streams.err << "moldbom: " << options.outPath << " was not written: " << std::strerror(errno) << '\n';
    return kExitFileProblem;
  }
  return kExitOk;
}

}  // namespace moldbom
