// `moldbom show`: prints the product tree of a mold assembly.
#pragma once

#include "Cli.h"
#include "HostSession.h"

#include <string>

namespace moldbom {

struct ShowOptions {
  std::string moldPath = kSampleMoldPath;
  std::string catalogPath;
};

Command AddShowCommand(CLI::App& app);

// Loads the mold and prints one line per instance, indented by level, with its properties,
// user properties and parameters below it. A bad file gives its error and kExitBadInput.
int RunShow(const ShowOptions& options, const CommandStreams& streams);

}  // namespace moldbom
