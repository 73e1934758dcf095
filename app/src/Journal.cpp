// The journal verbs: host settings, user events and dumps, one line at a time.
#include "Journal.h"

#include <charconv>

#include "Cli.h"
#include "Dump.h"
#include "JournalSyntax.h"
#include "QORSystemServices.h"

namespace moldbom {
namespace {

using Step = JournalReplay::Step;
using StepError = JournalReplay::StepError;
using Args = std::vector<std::string>;

Step Refused(std::string why) { return StepError{kExitRefusedEvent, std::move(why)}; }

Step FromOutcome(const Outcome& outcome) {
  if (outcome) return std::nullopt;
  return Refused(outcome.Why());
}

// The usage line of each verb, which also says how many words it takes.
struct Usage {
  const char* verb;
  std::size_t minArgs;
  std::size_t maxArgs;  // SIZE_MAX: any number
  const char* words;
};

constexpr std::size_t kAny = static_cast<std::size_t>(-1);

constexpr Usage kUsages[] = {
    {"mold", 1, 2, "mold FILE [CATALOG]"},
    {"env", 2, 2, "env NAME VALUE"},
    {"unenv", 1, 1, "unenv NAME"},
    {"recorder", 1, 1, "recorder off|replay|capture"},
    {"doc-chooser", 1, 1, "doc-chooser on|off"},
    {"answer", 1, 1, "answer yes|no"},
    {"start", 1, 1, "start CLASSNAME"},
    {"select", 1, 1, "select PATH"},
    {"push", 1, 1, "push ID"},
    {"hold", 1, 1, "hold ID"},
    {"check", 2, 2, "check ID on|off"},
    {"type", 2, 2, "type ID TEXT"},
    {"column", 2, 2, "column ID POSITION"},
    {"rows", 1, kAny, "rows ID [ROW...]"},
    {"cell", 4, 4, "cell ID ROW POSITION TEXT"},
    {"combo", 2, 2, "combo ID TEXT"},
    {"file", 2, 3, "file NAME ok [PATH] | file NAME cancel"},
    {"close", 0, 1, "close [window|dialog]"},
    {"dump", 0, 1, "dump [ID]"},
};

const Usage* FindUsage(const std::string& verb) {
  for (const Usage& usage : kUsages)
    if (verb == usage.verb) return &usage;
  return nullptr;
}

Step CheckArity(const Usage& usage, const Args& args) {
  if (args.size() >= usage.minArgs && args.size() <= usage.maxArgs) return std::nullopt;
  return Refused(std::string("wrong number of words; usage: ") + usage.words);
}

// A word that must be one of two: the first means true.
Expected<bool> Choice(const std::string& word, const char* yes, const char* no) {
  if (word == yes) return true;
  if (word == no) return false;
  return Failure{"expected " + std::string(yes) + " or " + no + ", not " + QuoteWord(word)};
}

Expected<QORRecord::Mode> RecorderMode(const std::string& word) {
  if (word == "off") return QORRecord::Mode::Off;
  if (word == "replay") return QORRecord::Mode::Replay;
  if (word == "capture") return QORRecord::Mode::Capture;
  return Failure{"expected off, replay or capture, not " + QuoteWord(word)};
}

// The process environment cannot hold a variable whose name is empty or contains "=".
Outcome CheckVariableName(const std::string& name) {
  if (!name.empty() && name.find('=') == std::string::npos) return {};
  return Failure{"not a variable name: " + QuoteWord(name)};
}

Expected<int> Integer(const std::string& word, const char* what) {
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || error != std::errc() || end != word.data() + word.size())
    return Failure{std::string(what) + " must be a whole number, not " + QuoteWord(word)};
  return value;
}

}  // namespace

JournalReplay::JournalReplay(HostSession& session, JournalPresenter& presenter, std::ostream& out,
                             std::string defaultMold)
    : session_(session),
      presenter_(presenter),
      out_(out),
      defaultMold_(std::move(defaultMold)),
      events_(session) {}

int JournalReplay::Run(std::istream& journal, std::ostream& err) {
  std::string line;
  for (int number = 1; std::getline(journal, line); ++number) {
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (IsSkippedJournalLine(line)) continue;
    Expected<std::vector<std::string>> words = SplitJournalWords(line);
    Step failed = words ? Execute(words.Value()) : Refused(words.Why());
    out_.flush();
    if (failed) {
      err << "journal:" << number << ": " << failed->why << "\n";
      return failed->exitCode;
    }
  }
  return 0;
}

Step JournalReplay::Execute(const std::vector<std::string>& words) {
  if (words.empty()) return std::nullopt;
  const std::string& verb = words.front();
  const Usage* usage = FindUsage(verb);
  if (!usage) return Refused("unknown verb " + QuoteWord(verb));
  const Args args(words.begin() + 1, words.end());
  if (Step arity = CheckArity(*usage, args)) return arity;
  if (verb == "mold") return Mold(args);
  if (verb == "dump") return Dump(args);
  if (verb == "env" || verb == "unenv" || verb == "recorder" || verb == "doc-chooser" || verb == "answer")
    return Setting(verb, args);
  return Event(verb, args);
}

