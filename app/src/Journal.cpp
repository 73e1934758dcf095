// Journal lines, one at a time, through the table of user events.
#include "Journal.h"

#include "Cli.h"
#include "JournalSyntax.h"
#include "NumberCheck.h"

namespace moldbom {

JournalReplay::JournalReplay(HostSession& session, JournalPresenter& presenter, std::ostream& out,
                             std::string defaultMold, JournalCapture* capture)
    : out_(out), events_(session) {
  events_.ServeJournal(presenter, out, std::move(defaultMold));
  if (capture) events_.RecordTo(*capture);
}

int JournalReplay::Run(std::istream& journal, std::ostream& err) {
  std::string line;
  for (int number = 1; std::getline(journal, line); ++number) {
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (IsSkippedJournalLine(line)) continue;
    const Expected<std::vector<std::string>> words = SplitJournalWords(line);
    const EventOutcome outcome = words ? events_.Perform(words.Value()) : EventOutcome(Failure{words.Why()});
    out_.flush();
    if (!outcome) {
      err << "journal:" << number << ": " << outcome.Why() << "\n";
      return outcome.IsBadInput() ? kExitBadInput : kExitRefusedEvent;
    }
    if (!words.Value().empty() && words.Value().front() == "select")
      if (std::optional<std::string> repeated = RepeatedNumbersOfCommand()) out_ << "notice " << *repeated << "\n";
  }
  return 0;
}

}  // namespace moldbom
