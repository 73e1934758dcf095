// The BOM command in the engine: its states, the CSV report, the replay presets and its end.
#include "QORMldBOMFixture.h"

#include <cstdlib>
#include <ctime>
#include <optional>

#include "QORFileBoxes.h"
#include "QORMoldComponents.h"
#include "QORRecorder.h"

namespace bomtest {
namespace {

using Access = QORMldBOMComTestAccess;

const char* const ReportMoldProducts = R"(
  "plate": {"partNumber": "PLATE", "plate": true, "properties": {"bom": true, "supplier": "Moldix"},
            "parameters": [{"name": "UnitPrice", "type": "real", "value": 12.5}]},
  "unit": {"partNumber": "UNIT", "instances": [{"name": "Pin.1", "of": "pin"}, {"name": "Pin.2", "of": "pin"}]},
  "pin": {"partNumber": "PIN", "component": "EjectorPin"},
  "last": {"partNumber": "LAST"})";

const std::string DateLine = "Date: Thu Jan  1 00:00:00 1970;\r\n";

// A fixed clock, zone and login, so that the report's title lines are known.
class BomReportTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile("Plate.1:plate Unit.1:unit Last.1:last", ReportMoldProducts));
    SetEnv("SOURCE_DATE_EPOCH", "0");
    SetEnv("TZ", "UTC");
    SetEnv("USER", "tester");
  }
  void TearDown() override {
    BomCommandTest::TearDown();
    QORRecord::GetMain()->SetMode(QORRecord::Mode::Off);
    for (auto it = savedEnvironment_.rbegin(); it != savedEnvironment_.rend(); ++it) ApplyEnv(it->first, it->second);
    ::tzset();
  }
  // Sets a variable for this test only.
  void SetEnv(const std::string& name, const std::optional<std::string>& value) {
    const char* previous = std::getenv(name.c_str());
    savedEnvironment_.emplace_back(name, previous ? std::optional<std::string>(previous) : std::nullopt);
    ApplyEnv(name, value);
    ::tzset();
  }
  static void ApplyEnv(const std::string& name, const std::optional<std::string>& value) {
    value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
  }

  void PressReportButton() {
    Press("PushAnalyze");
    EndEvent();
  }
  std::optional<QOROpenBoxInfo> SaveBox() {
    for (const QOROpenBoxInfo& box : QORFileBoxHost::OpenBoxes())
      if (box.name == "SaveBom") return box;
    return std::nullopt;
  }
  // The user saves the report through the save-as box.
  void Answer(const std::string& path) {
    PressReportButton();
    EXPECT_TRUE(QORFileBoxHost::Answer("SaveBom", true, path));
    EndEvent();
  }
  std::string Save(const std::string& path) {
    Answer(path);
    return ReadFile(path);
  }

  std::vector<std::pair<std::string, std::optional<std::string>>> savedEnvironment_;
};

TEST_F(BomReportTest, TheProjectPathNamesEveryElementDownToTheProduct) {
  Select("MOLD/Unit.1");
  const std::string projectLine = "Project: /MOLD/Unit.1;Owner;tester;\r\n";
  EXPECT_EQ(Save(Path("unit.csv")).substr(DateLine.size(), projectLine.size()), projectLine);
}

TEST_F(BomReportTest, WithoutRowsAndWithoutLoginNameOnlyTheTitleLinesAreWritten) {
  SetEnv("USER", std::string(300, 'u'));
  SetEnv("LOGNAME", std::string(300, 'l'));
  EXPECT_EQ(Save(Path("empty.csv")),
            DateLine + "Project: ;Owner;;\r\nNumber;Qty;Part Number;Reference;Mold Ref;Supplier;Material;Source;"
                       "Heat Treat;Unit Price;Price;\r\n");
}

// ---- states and agents ----------------------------------------------------------------------

TEST_F(BomReportTest, EveryProfileChoiceIsHeardBecauseTheAgentIsReArmedFirst) {
  const std::string header = "HEADER;\r\nMOLD;0;R;0;1;1;\r\n0;1;2;3;4;5;6;7;8;9;10;\r\nDATA;\r\n";
  for (const std::string name : {"First", "Second"}) {
    WriteFile(Path(name + ".bom"), header + "1;From." + name + ";\r\n");
    Dlg().SetReportFile(QORUnicodeString(Path(name + ".bom")));
    auto* notification = new QORMldFileOpenOKNotif();
    QORCleaner::DeleteOnTransactionEnd(notification);
    Dlg().SendNotification(Dlg().GetFather(), notification);
    EndEvent();
  }
  EXPECT_EQ(Texts(Access::ProfileInstanceNames(Command())), Strings{"From.Second"});
}

// ---- replay presets -------------------------------------------------------------------------

// In replay and capture the command starts from the initial profile, deletes the old report and
// presets the save-as box; each preset needs the variable before it; otherwise nothing happens.
TEST_F(BomReportTest, ReplayCopiesTheInitialProfilePresetsTheBoxAndDeletesTheOldReport) {
  const std::string initial = Path("initial.bom"), profile = Path("profile.bom"), oldReport = Path("old.csv");
  const struct { QORRecord::Mode mode; Strings unset; bool copied; std::string directory, fileName; } cases[] = {
      {QORRecord::Mode::Replay, {}, true, directory_.string(), "bom.csv"},
      {QORRecord::Mode::Capture, {}, true, directory_.string(), "bom.csv"},
      {QORRecord::Mode::Replay, {"TlgBOM_RPL_BOMINIT_FULLNAME", "TlgBOM_RPL_CSV_DIR"}, false, "", ""},
      {QORRecord::Mode::Off, {}, false, "", ""},
  };
  ASSERT_NE(QORRecord::GetMain(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    WriteFile(initial, "seed");
    WriteFile(oldReport, "old");
    std::filesystem::remove(profile);
    SetEnv("TlgBOM_RPL_BOMINIT_FULLNAME", initial);
    SetEnv("TlgBOM_RPL_BOM_FULLNAME", profile);
    SetEnv("TlgBOM_RPL_CSV_DIR", directory_.string());
    SetEnv("TlgBOM_RPL_CSV_NAME", "bom.csv");
    SetEnv("TlgBOM_RPL_CSV_FULLNAME", oldReport);
    for (const std::string& name : c.unset) SetEnv(name, std::nullopt);
    QORRecord::GetMain()->SetMode(c.mode);
    Command();
    EXPECT_EQ(ReadFile(profile), c.copied ? "seed" : "");
    EXPECT_EQ(Exists(profile), c.copied);
    EXPECT_EQ(Exists(oldReport), !c.copied);
    PressReportButton();
    ASSERT_TRUE(SaveBox());
    EXPECT_EQ(SaveBox()->directory, c.directory);
    EXPECT_EQ(SaveBox()->fileName, c.fileName);
    EndCommand();
    QORRecord::GetMain()->SetMode(QORRecord::Mode::Off);
  }
}

}  // namespace
}  // namespace bomtest
