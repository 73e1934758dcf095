// Tests of the host's tokenizer, login name and clock, on the real environment.
#include "QORSystemServices.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct TokenCase { const char* text; const char* separators; std::vector<std::string> tokens; };

class TokenizerTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenizerTest, YieldsTheRunsBetweenSeparators) {
  const TokenCase& c = GetParam();
  QORToken tokenizer(c.text);
  std::vector<std::string> got;
  for (QORUnicodeString t; !(t = tokenizer.GetNextToken(c.separators)).IsEmpty();)
    got.push_back(t.Utf8());
  EXPECT_EQ(got, c.tokens);
  EXPECT_TRUE(tokenizer.GetNextToken(c.separators).IsEmpty()) << "an exhausted tokenizer stays so";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TokenizerTest,
    ::testing::Values(TokenCase{"a;b;c;", ";", {"a", "b", "c"}},
                      TokenCase{";;a;;;b;;", ";", {"a", "b"}}, TokenCase{"", ";", {}},
                      TokenCase{";;;", ";", {}}, TokenCase{"abc", "", {"abc"}},
                      TokenCase{"HEADER;\r\n\r\nDATA;\r\n", "\r\n", {"HEADER;", "DATA;"}},
                      TokenCase{" ; x ;", ";", {" ", " x "}},
                      // e-acute and e-grave share their first byte: only whole characters split.
                      TokenCase{"a\xC3\xA9z", "\xC3\xA8", {"a\xC3\xA9z"}},
                      TokenCase{"a\xE2\x82\xAC-", "\xE2\x82\xAC", {"a", "-"}},
                      TokenCase{"\xC3\xA9;\xE2\x82\xAC;;x", ";", {"\xC3\xA9", "\xE2\x82\xAC", "x"}},
                      TokenCase{"a;b\xE2\x82\xAC\xC3\xA9" "c", ";\xE2\x82\xAC", {"a", "b", "\xC3\xA9" "c"}}));

TEST(EnvironmentTest, LoginNameComesFromTheSessionAndMustFit) {
  char buffer[259];
  QORSetEnvValue("USER", "moldmaker");
  ASSERT_EQ(QORGetLoginName(buffer, sizeof buffer), S_OK);
  EXPECT_STREQ(buffer, "moldmaker");
  EXPECT_NE(QORGetLoginName(buffer, 9), S_OK) << "no room for the terminator";
  EXPECT_STREQ(buffer, "");
  QORUnsetEnvValue("USER");
  QORUnsetEnvValue("LOGNAME");
  ASSERT_EQ(QORGetLoginName(buffer, sizeof buffer), S_OK) << "the password entry remains";
  EXPECT_STRNE(buffer, "");
}

TEST(TimeTest, SourceDateEpochFixesNowInTheLocalZone) {
  QORSetEnvValue("TZ", "UTC");
  ::tzset();
  const std::vector<std::tuple<const char*, const char*, const char*>> cases = {
      {"0", "%Y-%m-%d %H:%M:%S", "1970-01-01 00:00:00"},
      {"1700000000", "%c", "Tue Nov 14 22:13:20 2023"},
  };
  for (const auto& [epoch, format, expected] : cases) {
    QORSetEnvValue("SOURCE_DATE_EPOCH", epoch);
    EXPECT_EQ(QORTime().ConvertToString(format, 0).Utf8(), expected) << epoch << " " << format;
  }
  for (const char* notANumber : {"soon", "12abc", "-5", ""}) {
    QORSetEnvValue("SOURCE_DATE_EPOCH", notANumber);
    const std::time_t before = std::time(nullptr);
    EXPECT_GE(QORTime().Instant(), before) << notANumber << " means now";
  }
  QORUnsetEnvValue("SOURCE_DATE_EPOCH");
  QORSetEnvValue("TZ", "CET-1");
  ::tzset();
  EXPECT_EQ(QORTime(0).ConvertToString("%H:%M", 0).Utf8(), "01:00");
  QORUnsetEnvValue("TZ");
  ::tzset();
}

}  // namespace
