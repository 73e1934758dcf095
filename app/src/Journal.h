// Replaying a journal of user events through the session's one entry point for them.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "HostSession.h"
#include "JournalPresenter.h"
#include "UserEvents.h"

namespace moldbom {

inline constexpr int kExitRefusedEvent = 3;  // a refused event or a malformed journal line

class JournalReplay {
 public:
  // defaultMold: the mold loaded before the first event that needs one, unless a "mold" line
  // named another.
  JournalReplay(HostSession& session, JournalPresenter& presenter, std::ostream& out,
                std::string defaultMold);

  // Runs the journal's lines in order and stops at the first that fails, writing
  // "journal:LINE: why" to err. Returns the exit code: 0, 2 for a bad mold file, 3 for a refused
  // event or a malformed line.
  int Run(std::istream& journal, std::ostream& err);

  struct StepError {
    int exitCode;
    std::string why;
  };
  using Step = std::optional<StepError>;

 private:
  // One line's words, the verb first.
  Step Execute(const std::vector<std::string>& words);
  Step EnsureMold();
  Step Mold(const std::vector<std::string>& args);
  Step Setting(const std::string& verb, const std::vector<std::string>& args);
  Step Event(const std::string& verb, const std::vector<std::string>& args);
  Step WidgetEvent(const std::string& verb, const std::vector<std::string>& args);
  Step ListEvent(const std::string& verb, const std::vector<std::string>& args);
  Step FileEvent(const std::vector<std::string>& args);
  Step Dump(const std::vector<std::string>& args);

  HostSession& session_;
  JournalPresenter& presenter_;
  std::ostream& out_;
  std::string defaultMold_;
  UserEvents events_;
};

}  // namespace moldbom
