// The table of user events, the checks every sender's words go through, and recording.
#include "UserEvents.h"

#include <algorithm>
#include <optional>

#include "Dump.h"
#include "HostSession.h"
#include "JournalCapture.h"
#include "JournalPresenter.h"
#include "JournalSyntax.h"
#include "QORSystemServices.h"

namespace moldbom {
namespace {

// Bounds on what one event may carry, so that no sender can make the host hold arbitrary amounts.
constexpr std::size_t kMaxWordLength = 4096;
constexpr std::size_t kMaxWords = 1024;

using Args = EventWords;

std::optional<QORRecord::Mode> RecorderMode(const std::string& word) {
  if (word == "off") return QORRecord::Mode::Off;
  if (word == "replay") return QORRecord::Mode::Replay;
  if (word == "capture") return QORRecord::Mode::Capture;
  return std::nullopt;
}

// The process environment cannot hold a variable whose name is empty or contains "=".
Outcome CheckVariableName(const std::string& name) {
  if (!name.empty() && name.find('=') == std::string::npos) return {};
  return Failure{"not a variable name: " + QuoteWord(name)};
}

// Checked words are numbers already.
int Number(const std::string& word) { return WholeNumber(word).value_or(0); }

EventOutcome LoadMold(EventContext& context, const std::string& path, const std::string& catalogPath = {}) {
  if (Outcome loaded = context.session.LoadMold(path, catalogPath); !loaded) return EventOutcome::BadInput(loaded.Why());
  return {};
}

// Journals may leave the mold unnamed: the first event that needs one loads the default, and a
// capture names it, so that its replay needs no default of its own.
EventOutcome EnsureMold(EventContext& context) {
  if (context.session.HasMold()) return {};
  if (context.defaultMold.empty()) return Outcome{Failure{"no mold is loaded"}};
  if (EventOutcome loaded = LoadMold(context, context.defaultMold); !loaded) return loaded;
  if (context.capture) context.capture->Record({"mold", context.defaultMold});
  return {};
}

EventOutcome Mold(EventContext& context, const Args& args) {
  if (context.session.WasCommandStarted())
    return Outcome{Failure{"the mold can only be chosen before the first start"}};
  return LoadMold(context, args[0], args.size() > 1 ? args[1] : std::string());
}

// Opening a mold replaces the one the running command works on; a file that cannot be read is bad
// input and changes nothing.
EventOutcome Open(EventContext& context, const Args& args) {
  if (!context.session.WasCommandStarted()) return Outcome{Failure{"no command was started yet"}};
  Outcome opened = context.actions.OpenMold(args[0], args.size() > 1 ? args[1] : std::string());
  if (!opened && !opened.Error().file.empty()) return EventOutcome::BadInput(opened.Why());
  return opened;
}

EventOutcome StartAgain(EventContext& context, const Args&) { return context.actions.StartAgain(); }

EventOutcome Env(EventContext&, const Args& args) {
  if (Outcome name = CheckVariableName(args[0]); !name) return name;
  QORSetEnvValue(args[0].c_str(), args[1].c_str());
  return {};
}

EventOutcome Unenv(EventContext&, const Args& args) {
  if (Outcome name = CheckVariableName(args[0]); !name) return name;
  QORUnsetEnvValue(args[0].c_str());
  return {};
}

EventOutcome Recorder(EventContext& context, const Args& args) {
  context.session.SetRecorderMode(RecorderMode(args[0]).value_or(QORRecord::Mode::Off));
  return {};
}

EventOutcome DocChooser(EventContext& context, const Args& args) {
  context.session.SetDocChooserAvailable(args[0] == "on");
  return {};
}

EventOutcome Answer(EventContext& context, const Args& args) {
  if (!context.answers) return Outcome{Failure{"only a journal queues answers"}};
  context.answers->QueueAnswer(args[0] == "yes");
  return {};
}

EventOutcome Start(EventContext& context, const Args& args) {
  if (EventOutcome mold = EnsureMold(context); !mold) return mold;
  return context.actions.Start(args[0]);
}

EventOutcome Select(EventContext& context, const Args& args) {
  if (EventOutcome mold = EnsureMold(context); !mold) return mold;
  return context.actions.Select(args[0]);
}

EventOutcome Push(EventContext& context, const Args& args) { return context.actions.Push(args[0]); }

EventOutcome Hold(EventContext& context, const Args& args) { return context.actions.Hold(args[0]); }

EventOutcome Check(EventContext& context, const Args& args) {
  return context.actions.Check(args[0], args[1] == "on");
}

EventOutcome Type(EventContext& context, const Args& args) { return context.actions.Type(args[0], args[1]); }

EventOutcome Column(EventContext& context, const Args& args) {
  return context.actions.Column(args[0], Number(args[1]));
}

EventOutcome Rows(EventContext& context, const Args& args) {
  std::vector<int> rows;
  std::transform(args.begin() + 1, args.end(), std::back_inserter(rows), Number);
  return context.actions.Rows(args[0], rows);
}

EventOutcome Cell(EventContext& context, const Args& args) {
  return context.actions.Cell(args[0], Number(args[1]), Number(args[2]), args[3]);
}

EventOutcome Combo(EventContext& context, const Args& args) { return context.actions.Combo(args[0], args[1]); }

EventOutcome File(EventContext& context, const Args& args) {
  const bool ok = args[1] == "ok";
  if (!ok && args.size() > 2) return Outcome{Failure{"a cancelled box takes no path"}};
  const std::optional<std::string> path = args.size() > 2 ? std::optional<std::string>(args[2]) : std::nullopt;
  return context.actions.File(args[0], ok, path);
}

EventOutcome Close(EventContext& context, const Args& args) {
  const bool dialog = !args.empty() && args[0] == "dialog";
  return context.actions.Close(dialog ? CloseKind::Dialog : CloseKind::Window);
}

EventOutcome DumpEvent(EventContext& context, const Args& args) {
  if (!context.shown) return Outcome{Failure{"only a journal dumps"}};
  if (args.empty()) {
    DumpSession(*context.shown);
    return {};
  }
  return DumpWidget(*context.shown, args[0]);
}

constexpr WordKind kNumber = WordKind::WholeNumber;
constexpr WordKind kChoice = WordKind::Choice;
constexpr WordKind kText = WordKind::Text;
constexpr WordKind kFile = WordKind::File;
constexpr bool kPage = true;
constexpr bool kJournalOnly = false;
constexpr bool kRecorded = true;

const std::vector<UserEventEntry> kTable = {
    {"mold", {{"FILE", kFile}, {"CATALOG", kFile, WordCount::Optional}}, kJournalOnly, kRecorded, Mold},
    {"env", {{"NAME"}, {"VALUE"}}, kJournalOnly, kRecorded, Env},
    {"unenv", {{"NAME"}}, kJournalOnly, kRecorded, Unenv},
    {"recorder", {{"off|replay|capture", kChoice}}, kJournalOnly, kRecorded, Recorder},
    {"doc-chooser", {{"on|off", kChoice}}, kJournalOnly, kRecorded, DocChooser},
    {"answer", {{"yes|no", kChoice}}, kJournalOnly, !kRecorded, Answer},
    {"start", {{"CLASSNAME"}}, kPage, kRecorded, Start},
    {"select", {{"PATH"}}, kPage, kRecorded, Select},
    {"push", {{"ID"}}, kPage, kRecorded, Push},
    {"hold", {{"ID"}}, kPage, kRecorded, Hold},
    {"check", {{"ID"}, {"on|off", kChoice}}, kPage, kRecorded, Check},
    {"type", {{"ID"}, {"TEXT"}}, kPage, kRecorded, Type},
    {"column", {{"ID"}, {"POSITION", kNumber}}, kPage, kRecorded, Column},
    {"rows", {{"ID"}, {"ROW", kNumber, WordCount::Any}}, kPage, kRecorded, Rows},
    {"cell", {{"ID"}, {"ROW", kNumber}, {"POSITION", kNumber}, {"TEXT"}}, kPage, kRecorded, Cell},
    {"combo", {{"ID"}, {"TEXT"}}, kPage, kRecorded, Combo},
    {"file", {{"NAME"}, {"ok|cancel", kChoice}, {"PATH", kFile, WordCount::Optional}}, kPage, kRecorded, File},
    {"close", {{"window|dialog", kChoice, WordCount::Optional}}, kPage, kRecorded, Close},
    {"open", {{"FILE", kFile}, {"CATALOG", kFile, WordCount::Optional}}, kPage, kRecorded, Open},
    {"start-again", {}, kPage, kRecorded, StartAgain},
    {"dump", {{"ID", kText, WordCount::Optional}}, kJournalOnly, !kRecorded, DumpEvent},
};

const UserEventEntry* FindEntry(std::string_view verb) {
  const auto it =
      std::find_if(kTable.begin(), kTable.end(), [&](const UserEventEntry& entry) { return entry.verb == verb; });
  return it == kTable.end() ? nullptr : &*it;
}

bool FitsCount(const UserEventEntry& entry, std::size_t count) {
  std::size_t least = 0;
  std::size_t most = 0;
  for (const EventWord& word : entry.words) {
    least += word.count == WordCount::One ? 1 : 0;
    most += word.count == WordCount::Any ? kMaxWords : 1;
  }
  return count >= least && count <= most;
}

std::vector<std::string_view> Choices(std::string_view name) {
  std::vector<std::string_view> choices;
  for (std::size_t bar; (bar = name.find('|')) != std::string_view::npos; name.remove_prefix(bar + 1))
    choices.push_back(name.substr(0, bar));
  choices.push_back(name);
  return choices;
}

// "expected off, replay or capture, not "loud"".
Outcome CheckChoice(std::string_view name, const std::string& word) {
  const std::vector<std::string_view> choices = Choices(name);
  if (std::find(choices.begin(), choices.end(), word) != choices.end()) return {};
  std::string listed;
  for (std::size_t i = 0; i < choices.size(); ++i)
    listed += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + std::string(choices[i]);
  return Failure{"expected " + listed + ", not " + QuoteWord(word)};
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

Outcome CheckWord(const EventWord& shape, const std::string& word) {
  if (word.size() > kMaxWordLength) return Failure{"a word is longer than " + std::to_string(kMaxWordLength) + " bytes"};
  // A capture writes each event as one line.
  if (std::any_of(word.begin(), word.end(), IsControl)) return Failure{"a word holds a control character"};
  if (shape.kind == WordKind::Choice) return CheckChoice(shape.name, word);
  if (shape.kind == WordKind::WholeNumber && !WholeNumber(word))
    return Failure{std::string(shape.name) + " must be a whole number, not " + QuoteWord(word)};
  return {};
}

// Words fill the table's words in order; optional words come last, and so does a repeated one.
const EventWord& ShapeOf(const UserEventEntry& entry, std::size_t index) {
  return entry.words[std::min(index, entry.words.size() - 1)];
}

}  // namespace

const std::vector<UserEventEntry>& UserEventTable() { return kTable; }

std::string Usage(const UserEventEntry& entry) {
  std::string usage(entry.verb);
  for (const EventWord& word : entry.words) {
    const std::string name(word.name);
    usage += " " + (word.count == WordCount::One        ? name
                    : word.count == WordCount::Optional ? "[" + name + "]"
                                                        : "[" + name + "...]");
  }
  return usage;
}

Expected<const UserEventEntry*> CheckEvent(const EventWords& words, Sender sender) {
  if (words.empty()) return Failure{"the event has no verb"};
  const UserEventEntry* entry = FindEntry(words.front());
  if (!entry) return Failure{"unknown verb " + QuoteWord(words.front().substr(0, 64))};
  if (sender == Sender::Page && !entry->fromPage)
    return Failure{"the page cannot send " + QuoteWord(entry->verb) + ": journals only"};
  const std::size_t count = words.size() - 1;
  if (!FitsCount(*entry, count)) return Failure{"wrong number of words; usage: " + Usage(*entry)};
  for (std::size_t i = 0; i < count; ++i)
    if (Outcome word = CheckWord(ShapeOf(*entry, i), words[i + 1]); !word) return Failure{word.Why()};
  return entry;
}

std::vector<std::size_t> FileWordPositions(const UserEventEntry& entry, const EventWords& words) {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i + 1 < words.size(); ++i)
    if (ShapeOf(entry, i).kind == WordKind::File) positions.push_back(i + 1);
  return positions;
}

void UserEvents::ServeJournal(JournalPresenter& answers, std::ostream& shown, std::string defaultMold) {
  context_.answers = &answers;
  context_.shown = &shown;
  context_.defaultMold = std::move(defaultMold);
}

EventOutcome UserEvents::Perform(const EventWords& words, Sender sender) {
  const Expected<const UserEventEntry*> entry = CheckEvent(words, sender);
  if (!entry) return Outcome{Failure{entry.Why()}};
  if (context_.capture) context_.capture->ForgetAnswers();
  EventOutcome outcome = entry.Value()->handler(context_, EventWords(words.begin() + 1, words.end()));
  if (outcome && entry.Value()->recorded && context_.capture) context_.capture->Record(words);
  return outcome;
}

}  // namespace moldbom
