// The progress line of `moldbom report` on a terminal.
#include "TerminalProgress.h"

#include <unistd.h>

#include <iostream>
#include <ostream>
#include <string>

namespace moldbom {

bool IsTerminalStderr(const std::ostream& out) { return &out == &std::cerr && ::isatty(STDERR_FILENO) == 1; }

std::string ProgressText(const QORProgress& progress) {
  const char* unit = progress.phase == "analysis" ? " instances" : " lines";
  std::string text = progress.phase + ": " + std::to_string(progress.done);
  if (progress.total < 0) return text + unit;
  text += " of " + std::to_string(progress.total) + unit;
  if (progress.total > 0) text += " (" + std::to_string(progress.done * 100 / progress.total) + "%)";
  return text;
}

TerminalProgress::TerminalProgress(std::ostream& out, bool shown) : out_(out), shown_(shown) {
  if (shown_) previous_ = QORSetProgressListener([this](const QORProgress& progress) { Draw(progress); });
}

TerminalProgress::~TerminalProgress() {
  if (!shown_) return;
  QORSetProgressListener(std::move(previous_));
  if (drawnWidth_ > 0) out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
}

void TerminalProgress::Draw(const QORProgress& progress) {
  const bool ended = progress.total >= 0 && progress.done >= progress.total;
  // An ended phase leaves a clean line for whatever the command prints next.
  const std::string text = ended ? std::string() : ProgressText(progress);
  out_ << '\r' << text;
  if (text.size() < drawnWidth_) out_ << std::string(drawnWidth_ - text.size(), ' ') << '\r' << text;
  out_ << std::flush;
  drawnWidth_ = text.size();
}

}  // namespace moldbom
