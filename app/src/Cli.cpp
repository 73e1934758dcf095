// The moldbom command line: parses the arguments and runs the chosen subcommand.
#include "Cli.h"

#include "DiffCommand.h"
#include "GenerateCommand.h"
#include "ReplayCommand.h"
#include "ReportCommand.h"
#include "ShowCommand.h"
#include "UiCommand.h"

#include <iostream>
#include <vector>

namespace moldbom {

int RunCli(int argc, char** argv) { return RunCli(argc, argv, CommandStreams{std::cout, std::cerr}); }

int RunCli(int argc, char** argv, const CommandStreams& streams) {
  CLI::App app{"moldbom: the Bill of Materials of a mold assembly, and the host it runs in", "moldbom"};
  app.set_version_flag("--version", "moldbom " MOLDBOM_VERSION);
  app.require_subcommand(1);
  const std::vector<Command> commands = {AddShowCommand(app), AddReplayCommand(app), AddReportCommand(app),
                                         AddDiffCommand(app), AddUiCommand(app), AddGenerateCommand(app)};
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help is a success; every other parse problem is a bad argument.
    return app.exit(error, streams.out, streams.err) == 0 ? kExitOk : kExitBadInput;
  }
  for (const Command& command : commands)
    if (command.app->parsed()) return command.run(streams);
  return kExitBadInput;
}

}  // namespace moldbom
