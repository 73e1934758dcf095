// A user event as the page posts it: a journal verb and its words, checked before it reaches the
// host, then handed to the one user-event entry point.
#pragma once

#include <string>
#include <vector>

#include "Expected.h"

namespace moldbom {

class UserEvents;

struct UiEvent {
  std::string verb;
  std::vector<std::string> args;

  // The event as one journal line, which `moldbom replay` reads back as the same event.
  std::string JournalLine() const;
  bool IsFileAnswerWithPath() const { return verb == "file" && args.size() == 3; }
};

// Parses {"verb": "push", "args": ["PushAnalyze"]}. Refuses what is not a well-formed user event:
// unknown verbs, the wrong number of words, numbers that are not whole, control characters.
// Integers may come as JSON numbers or as text.
[[nodiscard]] Expected<UiEvent> ParseUiEvent(const std::string& body);

// Runs a parsed event through the entry point: the same refusals as a replayed journal.
[[nodiscard]] Outcome DispatchUiEvent(UserEvents& events, const UiEvent& event);

}  // namespace moldbom
