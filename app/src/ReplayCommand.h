// `moldbom replay`: drives the host with a journal of user events, as a user would.
#pragma once

#include <optional>
#include <string>

#include "Cli.h"

namespace moldbom {

struct ReplayOptions {
  std::string journalPath;
  std::optional<std::string> moldPath;
  std::optional<std::string> capturePath;
};

Command AddReplayCommand(CLI::App& app);

// What the host shows goes to streams.out, refusals to streams.err; returns the exit code.
int RunReplay(const ReplayOptions& options, const CommandStreams& streams);

}  // namespace moldbom
