// moldbom: the command-line entry point; each subcommand is a thin driver over the host session.
#include "Cli.h"

int main(int argc, char** argv) { return moldbom::RunCli(argc, argv); }
