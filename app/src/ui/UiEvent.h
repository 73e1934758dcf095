// A user event as the page posts it: JSON turned into the words of the table of user events,
// checked there as a journal line is.
#pragma once

#include <string>
#include <vector>

#include "Expected.h"
#include "UserEvents.h"

namespace moldbom {

struct UiEvent {
  std::string verb;
  std::vector<std::string> args;

  EventWords Words() const;
  // The event as one journal line, which `moldbom replay` reads back as the same event.
  std::string JournalLine() const;
  bool IsFileAnswerWithoutPath() const { return verb == "file" && args.size() == 2 && args[1] == "ok"; }
};

// Parses {"verb": "push", "args": ["PushAnalyze"]}. Refuses what is not a user event the page may
// send, with the words a journal line takes. Integers may come as JSON numbers or as text.
[[nodiscard]] Expected<UiEvent> ParseUiEvent(const std::string& body);

// Runs a parsed event through the table: the same refusals as a replayed journal.
[[nodiscard]] Outcome DispatchUiEvent(UserEvents& events, const UiEvent& event);

}  // namespace moldbom
