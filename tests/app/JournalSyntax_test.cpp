// Journal lines into words: the accepted forms, the malformed ones, and quoting round trips.
#include "JournalSyntax.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace moldbom {
namespace {

struct SplitCase {
  std::string line;
  std::vector<std::string> words;
};

class JournalWordsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(JournalWordsTest, SplitsIntoWords) {
  const SplitCase& c = GetParam();
  Expected<std::vector<std::string>> words = SplitJournalWords(c.line);
  ASSERT_TRUE(words) << words.Why();
  EXPECT_EQ(words.Value(), c.words);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, JournalWordsTest,
    ::testing::Values(
        SplitCase{"push PushAnalyze", {"push", "PushAnalyze"}},
        SplitCase{"  \tcheck  RadioLetter\ton  ", {"check", "RadioLetter", "on"}},
        SplitCase{"type ReportName \"/tmp/my profile.bom\"", {"type", "ReportName", "/tmp/my profile.bom"}},
        SplitCase{R"(type EditName "say \"hi\" \\ bye")", {"type", "EditName", R"(say "hi" \ bye)"}},
        SplitCase{"type EditName \"\"", {"type", "EditName", ""}},
        SplitCase{R"(file FileOpen ok C:\dir\p.bom)", {"file", "FileOpen", "ok", R"(C:\dir\p.bom)"}},
        SplitCase{"rows ListBOM\r", {"rows", "ListBOM"}},
        SplitCase{"cell ListBOM 2 9 \"12,5 €\"", {"cell", "ListBOM", "2", "9", "12,5 €"}},
        SplitCase{"", {}}));

struct MalformedCase {
  std::string line;
  std::string why;  // a part of the message
};

class MalformedJournalLineTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedJournalLineTest, SaysWhatIsWrong) {
  const MalformedCase& c = GetParam();
  Expected<std::vector<std::string>> words = SplitJournalWords(c.line);
  ASSERT_FALSE(words) << "accepted: " << c.line;
  EXPECT_NE(words.Why().find(c.why), std::string::npos) << words.Why();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedJournalLineTest,
    ::testing::Values(MalformedCase{"type EditName \"open",
                                    "unterminated quote (the word opened at column 15)"},
                      MalformedCase{R"(type EditName "ends in \")", "unterminated quote"},
                      MalformedCase{R"(type EditName "a\tb")", "unknown escape \\t"},
                      MalformedCase{"type EditName ab\"c", "a quote inside a word at column 17"},
                      MalformedCase{"type EditName \"ab\"c", "a blank must follow the closing quote"}));

TEST(JournalSkippedLines, BlankAndCommentLinesCarryNoEvent) {
  EXPECT_TRUE(IsSkippedJournalLine(""));
  EXPECT_TRUE(IsSkippedJournalLine("   \t\r"));
  EXPECT_TRUE(IsSkippedJournalLine("# exit: 3"));
  EXPECT_TRUE(IsSkippedJournalLine("   # indented comment"));
  EXPECT_FALSE(IsSkippedJournalLine("dump # not a comment after a verb"));
}

TEST(JournalNumbers, TakeOneSignAndNothingBeyondAnInt) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"3", 3},           {"+2", 2},        {"-1", -1},     {"+-1", std::nullopt}, {"+", std::nullopt},
      {"", std::nullopt}, {"1.5", std::nullopt}, {"2 ", std::nullopt}, {"99999999999", std::nullopt}};
  for (const auto& [word, number] : cases) EXPECT_EQ(WholeNumber(word), number) << QuoteWord(word);
}

TEST(JournalQuoting, QuotedWordsReadBackUnchanged) {
  const std::vector<std::string> words = {"",      "plain", "two words", R"(q"uote)", R"(back\slash)",
                                          "#hash", "ü é"};
  std::string line;
  for (const auto& w : words) line += JournalWord(w) + " ";
  Expected<std::vector<std::string>> back = SplitJournalWords(line);
  ASSERT_TRUE(back) << back.Why();
  EXPECT_EQ(back.Value(), words);
  EXPECT_EQ(JournalWord("plain"), "plain");
  EXPECT_EQ(QuoteWord(R"(a"b\c)"), R"("a\"b\\c")");
}

}  // namespace
}  // namespace moldbom
