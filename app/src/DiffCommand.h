// `moldbom diff`: what changed between two CSV reports of a mold, and what it costs.
#pragma once

#include <string>

#include "Cli.h"

namespace moldbom {

// Exit code when the reports differ, as `diff` gives it.
inline constexpr int kExitDiffers = 1;

struct DiffOptions {
  std::string oldPath;
  std::string newPath;
  bool csv = false;  // a semicolon-separated table instead of the aligned one
};

Command AddDiffCommand(CLI::App& app);

// Prints the changed lines and the total delta to streams.out; kExitOk when nothing changed,
// kExitDiffers when something did, kExitBadInput (with the file and line on streams.err) when a
// report cannot be read.
int RunDiff(const DiffOptions& options, const CommandStreams& streams);

}  // namespace moldbom
