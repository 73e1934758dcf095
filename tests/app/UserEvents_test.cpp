// The table of user events: what it refuses on a running BOM command, and a check that is no click.
#include "UserEvents.h"

#include <gtest/gtest.h>

#include "Dump.h"
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "SessionFixture.h"
#include "WidgetKind.h"

namespace moldbom {
namespace {

int CheckState(const std::string& id) {
  const auto* check = As<QORDlgCheckButton>(HostSession::CommandDialog()->FindWidget(id));
  return check ? check->GetState() : -1;
}

struct RefusalCase {
  const char* name;
  EventWords event;
  const char* why;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusedOnFreshCommand : public SessionTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedOnFreshCommand, GivesTheReasonAndChangesNothing) {
  StartBom();
  std::ostringstream before;
  DumpSession(before);
  const Outcome outcome = events.Perform(GetParam().event);
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.Why(), GetParam().why);
  std::ostringstream after;
  DumpSession(after);
  EXPECT_EQ(before.str(), after.str());
}

INSTANTIATE_TEST_SUITE_P(
    Events, RefusedOnFreshCommand,
    ::testing::Values(
        RefusalCase{"UnknownWidget", {"push", "PushNowhere"},
                    "the dialog has no widget PushNowhere"},
        RefusalCase{"WrongKind", {"push", "ReportName"},
                    "ReportName is an editor, not a push-button"},
        RefusalCase{"HoldWithoutRepeat", {"hold", "PushFileOpen"},
                    "PushFileOpen does not repeat while held down"},
        RefusalCase{"UncheckRadio", {"check", "RadioInteger", "off"},
                    "a click cannot uncheck the radio button RadioInteger: check another one of its frame"},
        RefusalCase{"ReadOnlyEditor", {"type", "ProductSelector", "x"},
                    "ProductSelector only shows text; it takes no typing"},
        RefusalCase{"FractionInIntegerEditor", {"type", "StartNumber", "1.5"},
                    "StartNumber takes a whole number, not \"1.5\""},
        RefusalCase{"LineBreakInText", {"type", "ReportName", "p\r\nDATA;"},
                    "a word holds a control character"},
        RefusalCase{"NulInText", {"type", "ReportName", std::string("p\0.bom", 6)},
                    "a word holds a control character"},
        RefusalCase{"HiddenEditor", {"type", "EditRename", "x"},
                    "EditRename is hidden"},
        RefusalCase{"ColumnOutOfRange", {"column", "ListBOM", "61"},
                    "ListBOM has no column at display position 61 (0 to 60)"},
        RefusalCase{"RowOutOfRange",
                    {"rows", "ListBOM", "0", "1"},
                    "ListBOM has no row 1 (rows 0 to 0)"},
        RefusalCase{"LockedMarkerRow", {"cell", "ListBOM", "0", "9", "5"},
                    "the cell at row 0, display position 9 of ListBOM is not editable"},
        RefusalCase{"BoxNotOpen", {"file", "SaveBom", "ok", "x.csv"},
                    "no open box named SaveBom"},
        RefusalCase{"UnknownProduct", {"select", "TM-2417/NoSuchPin"},
                    "no product at TM-2417/NoSuchPin in the product tree (its root is TM-2417)"},
        RefusalCase{"SecondCommand", {"start", "QORMldBOMCom"},
                    "a command is already running"}),
    [](const ::testing::TestParamInfo<RefusalCase>& test) { return std::string(test.param.name); });

TEST_F(SessionTest, EventsNeedARunningCommand) {
  EXPECT_EQ(events.Perform({"push", "PushFileOpen"}).Why(), "no command is running");
  EXPECT_EQ(events.Perform({"close"}).Why(), "no command is running");
  EXPECT_EQ(events.Perform({"select", "TM-2417"}).Why(), "no command is running");
}

TEST_F(SessionTest, CheckingABoxAlreadyInThatStateIsNoClick) {
  StartBom();
  ASSERT_TRUE(events.Perform({"check", "CheckSort", "on"}));
  ASSERT_TRUE(events.Perform({"check", "CheckSort", "on"}));
  EXPECT_EQ(CheckState("CheckSort"), QORDlgChecked);
  ASSERT_TRUE(events.Perform({"check", "CheckSort", "off"}));
  EXPECT_EQ(CheckState("CheckSort"), QORDlgUnchecked);
}

}  // namespace
}  // namespace moldbom
