// `moldbom replay JOURNAL [--mold FILE] [--capture JOURNAL]`.
#include "ReplayCommand.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "HostSession.h"
#include "JournalCapture.h"
#include "Journal.h"
#include "JournalPresenter.h"

namespace moldbom {

Command AddReplayCommand(CLI::App& app) {
  auto options = std::make_shared<ReplayOptions>();
  CLI::App* replay = app.add_subcommand("replay", "Replay a journal of user events on the BOM command");
  replay->add_option("JOURNAL", options->journalPath, "The journal: one user event a line")
      ->required()
      ->type_name("FILE");
  AddMoldOption(*replay, options->moldPath);
  replay->add_option("--capture", options->capturePath, "Write every accepted event again as a journal")
      ->type_name("JOURNAL");
  return Command{replay, [options](const CommandStreams& streams) { return RunReplay(*options, streams); }};
}

int RunReplay(const ReplayOptions& options, const CommandStreams& streams) {
  std::ifstream journal(options.journalPath, std::ios::binary);
  if (!journal) {
    streams.err << "moldbom replay: cannot read " << options.journalPath << ": " << std::strerror(errno)
                << "\n";
    return kExitBadInput;
  }
  if (Outcome loaded = HostSession::LoadModule(); !loaded) {
    streams.err << "moldbom replay: " << loaded.Why() << "\n";
    return kExitHostFailure;
  }
  JournalPresenter presenter(streams.out, streams.err);
  QORPresenterScope presenting(&presenter);
  const Expected<std::unique_ptr<JournalCapture>> capture =
      JournalCapture::OpenIfAsked(options.capturePath, "moldbom replay");
  if (!capture) {
    streams.err << "moldbom replay: " << capture.Why() << "\n";
    return kExitBadInput;
  }
  HostSession session;
  JournalReplay replay(session, presenter, streams.out, options.moldPath.value_or(kSampleMoldPath), capture.Value().get());
  const int exitCode = replay.Run(journal, streams.err);
  if (exitCode == kExitOk && presenter.HadFileProblem()) return kExitFileProblem;
  return exitCode;
}

}  // namespace moldbom
