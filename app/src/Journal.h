// Replaying a journal of user events through the table of user events.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "HostSession.h"
#include "JournalPresenter.h"
#include "UserEvents.h"

namespace moldbom {

inline constexpr int kExitRefusedEvent = 3;  // a refused event or a malformed journal line

class JournalReplay {
 public:
  // defaultMold: the mold loaded before the first event that needs one, unless a "mold" line
  // named another. With a capture, every accepted line is written there again.
  JournalReplay(HostSession& session, JournalPresenter& presenter, std::ostream& out, std::string defaultMold,
                JournalCapture* capture = nullptr);

  // Runs the journal's lines in order and stops at the first that fails, writing
  // "journal:LINE: why" to err. Returns the exit code: 0, 2 for a bad mold file, 3 for a refused
  // event or a malformed line.
  int Run(std::istream& journal, std::ostream& err);

 private:
  std::ostream& out_;
  UserEvents events_;
};

}  // namespace moldbom
