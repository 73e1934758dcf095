// The BOM command in the engine: its states, the CSV report, the replay presets and its end.
#include "QORMldBOMComFixture.h"

#include <cstdlib>
#include <ctime>
#include <optional>

#include "QOREditor.h"
#include "QORFileBoxes.h"
#include "QORMoldComponents.h"
#include "QORRecorder.h"

namespace comtest {
namespace {

using Access = QORMldBOMComTestAccess;

const char* const ReportMoldInstances = R"(
  {"name": "Plate.1", "of": "plate"}, {"name": "Unit.1", "of": "unit"}, {"name": "Last.1", "of": "last"})";
const char* const ReportMoldProducts = R"(
  "plate": {"partNumber": "PLATE", "plate": true, "properties": {"bom": true, "supplier": "Moldix"},
            "parameters": [{"name": "UnitPrice", "type": "real", "value": 12.5}]},
  "unit": {"partNumber": "UNIT", "instances": [{"name": "Pin.1", "of": "pin"}, {"name": "Pin.2", "of": "pin"}]},
  "pin": {"partNumber": "PIN", "component": "EjectorPin"},
  "last": {"partNumber": "LAST"})";

// Sets environment variables for one test and puts the previous values back.
class EnvironmentScope {
 public:
  void Set(const std::string& name, const std::optional<std::string>& value) {
    const char* previous = std::getenv(name.c_str());
    saved_.emplace_back(name, previous ? std::optional<std::string>(previous) : std::nullopt);
    Apply(name, value);
  }
  ~EnvironmentScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Apply(it->first, it->second);
    ::tzset();
  }

 private:
  static void Apply(const std::string& name, const std::optional<std::string>& value) {
    if (value)
      ::setenv(name.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name.c_str());
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class BomReportTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile(ReportMoldInstances, ReportMoldProducts));
    environment_.Set("SOURCE_DATE_EPOCH", "0");
    environment_.Set("TZ", "UTC");
    environment_.Set("USER", "tester");
    ::tzset();
  }
  void PressReportButton() {
    QORDlgPushButton* button = Dialog().GetReportButton();
    ASSERT_NE(button, nullptr);
    button->Dispatch(button->GetPushBActivateNotification());
    EndEvent();
  }
  bool SaveBoxShown() {
    for (const QOROpenBoxInfo& box : QORFileBoxHost::OpenBoxes())
      if (box.name == "SaveBom") return true;
    return false;
  }
  // The user saves the report through the save-as box.
  void Answer(const std::string& path) {
    PressReportButton();
    EXPECT_EQ(QORFileBoxHost::Answer("SaveBom", true, path), "");
    EndEvent();
  }
  std::string Save(const std::string& path) {
    Answer(path);
    return ReadFile(path);
  }
  EnvironmentScope environment_;
};

const std::string DateLine = "Date: Thu Jan  1 00:00:00 1970;\r\n";

TEST_F(BomReportTest, TheReportHoldsTitlesAndEveryRowOfTheVisibleColumns) {
  Dialog().SetTypeOfSort(1);
  Select("MOLD");
  Dialog().MoveColumnTo(3, 0);
  Dialog().HideCol(4);
  Dialog().HideCol(6);
  const std::string expected =
      DateLine + "Project: /MOLD;Owner;tester;\r\n"
      "Part Number;Number;Qty;Reference;Supplier;Source;Heat Treat;Unit Price;Price;\r\n"
      "PLATE;1;1;;Moldix;;;12.5;12.5;\r\n"
      ";;;;;;;;;\r\n"
      "PIN;2;2;;;;;;;\r\n"
      ";;;;;;;;;\r\n"
      "LAST;3;1;;;;;;;\r\n";
  EXPECT_EQ(Save(Path("report.csv")), expected);
  EXPECT_TRUE(presenter_.messages.empty());
  EXPECT_EQ(QORCommandHost::CurrentStateName(), "InitialState");
  EXPECT_FALSE(SaveBoxShown());
}

TEST_F(BomReportTest, TheProjectPathNamesEveryElementDownToTheProduct) {
  Select("MOLD/Unit.1");
  const std::string report = Save(Path("unit.csv"));
  const std::string projectLine = "Project: /MOLD/Unit.1;Owner;tester;\r\n";
  EXPECT_EQ(report.substr(DateLine.size(), projectLine.size()), projectLine);
}

