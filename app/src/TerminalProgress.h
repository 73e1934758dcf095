// A progress line on a terminal for long batch work, overwritten in place and cleared when each
// phase ends, so that nothing of it stays in the output.
#pragma once

#include <iosfwd>
#include <string>

#include "QORProgress.h"

namespace moldbom {

// True when out is the process's standard error and that is a terminal: journals, pipes and
// tests see no progress line.
bool IsTerminalStderr(const std::ostream& out);

// The text of one report, such as "analysis: 1200 of 5000 instances (24%)".
std::string ProgressText(const QORProgress& progress);

// While it lives and shown is true, the host's progress reports are drawn on out.
class TerminalProgress {
 public:
  TerminalProgress(std::ostream& out, bool shown);
  ~TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // What the listener does with each report: the line redrawn, or cleared once the phase ended.
  void Draw(const QORProgress& progress);

 private:
  std::ostream& out_;
  bool shown_;
  std::size_t drawnWidth_ = 0;
  QORProgressListener previous_;
};

}  // namespace moldbom
