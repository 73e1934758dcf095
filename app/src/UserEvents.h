// The one table of user events: journal replay, the page, the batch report and capture all act on
// the host through it, so a verb means the same words and the same refusals wherever it comes from.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Expected.h"
#include "UserActions.h"

namespace moldbom {

class HostSession;
class JournalCapture;
class JournalPresenter;

// An event as words, its verb first.
using EventWords = std::vector<std::string>;

// A file word names a file; the page names it inside its workspace.
enum class WordKind { Text, WholeNumber, Choice, File };
enum class WordCount { One, Optional, Any };

// One word an event takes. A choice is named by its words: "on|off".
struct EventWord {
  std::string_view name;
  WordKind kind = WordKind::Text;
  WordCount count = WordCount::One;
};

// Who sends an event: the page may send only what a person does; journals and batch runs also
// change settings and dump.
enum class Sender { Page, Journal };

// An event's outcome; a mold file that cannot be read is bad input rather than a refusal.
class [[nodiscard]] EventOutcome : public Outcome {
 public:
  EventOutcome() = default;
  EventOutcome(Outcome outcome) : Outcome(std::move(outcome)) {}
  static EventOutcome BadInput(std::string why) {
    EventOutcome outcome{Failure{std::move(why)}};
    outcome.badInput_ = true;
    return outcome;
  }
  bool IsBadInput() const { return badInput_; }

 private:
  bool badInput_ = false;
};

// What the handlers act on.
struct EventContext {
  HostSession& session;
  UserActions actions;
  // Journals only: where answer lines queue, where dumps go, the mold taken when none was named.
  JournalPresenter* answers = nullptr;
  std::ostream* shown = nullptr;
  std::string defaultMold;
  JournalCapture* capture = nullptr;
};

struct UserEventEntry {
  std::string_view verb;
  std::vector<EventWord> words;
  bool fromPage;  // whether the page may send it
  // Whether capture writes it; answers are written with the event that asked, and dumps change
  // nothing.
  bool recorded;
  // Runs on words already checked against `words`, the verb left out.
  EventOutcome (*handler)(EventContext& context, const EventWords& args);
};

const std::vector<UserEventEntry>& UserEventTable();

// The entry of the event, once its words are the ones it takes and the sender may send it.
Expected<const UserEventEntry*> CheckEvent(const EventWords& words, Sender sender);

// Positions of the words naming files in an event already checked, the verb at 0.
std::vector<std::size_t> FileWordPositions(const UserEventEntry& entry, const EventWords& words);

// "check ID on|off", "rows ID [ROW...]".
std::string Usage(const UserEventEntry& entry);

class UserEvents {
 public:
  explicit UserEvents(HostSession& session) : context_{session, UserActions(session), nullptr, nullptr, {}, nullptr} {}

  // Lets journals answer confirmations, dump and name a default mold.
  void ServeJournal(JournalPresenter& answers, std::ostream& shown, std::string defaultMold);
  // Every accepted event from now on is written there, after the answers it was given.
  void RecordTo(JournalCapture& capture) { context_.capture = &capture; }

  EventOutcome Perform(const EventWords& words, Sender sender = Sender::Journal);

 private:
  EventContext context_;
};

}  // namespace moldbom