TEST_F(BomReportTest, WithoutRowsAndWithoutLoginNameOnlyTheTitleLinesAreWritten) {
  environment_.Set("USER", std::string(300, 'u'));
  environment_.Set("LOGNAME", std::string(300, 'l'));
  EXPECT_EQ(Save(Path("empty.csv")),
            DateLine + "Project: ;Owner;;\r\nNumber;Qty;Part Number;Reference;Mold Ref;Supplier;Material;Source;"
                       "Heat Treat;Unit Price;Price;\r\n");
}

TEST_F(BomReportTest, FailuresAreReportedAndTheBoxCanBeUsedAgain) {
  Select("MOLD");
  for (const auto& [path, key] : std::vector<std::pair<std::string, std::string>>{
           {Path("missing/report.csv"), "CsvOpenError"}, {"/dev/full", "CsvWriteError"}}) {
    presenter_.messages.clear();
    Answer(path);
    EXPECT_EQ(presenter_.messages, (std::vector<BomMessage>{{"CsvTitle", key, {}, false}}));
    EXPECT_EQ(QORCommandHost::CurrentStateName(), "InitialState");
    EXPECT_FALSE(SaveBoxShown());
  }
  EXPECT_NE(Save(Path("report.csv")).find("LAST;"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// States and agents
// ---------------------------------------------------------------------------------------------

TEST_F(BomReportTest, TheReportButtonShowsTheBoxAndCancelReturnsWithoutWriting) {
  Select("MOLD");
  PressReportButton();
  EXPECT_EQ(QORCommandHost::CurrentStateName(), "Select Bom File");
  ASSERT_TRUE(SaveBoxShown());
  const QOROpenBoxInfo box = QORFileBoxHost::OpenBoxes().front();
  EXPECT_EQ(box.title, "Save Bill Of Material As");
  EXPECT_EQ(box.filters, (std::vector<std::pair<std::string, std::string>>{{"Microsoft Excel text file(*.csv)", "*.csv"}}));

  EXPECT_EQ(QORFileBoxHost::Answer("SaveBom", false, ""), "");
  EndEvent();
  EXPECT_EQ(QORCommandHost::CurrentStateName(), "InitialState");
  EXPECT_FALSE(SaveBoxShown());
  EXPECT_TRUE(std::filesystem::is_empty(directory_));
  // The box agent was re-armed: the box works a second time.
  PressReportButton();
  EXPECT_TRUE(SaveBoxShown());
}

TEST_F(BomReportTest, ResourceFileNameIsTheCommandsOwnThenItsBaseClasses) {
  QORMldBOMCom& command = Command();
  EXPECT_STREQ(command.GetResourceFilename(0), "QORMldBOMCom");
  EXPECT_STREQ(command.GetResourceFilename(-3), "QORMldBOMCom");
  EXPECT_EQ(command.GetResourceFilename(2), command.QORStateCommand::GetResourceFilename(1));
}

TEST_F(BomReportTest, EveryProfileChoiceIsHeardBecauseTheAgentIsReArmedFirst) {
  const std::string first = Path("first.bom");
  const std::string second = Path("second.bom");
  const std::string header = "HEADER;\r\nMOLD;0;R;0;1;1;\r\n0;1;2;3;4;5;6;7;8;9;10;\r\nDATA;\r\n";
  WriteFile(first, header + "1;From.First;\r\n");
  WriteFile(second, header + "1;From.Second;\r\n");
  for (const std::string& path : {first, second}) {
    Dialog().SetReportFile(QORUnicodeString(path));
    auto* notification = new QORMldFileOpenOKNotif();
    QORCleaner::DeleteOnTransactionEnd(notification);
    Dialog().SendNotification(Dialog().GetFather(), notification);
    EndEvent();
  }
  EXPECT_EQ(Texts(Access::ProfileInstanceNames(Command())), std::vector<std::string>{"From.Second"});
}

TEST_F(BomReportTest, ClosingTheDialogWritesTheProfileAndEndsCommandAndDialog) {
  Select("MOLD");
  const std::string profile = Path("closing.bom");
  Dialog().SetReportFile(QORUnicodeString(profile));
  QORIProduct_var pin = document_->FindByPath("MOLD/Unit.1/Pin.1");
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(pin), 1);
  const int commands = QORCommandHost::DestroyedStateCommandCount();
  QORDialog* mainWindow = QORApplicationFrame::GetFrame()->GetMainWindow();
  ASSERT_NE(mainWindow->FindWidget("QORMldBOMDlg"), nullptr);

  QORMldBOMDlg& dialog = Dialog();
  dialog.Dispatch(dialog.GetWindCloseNotification());
  EndEvent();

  EXPECT_EQ(QORCommandHost::RunningCommand(), nullptr);
  EXPECT_EQ(QORCommandHost::DestroyedStateCommandCount() - commands, 1);
  EXPECT_EQ(mainWindow->FindWidget("QORMldBOMDlg"), nullptr);
  EXPECT_EQ(ReadFile(profile).substr(0, 24), "HEADER;\r\nMOLD;0;R;0;1;1;");
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(pin), 0);
}

// ---------------------------------------------------------------------------------------------
// Replay presets
// ---------------------------------------------------------------------------------------------

class BomReplayTest : public BomReportTest {
 protected:
  void SetUp() override {
    BomReportTest::SetUp();
    initial_ = Path("initial.bom");
    profile_ = Path("profile.bom");
    oldReport_ = Path("old.csv");
    WriteFile(initial_, "seed");
    WriteFile(oldReport_, "old");
    environment_.Set("TlgBOM_RPL_BOMINIT_FULLNAME", initial_);
    environment_.Set("TlgBOM_RPL_BOM_FULLNAME", profile_);
    environment_.Set("TlgBOM_RPL_CSV_DIR", directory_.string());
    environment_.Set("TlgBOM_RPL_CSV_NAME", "bom.csv");
    environment_.Set("TlgBOM_RPL_CSV_FULLNAME", oldReport_);
  }
  void TearDown() override {
    BomReportTest::TearDown();
    if (QORRecord::GetMain()) QORRecord::GetMain()->SetMode(QORRecord::Mode::Off);
  }
  void Start(QORRecord::Mode mode) {
    ASSERT_NE(QORRecord::GetMain(), nullptr);
    QORRecord::GetMain()->SetMode(mode);
    Command();
  }
  QOROpenBoxInfo ShownSaveBox() {
    PressReportButton();
    for (const QOROpenBoxInfo& box : QORFileBoxHost::OpenBoxes())
      if (box.name == "SaveBom") return box;
    ADD_FAILURE() << "the save-as box is not shown";
    return {};
  }
  std::string initial_, profile_, oldReport_;
};

TEST_F(BomReplayTest, ReplayCopiesTheInitialProfilePresetsTheBoxAndDeletesTheOldReport) {
  for (const QORRecord::Mode mode : {QORRecord::Mode::Replay, QORRecord::Mode::Capture}) {
    WriteFile(oldReport_, "old");
    std::filesystem::remove(profile_);
    Start(mode);
    EXPECT_EQ(ReadFile(profile_), "seed");
    EXPECT_FALSE(Exists(oldReport_));
    const QOROpenBoxInfo box = ShownSaveBox();
    EXPECT_EQ(box.directory, directory_.string());
    EXPECT_EQ(box.fileName, "bom.csv");
    EndCommand();
  }
}

TEST_F(BomReplayTest, EachPresetNeedsTheVariableBeforeIt) {
  environment_.Set("TlgBOM_RPL_BOMINIT_FULLNAME", std::nullopt);
  environment_.Set("TlgBOM_RPL_CSV_DIR", std::nullopt);
  Start(QORRecord::Mode::Replay);
  EXPECT_FALSE(Exists(profile_));
  EXPECT_TRUE(Exists(oldReport_));
  const QOROpenBoxInfo box = ShownSaveBox();
  EXPECT_EQ(box.directory, "");
  EXPECT_EQ(box.fileName, "");
}

TEST_F(BomReplayTest, OutsideReplayAndCaptureTheEnvironmentIsIgnored) {
  Start(QORRecord::Mode::Off);
  EXPECT_FALSE(Exists(profile_));
  EXPECT_TRUE(Exists(oldReport_));
  EXPECT_EQ(ShownSaveBox().fileName, "");
}

}  // namespace
}  // namespace comtest
