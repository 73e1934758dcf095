// `moldbom generate`: writes a synthetic mold assembly of a given size from a seed.
#pragma once

#include "Cli.h"

#include <cstdint>
#include <string>

namespace moldbom {

struct GenerateOptions {
  long instances = 0;
  std::uint64_t seed = 1;
  bool previousRevision = false;
  std::string outPath;  // empty: standard output
};

Command AddGenerateCommand(CLI::App& app);

int RunGenerate(const GenerateOptions& options, const CommandStreams& streams);

}  // namespace moldbom
