// Events as the page posts them: the page and journals accept the same words for every verb the
// page may send, the page sends nothing else, and what only JSON can get wrong.
#include "UiEvent.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "JournalSyntax.h"
#include "UserEvents.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

std::string Body(const EventWords& words) {
  return Json{{"verb", words.front()}, {"args", EventWords(words.begin() + 1, words.end())}}.dump();
}

bool JournalAccepts(const EventWords& words) {
  const Expected<std::vector<std::string>> read = SplitJournalWords(JournalLine(words));
  return read && CheckEvent(read.Value(), Sender::Journal);
}

// Words a sender might put where the table expects a word of that kind, good and bad; the last is
// good.
std::vector<std::string> Samples(const EventWord& word) {
  std::vector<std::string> samples = {"", "two words", "tab\there", "1.5", "+2", "-1", "x"};
  if (word.kind == WordKind::WholeNumber) samples.push_back("3");
  if (word.kind == WordKind::Choice)
    for (std::string_view rest = word.name; !rest.empty();) {
      const std::size_t bar = rest.find('|');
      samples.emplace_back(rest.substr(0, bar));
      rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    }
  return samples;
}

// A well-formed event of the entry, then every variant with one word replaced, one word fewer and
// one word more.
std::vector<EventWords> Variants(const UserEventEntry& entry) {
  EventWords valid{std::string(entry.verb)};
  for (const EventWord& word : entry.words) valid.push_back(Samples(word).back());
  std::vector<EventWords> variants{valid};
  for (std::size_t i = 0; i < entry.words.size(); ++i)
    for (const std::string& sample : Samples(entry.words[i])) {
      EventWords changed = valid;
      changed[i + 1] = sample;
      variants.push_back(changed);
    }
  variants.emplace_back(valid.begin(), valid.end() - (valid.size() > 1 ? 1 : 0));
  variants.push_back(valid);
  variants.back().push_back("3");
  return variants;
}

TEST(UserEventTable, PageAndJournalsAcceptTheSameWords) {
  for (const UserEventEntry& entry : UserEventTable()) {
    if (!entry.fromPage) continue;
    for (const EventWords& words : Variants(entry)) {
      const Expected<UiEvent> page = ParseUiEvent(Body(words));
      EXPECT_EQ(static_cast<bool>(page), JournalAccepts(words)) << JournalLine(words);
      if (page) {
        EXPECT_EQ(page.Value().JournalLine(), JournalLine(words));
      }
    }
  }
}

TEST(UserEventTable, ThePageCannotSendJournalOnlyVerbs) {
  std::vector<std::string_view> refused;
  for (const UserEventEntry& entry : UserEventTable()) {
    if (entry.fromPage) continue;
    const EventWords words = Variants(entry).front();
    EXPECT_TRUE(JournalAccepts(words)) << JournalLine(words);
    EXPECT_FALSE(ParseUiEvent(Body(words))) << JournalLine(words);
    refused.push_back(entry.verb);
  }
  EXPECT_EQ(refused, (std::vector<std::string_view>{"mold", "env", "unenv", "recorder", "doc-chooser", "answer", "dump"}));
}

struct BodyCase {
  const char* body;
  const char* journalLine;  // null: refused with why
  const char* why;
};

void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.body; }

class ParsedBodies : public ::testing::TestWithParam<BodyCase> {};

TEST_P(ParsedBodies, BecomeJournalLinesOrAreRefused) {
  const Expected<UiEvent> event = ParseUiEvent(GetParam().body);
  if (GetParam().journalLine) {
    ASSERT_TRUE(event) << event.Why();
    EXPECT_EQ(event.Value().JournalLine(), GetParam().journalLine);
    return;
  }
  ASSERT_FALSE(event) << event.Value().JournalLine();
  EXPECT_NE(event.Why().find(GetParam().why), std::string::npos) << event.Why();
}

INSTANTIATE_TEST_SUITE_P(
    Json, ParsedBodies,
    ::testing::Values(
        BodyCase{R"({"verb":"cell","args":["ListBOM",3,"9","12.5"]})", "cell ListBOM 3 9 12.5", nullptr},
        BodyCase{R"({"verb":"close"})", "close", nullptr},
        BodyCase{R"({"verb":"type","args":["ReportName","C:\\dir\\a b.bom"]})", R"(type ReportName "C:\\dir\\a b.bom")", nullptr},
        BodyCase{"not json", nullptr, "not JSON"},
        BodyCase{"[1,2]", nullptr, "JSON object"},
        BodyCase{R"({"args":[]})", nullptr, "no verb"},
        BodyCase{R"({"verb":"dump"})", nullptr, "journals only"},
        BodyCase{R"({"verb":"push","args":"PushAdd"})", nullptr, "must be a list"},
        BodyCase{R"({"verb":"push","args":[{"id":1}]})", nullptr, "text or a whole number"},
        BodyCase{R"({"verb":"push","args":[1.5]})", nullptr, "text or a whole number"},
        BodyCase{R"({"verb":"column","args":["ListBOM",99999999999]})", nullptr, "out of range"},
        BodyCase{R"({"verb":"type","args":["ReportName","two\nlines"]})", nullptr, "control character"}));

TEST(UiEventLimits, RefusesOversizedWords) {
  const std::string word(5000, 'x');
  EXPECT_FALSE(ParseUiEvent(R"({"verb":"type","args":["EditName",")" + word + R"("]})"));
  std::string many = R"({"verb":"rows","args":["ListBOM")";
  for (int i = 0; i < 2000; ++i) many += ",1";
  EXPECT_FALSE(ParseUiEvent(many + "]}"));
}

}  // namespace
}  // namespace moldbom
