// The journal driver: line numbers in refusals and exit codes of bad lines.
#include "Journal.h"

#include <gtest/gtest.h>

#include <sstream>

#include "Dump.h"
#include "SessionFixture.h"

namespace moldbom {
namespace {

struct JournalCase {
  const char* name;
  const char* journal;
  int exitCode;
  const char* err;
};

void PrintTo(const JournalCase& c, std::ostream* os) { *os << c.name; }

class JournalRunTest : public SessionTest, public ::testing::WithParamInterface<JournalCase> {};

TEST_P(JournalRunTest, StopsAtTheFirstBadLine) {
  JournalReplay replay(session, presenter, shown, kSampleMoldPath);
  std::istringstream journal(GetParam().journal);
  std::ostringstream err;
  EXPECT_EQ(replay.Run(journal, err), GetParam().exitCode);
  EXPECT_EQ(err.str(), GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Journals, JournalRunTest,
    ::testing::Values(
        JournalCase{"Empty", "# nothing\n\n", 0, ""},
        JournalCase{"CountsCommentAndBlankLines", "# a comment\n\nstart QORMldBOMCom\npush PushAnalyze\n", 3,
                    "journal:4: PushAnalyze is in FrmBottom, which is disabled\n"},
        JournalCase{"UnknownVerb", "start QORMldBOMCom\nclick PushAdd\n", 3,
                    "journal:2: unknown verb \"click\"\n"},
        JournalCase{"WrongArity", "check CheckSort\n", 3,
                    "journal:1: wrong number of words; usage: check ID on|off\n"},
        JournalCase{"BadChoice", "recorder loud\n", 3,
                    "journal:1: expected off, replay or capture, not \"loud\"\n"},
        JournalCase{"BadVariableName", "env TlgBOM_RPL_BOM_DIR=. x\n", 3,
                    "journal:1: not a variable name: \"TlgBOM_RPL_BOM_DIR=.\"\n"},
        JournalCase{"BadNumber", "start QORMldBOMCom\ncolumn ListBOM two\n", 3,
                    "journal:2: POSITION must be a whole number, not \"two\"\n"},
        JournalCase{"CancelWithPath", "file SaveBom cancel x.csv\n", 3,
                    "journal:1: a cancelled box takes no path\n"},
        JournalCase{"MoldAfterStart", "start QORMldBOMCom\nclose\nmold other.json\n", 3,
                    "journal:3: the mold can only be chosen before the first start\n"},
        JournalCase{"MissingMold", "mold /nonexistent/mold.json\n", 2,
                    "journal:1: /nonexistent/mold.json: cannot open the file: No such file or directory\n"},
        JournalCase{"UnknownCommand", "start QORNoSuchCom\n", 3,
                    "journal:1: no command class named QORNoSuchCom\n"}),
    [](const ::testing::TestParamInfo<JournalCase>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace moldbom
