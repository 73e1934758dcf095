// `moldbom ui`: the BOM command in the browser, served on 127.0.0.1.
#pragma once

#include <optional>
#include <string>

#include "Cli.h"

namespace moldbom {

struct UiOptions {
  std::optional<std::string> moldPath;
  std::string catalogPath;
  std::string workspace = ".";
  int port = 0;
  std::optional<std::string> capturePath;
};

Command AddUiCommand(CLI::App& app);

// Serves until SIGINT or SIGTERM; returns the exit code.
int RunUi(const UiOptions& options, const CommandStreams& streams);

}  // namespace moldbom
