// Checking the page's events and handing them to the user-event entry point.
#include "UiEvent.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>

#include "JournalSyntax.h"
#include "UserEvents.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

constexpr std::size_t kMaxWordLength = 4096;
constexpr std::size_t kMaxWords = 1024;

struct Arity {
  const char* verb;
  std::size_t min;
  std::size_t max;
};

// The verbs a person can perform; settings and dumps belong to journals only.
constexpr Arity kArities[] = {
    {"start", 1, 1}, {"select", 1, 1}, {"push", 1, 1},  {"hold", 1, 1},  {"check", 2, 2},  {"type", 2, 2},
    {"column", 2, 2}, {"rows", 1, kMaxWords}, {"cell", 4, 4}, {"combo", 2, 2}, {"file", 2, 3}, {"close", 0, 1},
};

const Arity* FindArity(const std::string& verb) {
  const auto it = std::find_if(std::begin(kArities), std::end(kArities), [&](const Arity& a) { return verb == a.verb; });
  return it == std::end(kArities) ? nullptr : it;
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

std::optional<int> WholeNumber(const std::string& word) {
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

Expected<std::string> Word(const Json& item) {
  if (item.is_number_integer()) {
    const auto value = item.get<long long>();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
      return Failure{"the number " + std::to_string(value) + " is out of range"};
    return std::to_string(value);
  }
  if (!item.is_string()) return Failure{"each word must be a text or a whole number"};
  std::string word = item.get<std::string>();
  if (word.size() > kMaxWordLength) return Failure{"a word is longer than " + std::to_string(kMaxWordLength) + " bytes"};
  if (std::any_of(word.begin(), word.end(), IsControl)) return Failure{"a word holds a control character"};
  return word;
}

Outcome CheckChoice(const std::string& word, std::initializer_list<const char*> choices) {
  for (const char* choice : choices)
    if (word == choice) return {};
  std::string listed;
  for (const char* choice : choices) listed += (listed.empty() ? "" : " or ") + std::string(choice);
  return Failure{"expected " + listed + ", not " + QuoteWord(word)};
}

Outcome CheckNumbers(const std::vector<std::string>& args, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && i < args.size(); ++i)
    if (!WholeNumber(args[i])) return Failure{"expected a whole number, not " + QuoteWord(args[i])};
  return {};
}

Outcome CheckWords(const UiEvent& event) {
  const std::vector<std::string>& a = event.args;
  const std::string& verb = event.verb;
  if (verb == "check") return CheckChoice(a[1], {"on", "off"});
  if (verb == "column") return CheckNumbers(a, 1, 2);
  if (verb == "rows") return CheckNumbers(a, 1, a.size());
  if (verb == "cell") return CheckNumbers(a, 1, 3);
  if (verb == "close" && !a.empty()) return CheckChoice(a[0], {"window", "dialog"});
  if (verb == "file") {
    if (Outcome answer = CheckChoice(a[1], {"ok", "cancel"}); !answer) return answer;
    if (a[1] == "cancel" && a.size() > 2) return Failure{"a cancelled box takes no path"};
    if (a[1] == "ok" && a.size() < 3) return Failure{"name the file to choose"};
  }
  return {};
}

int Number(const std::string& word) { return WholeNumber(word).value_or(0); }

}  // namespace

std::string UiEvent::JournalLine() const {
  std::string line = verb;
  for (const std::string& word : args) line += " " + JournalWord(word);
  return line;
}

Expected<UiEvent> ParseUiEvent(const std::string& body) {
  const Json json = Json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return Failure{"the request body is not JSON"};
  if (!json.is_object()) return Failure{"the request body must be a JSON object"};
  const auto verb = json.find("verb");
  if (verb == json.end() || !verb->is_string()) return Failure{"the event has no verb"};
  UiEvent event{verb->get<std::string>(), {}};
  const Arity* arity = FindArity(event.verb);
  if (!arity) return Failure{"unknown verb " + QuoteWord(event.verb.substr(0, 64))};
  if (const auto args = json.find("args"); args != json.end()) {
    if (!args->is_array()) return Failure{"args must be a list"};
    if (args->size() > kMaxWords) return Failure{"too many words"};
    for (const Json& item : *args) {
      Expected<std::string> word = Word(item);
      if (!word) return Failure{word.Why()};
      event.args.push_back(word.Value());
    }
  }
  if (event.args.size() < arity->min || event.args.size() > arity->max)
    return Failure{"wrong number of words for " + event.verb};
  if (Outcome words = CheckWords(event); !words) return Failure{words.Why()};
  return event;
}

Outcome DispatchUiEvent(UserEvents& events, const UiEvent& event) {
  const std::string& verb = event.verb;
  const std::vector<std::string>& a = event.args;
  if (verb == "start") return events.Start(a[0]);
  if (verb == "select") return events.Select(a[0]);
  if (verb == "push") return events.Push(a[0]);
  if (verb == "hold") return events.Hold(a[0]);
  if (verb == "check") return events.Check(a[0], a[1] == "on");
  if (verb == "type") return events.Type(a[0], a[1]);
  if (verb == "column") return events.Column(a[0], Number(a[1]));
  if (verb == "cell") return events.Cell(a[0], Number(a[1]), Number(a[2]), a[3]);
  if (verb == "combo") return events.Combo(a[0], a[1]);
  if (verb == "close")
    return events.Close(!a.empty() && a[0] == "dialog" ? CloseKind::Dialog : CloseKind::Window);
  if (verb == "rows") {
    std::vector<int> rows;
    std::transform(a.begin() + 1, a.end(), std::back_inserter(rows), Number);
    return events.Rows(a[0], rows);
  }
  if (verb == "file")
    return events.File(a[0], a[1] == "ok", a.size() > 2 ? std::optional<std::string>(a[2]) : std::nullopt);
  return Failure{"unknown verb " + QuoteWord(verb)};
}

}  // namespace moldbom
