// Events as the page posts them: what is a well-formed user event, and its journal line.
#include "UiEvent.h"

#include <gtest/gtest.h>

#include "JournalSyntax.h"

namespace moldbom {
namespace {

struct ParseCase {
  const char* body;
  const char* journalLine;  // null: refused with why
  const char* why;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.body; }

class ParsedEvents : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParsedEvents, BecomeJournalLinesOrAreRefused) {
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
    Bodies, ParsedEvents,
    ::testing::Values(
        ParseCase{R"({"verb":"push","args":["PushAnalyze"]})", "push PushAnalyze", nullptr},
        ParseCase{R"({"verb":"type","args":["ReportName","my profile \"v2\""]})", R"(type ReportName "my profile \"v2\"")", nullptr},
        ParseCase{R"({"verb":"type","args":["EditName",""]})", R"(type EditName "")", nullptr},
        ParseCase{R"({"verb":"cell","args":["ListBOM",3,"9","12.5"]})", "cell ListBOM 3 9 12.5", nullptr},
        ParseCase{R"({"verb":"rows","args":["ListBOM"]})", "rows ListBOM", nullptr},
        ParseCase{R"({"verb":"rows","args":["ListBOM","1","4"]})", "rows ListBOM 1 4", nullptr},
        ParseCase{R"({"verb":"close"})", "close", nullptr},
        ParseCase{R"({"verb":"close","args":["dialog"]})", "close dialog", nullptr},
        ParseCase{R"({"verb":"file","args":["SaveBom","cancel"]})", "file SaveBom cancel", nullptr},
        ParseCase{R"({"verb":"select","args":["TM-2417/SliderUnit.1"]})", "select TM-2417/SliderUnit.1", nullptr},
        ParseCase{R"({"verb":"check","args":["RadioLetter","on"]})", "check RadioLetter on", nullptr},
        ParseCase{"not json", nullptr, "not JSON"},
        ParseCase{"[1,2]", nullptr, "JSON object"},
        ParseCase{R"({"args":[]})", nullptr, "no verb"},
        ParseCase{R"({"verb":"dump"})", nullptr, "unknown verb"},
        ParseCase{R"({"verb":"env","args":["A","B"]})", nullptr, "unknown verb"},
        ParseCase{R"({"verb":"answer","args":["yes"]})", nullptr, "unknown verb"},
        ParseCase{R"({"verb":"push"})", nullptr, "wrong number of words"},
        ParseCase{R"({"verb":"push","args":["A","B"]})", nullptr, "wrong number of words"},
        ParseCase{R"({"verb":"push","args":"PushAdd"})", nullptr, "must be a list"},
        ParseCase{R"({"verb":"push","args":[{"id":1}]})", nullptr, "text or a whole number"},
        ParseCase{R"({"verb":"push","args":[1.5]})", nullptr, "text or a whole number"},
        ParseCase{R"({"verb":"column","args":["ListBOM","two"]})", nullptr, "whole number"},
        ParseCase{R"({"verb":"column","args":["ListBOM",99999999999]})", nullptr, "out of range"},
        ParseCase{R"({"verb":"rows","args":["ListBOM","1","x"]})", nullptr, "whole number"},
        ParseCase{R"({"verb":"check","args":["CheckSort","maybe"]})", nullptr, "expected on or off"},
        ParseCase{R"({"verb":"close","args":["door"]})", nullptr, "expected window or dialog"},
        ParseCase{R"({"verb":"file","args":["SaveBom","cancel","x.csv"]})", nullptr, "takes no path"},
        ParseCase{R"({"verb":"file","args":["SaveBom","ok"]})", nullptr, "name the file"},
        ParseCase{R"({"verb":"type","args":["ReportName","two\nlines"]})", nullptr, "control character"}));

TEST(UiEventLimits, RefusesOversizedWords) {
  const std::string word(5000, 'x');
  EXPECT_FALSE(ParseUiEvent(R"({"verb":"type","args":["EditName",")" + word + R"("]})"));
  std::string many = R"({"verb":"rows","args":["ListBOM")";
  for (int i = 0; i < 2000; ++i) many += ",1";
  EXPECT_FALSE(ParseUiEvent(many + "]}"));
}

TEST(UiEventLines, ReadBackAsTheSameWords) {
  const Expected<UiEvent> event = ParseUiEvent(R"({"verb":"type","args":["ReportName","C:\\dir\\a b.bom"]})");
  ASSERT_TRUE(event);
  const Expected<std::vector<std::string>> words = SplitJournalWords(event.Value().JournalLine());
  ASSERT_TRUE(words) << words.Why();
  EXPECT_EQ(words.Value(), (std::vector<std::string>{"type", "ReportName", "C:\\dir\\a b.bom"}));
}

}  // namespace
}  // namespace moldbom