Step JournalReplay::EnsureMold() {
  if (session_.HasMold()) return std::nullopt;
  if (Outcome loaded = session_.LoadMold(defaultMold_); !loaded)
    return StepError{kExitBadInput, loaded.Why()};
  return std::nullopt;
}

Step JournalReplay::Mold(const Args& args) {
  if (session_.WasCommandStarted()) return Refused("the mold can only be chosen before the first start");
  if (Outcome loaded = session_.LoadMold(args[0], args.size() > 1 ? args[1] : std::string()); !loaded) return StepError{kExitBadInput, loaded.Why()};
  return std::nullopt;
}

Step JournalReplay::Setting(const std::string& verb, const Args& args) {
  if (verb == "env" || verb == "unenv")
    if (Outcome name = CheckVariableName(args[0]); !name) return Refused(name.Why());
  if (verb == "env") {
    QORSetEnvValue(args[0].c_str(), args[1].c_str());
    return std::nullopt;
  }
  if (verb == "unenv") {
    QORUnsetEnvValue(args[0].c_str());
    return std::nullopt;
  }
  if (verb == "recorder") {
    const Expected<QORRecord::Mode> mode = RecorderMode(args[0]);
    if (!mode) return Refused(mode.Why());
    session_.SetRecorderMode(mode.Value());
    return std::nullopt;
  }
  const Expected<bool> choice =
      verb == "answer" ? Choice(args[0], "yes", "no") : Choice(args[0], "on", "off");
  if (!choice) return Refused(choice.Why());
  if (verb == "answer")
    presenter_.QueueAnswer(choice.Value());
  else
    session_.SetDocChooserAvailable(choice.Value());
  return std::nullopt;
}

Step JournalReplay::Event(const std::string& verb, const Args& args) {
  if (verb == "start") {
    if (Step mold = EnsureMold()) return mold;
    return FromOutcome(events_.Start(args[0]));
  }
  if (verb == "select") {
    if (Step mold = EnsureMold()) return mold;
    return FromOutcome(events_.Select(args[0]));
  }
  if (verb == "file") return FileEvent(args);
  if (verb == "close") {
    if (args.empty()) return FromOutcome(events_.Close(CloseKind::Window));
    const Expected<bool> window = Choice(args[0], "window", "dialog");
    if (!window) return Refused(window.Why());
    return FromOutcome(events_.Close(window.Value() ? CloseKind::Window : CloseKind::Dialog));
  }
  if (verb == "column" || verb == "rows" || verb == "cell") return ListEvent(verb, args);
  return WidgetEvent(verb, args);
}

Step JournalReplay::WidgetEvent(const std::string& verb, const Args& args) {
  const std::string& id = args[0];
  if (verb == "push") return FromOutcome(events_.Push(id));
  if (verb == "hold") return FromOutcome(events_.Hold(id));
  if (verb == "type") return FromOutcome(events_.Type(id, args[1]));
  if (verb == "combo") return FromOutcome(events_.Combo(id, args[1]));
  const Expected<bool> on = Choice(args[1], "on", "off");
  if (!on) return Refused(on.Why());
  return FromOutcome(events_.Check(id, on.Value()));
}

Step JournalReplay::ListEvent(const std::string& verb, const Args& args) {
  const std::string& id = args[0];
  if (verb == "column") {
    const Expected<int> position = Integer(args[1], "the position");
    if (!position) return Refused(position.Why());
    return FromOutcome(events_.Column(id, position.Value()));
  }
  if (verb == "rows") {
    std::vector<int> rows;
    for (std::size_t i = 1; i < args.size(); ++i) {
      const Expected<int> row = Integer(args[i], "a row");
      if (!row) return Refused(row.Why());
      rows.push_back(row.Value());
    }
    return FromOutcome(events_.Rows(id, rows));
  }
  const Expected<int> row = Integer(args[1], "the row");
  if (!row) return Refused(row.Why());
  const Expected<int> position = Integer(args[2], "the position");
  if (!position) return Refused(position.Why());
  return FromOutcome(events_.Cell(id, row.Value(), position.Value(), args[3]));
}

Step JournalReplay::FileEvent(const Args& args) {
  const Expected<bool> ok = Choice(args[1], "ok", "cancel");
  if (!ok) return Refused(ok.Why());
  if (!ok.Value() && args.size() > 2)
    return Refused("a cancelled box takes no path; usage: file NAME cancel");
  const std::optional<std::string> path =
      args.size() > 2 ? std::optional<std::string>(args[2]) : std::nullopt;
  return FromOutcome(events_.File(args[0], ok.Value(), path));
}

Step JournalReplay::Dump(const Args& args) {
  if (args.empty()) {
    DumpSession(out_);
    return std::nullopt;
  }
  return FromOutcome(DumpWidget(out_, args[0]));
}

}  // namespace moldbom
