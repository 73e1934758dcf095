// The user-event entry point: what it refuses on a running BOM command, and a check that is no click.
#include "UserEvents.h"

#include <gtest/gtest.h>

#include <functional>

#include "Dump.h"
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "SessionFixture.h"

namespace moldbom {
namespace {

template <class Widget>
Widget& DialogWidget(const std::string& id) {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  if (!dialog) throw std::runtime_error("no dialog");
  auto* widget = dynamic_cast<Widget*>(dialog->FindWidget(id));
  if (!widget) throw std::runtime_error("no widget " + id);
  return *widget;
}

struct RefusalCase {
  const char* name;
  std::function<Outcome(UserEvents&)> event;
  const char* why;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusedOnFreshCommand : public SessionTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedOnFreshCommand, GivesTheReasonAndChangesNothing) {
  StartBom();
  std::ostringstream before;
  DumpSession(before);
  const Outcome outcome = GetParam().event(events);
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.Why(), GetParam().why);
  std::ostringstream after;
  DumpSession(after);
  EXPECT_EQ(before.str(), after.str());
}

INSTANTIATE_TEST_SUITE_P(
    Events, RefusedOnFreshCommand,
    ::testing::Values(
        RefusalCase{"ReportButtonInDisabledFrame", [](UserEvents& e) { return e.Push("PushAnalyze"); },
                    "PushAnalyze is in FrmBottom, which is disabled"},
        RefusalCase{"UnknownWidget", [](UserEvents& e) { return e.Push("PushNowhere"); },
                    "the dialog has no widget PushNowhere"},
        RefusalCase{"WrongKind", [](UserEvents& e) { return e.Push("ReportName"); },
                    "ReportName is an editor, not a push-button"},
        RefusalCase{"HoldWithoutRepeat", [](UserEvents& e) { return e.Hold("PushFileOpen"); },
                    "PushFileOpen does not repeat while held down"},
        RefusalCase{"UncheckRadio", [](UserEvents& e) { return e.Check("RadioInteger", false); },
                    "a click cannot uncheck the radio button RadioInteger: check another one of its frame"},
        RefusalCase{"DisabledRadio", [](UserEvents& e) { return e.Check("RadioKeep", true); },
                    "RadioKeep is disabled"},
        RefusalCase{"ReadOnlyEditor", [](UserEvents& e) { return e.Type("ProductSelector", "x"); },
                    "ProductSelector only shows text; it takes no typing"},
        RefusalCase{"FractionInIntegerEditor", [](UserEvents& e) { return e.Type("StartNumber", "1.5"); },
                    "StartNumber takes a whole number, not \"1.5\""},
        RefusalCase{"HiddenEditor", [](UserEvents& e) { return e.Type("EditRename", "x"); },
                    "EditRename is hidden"},
        RefusalCase{"HiddenColumn", [](UserEvents& e) { return e.Column("ListBOM", 11); },
                    "the column at display position 11 of ListBOM is hidden"},
        RefusalCase{"ColumnOutOfRange", [](UserEvents& e) { return e.Column("ListBOM", 61); },
                    "ListBOM has no column at display position 61 (0 to 60)"},
        RefusalCase{"RowOutOfRange",
                    [](UserEvents& e) {
                      return e.Rows("ListBOM", {0, 1});
                    },
                    "ListBOM has no row 1 (rows 0 to 0)"},
        RefusalCase{"LockedMarkerRow", [](UserEvents& e) { return e.Cell("ListBOM", 0, 9, "5"); },
                    "the cell at row 0, display position 9 of ListBOM is not editable"},
        RefusalCase{"HiddenCombo", [](UserEvents& e) { return e.Combo("ComboDisplay", "Number"); },
                    "ComboDisplay is hidden"},
        RefusalCase{"BoxNotOpen", [](UserEvents& e) { return e.File("SaveBom", true, "x.csv"); },
                    "no open box named SaveBom"},
        RefusalCase{"UnknownProduct", [](UserEvents& e) { return e.Select("TM-2417/NoSuchPin"); },
                    "no product at TM-2417/NoSuchPin in the product tree (its root is TM-2417)"},
        RefusalCase{"SecondCommand", [](UserEvents& e) { return e.Start("QORMldBOMCom"); },
                    "a command is already running"}),
    [](const ::testing::TestParamInfo<RefusalCase>& test) { return std::string(test.param.name); });

TEST_F(SessionTest, EventsNeedARunningCommand) {
  EXPECT_EQ(events.Push("PushFileOpen").Why(), "no command is running");
  EXPECT_EQ(events.Close(CloseKind::Window).Why(), "no command is running");
  EXPECT_EQ(events.Select("TM-2417").Why(), "no command is running");
}

TEST_F(SessionTest, CheckingABoxAlreadyInThatStateIsNoClick) {
  StartBom();
  ASSERT_TRUE(events.Check("CheckSort", true));
  ASSERT_TRUE(events.Check("CheckSort", true));
  EXPECT_EQ(DialogWidget<QORDlgCheckButton>("CheckSort").GetState(), QORDlgChecked);
  ASSERT_TRUE(events.Check("CheckSort", false));
  EXPECT_EQ(DialogWidget<QORDlgCheckButton>("CheckSort").GetState(), QORDlgUnchecked);
}

}  // namespace
}  // namespace moldbom
