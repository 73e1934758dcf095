// Progress of long work (analysis, profile read and write, CSV report), measured by the host from
// the calls the module makes: the module itself reports nothing.
#pragma once

#include <functional>
#include <string>

#include "QORBase.h"

// One report: phase is "analysis" (instances visited), "profile-read", "profile-write" (lines) or
// "report" (CSV lines written). A phase ends with done equal to total; total is -1 while unknown.
struct QORProgress {
  std::string phase;
  long done = 0;
  long total = -1;
};

// Called on the thread that made the measured call, at the start and end of every phase and in
// between at most every 1/100 of the total (every 1000 units while the total is unknown).
using QORProgressListener = std::function<void(const QORProgress&)>;

// Installs the one listener (an empty function removes it); returns the previous one.
QOR_EXPORT QORProgressListener QORSetProgressListener(QORProgressListener listener);
