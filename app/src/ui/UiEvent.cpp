// The page's events as words of the table of user events.
#include "UiEvent.h"

#include <nlohmann/json.hpp>

#include <limits>

#include "JournalSyntax.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

// Keeps a huge body from becoming a huge list before the table refuses it.
constexpr std::size_t kMaxItems = 4096;

Expected<std::string> Word(const Json& item) {
  if (item.is_number_integer()) {
    const auto value = item.get<long long>();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
      return Failure{"the number " + std::to_string(value) + " is out of range"};
    return std::to_string(value);
  }
  if (!item.is_string()) return Failure{"each word must be a text or a whole number"};
  return item.get<std::string>();
}

}  // namespace

EventWords UiEvent::Words() const {
  EventWords words{verb};
  words.insert(words.end(), args.begin(), args.end());
  return words;
}

std::string UiEvent::JournalLine() const { return moldbom::JournalLine(Words()); }

Expected<UiEvent> ParseUiEvent(const std::string& body) {
  const Json json = Json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return Failure{"the request body is not JSON"};
  if (!json.is_object()) return Failure{"the request body must be a JSON object"};
  const auto verb = json.find("verb");
  if (verb == json.end() || !verb->is_string()) return Failure{"the event has no verb"};
  UiEvent event{verb->get<std::string>(), {}};
  if (const auto args = json.find("args"); args != json.end()) {
    if (!args->is_array()) return Failure{"args must be a list"};
    if (args->size() > kMaxItems) return Failure{"too many words"};
    for (const Json& item : *args) {
      Expected<std::string> word = Word(item);
      if (!word) return Failure{word.Why()};
      event.args.push_back(std::move(word).Value());
    }
  }
  if (Expected<const UserEventEntry*> checked = CheckEvent(event.Words(), Sender::Page); !checked)
    return Failure{checked.Why()};
  return event;
}

Outcome DispatchUiEvent(UserEvents& events, const UiEvent& event) { return events.Perform(event.Words(), Sender::Page); }

}  // namespace moldbom
