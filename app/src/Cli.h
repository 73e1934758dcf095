// The moldbom command line: one CLI11 subcommand per driver, each in a file of its own.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>

namespace moldbom {

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 2;  // a bad input file or bad arguments
// A file was not read or written as asked (held by another run, too large, not saved), for
// failures the dialog's own messages do not cover; told on standard error.
inline constexpr int kExitFileProblem = 4;

// Where a command writes what it shows and what went wrong.
struct CommandStreams {
  std::ostream& out;
  std::ostream& err;
};

// A subcommand as registered on the application: it runs once the command line parsed and
// returns the process's exit code.
struct Command {
  CLI::App* app = nullptr;
  std::function<int(const CommandStreams&)> run;
};

// The --mold option of every command that works on a mold.
template <class Path>
void AddMoldOption(CLI::App& command, Path& moldPath) {
  command.add_option("--mold", moldPath, "The mold assembly file (default: the bundled sample)")->type_name("FILE");
}

inline void AddCatalogOption(CLI::App& command, std::string& catalogPath) {
  command.add_option("--catalog", catalogPath, "Parts catalogue (CSV) filling what the mold file does not say")
      ->type_name("FILE");
}

int RunCli(int argc, char** argv);
int RunCli(int argc, char** argv, const CommandStreams& streams);

}  // namespace moldbom
