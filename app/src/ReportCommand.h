// `moldbom report`: the batch form of the main job, done through the dialog as a user would.
#pragma once

#include <optional>
#include <string>

#include "Cli.h"

namespace moldbom {

struct ReportOptions {
  std::optional<std::string> moldPath;
  std::string catalogPath;
  std::optional<std::string> profilePath;
  std::optional<std::string> referencePath;
  std::optional<std::string> csvPath;
  std::optional<std::string> xlsxPath;  // the CSV goes beside it, with the extension .csv, unless named
  bool letters = false;
  std::optional<int> start;
  std::optional<int> increment;
  bool keep = false;
  bool sort = false;
  bool yes = false;  // answers the dialog's confirmations with yes
  std::optional<std::string> capturePath;
};

Command AddReportCommand(CLI::App& app);

// Starts the command, names the profiles, sets numbering and sorting, picks the mold's root,
// saves the CSV report and closes (which writes the profile); then makes the spreadsheet from the
// table as the CSV was saved from it. Prints the table and its total to streams.out and every
// message of the dialog to streams.err.
int RunReport(const ReportOptions& options, const CommandStreams& streams);

}  // namespace moldbom
