// Naming the profile and the reference profile: typed names, the file dialogs and their replay presets.
#include <filesystem>
#include <fstream>

#include "QORFileBoxes.h"
#include "QORMldBOMFixture.h"
#include "QORRecorder.h"
#include "QORSystemServices.h"

namespace bomtest {
namespace {

const char* const ReplayVariables[] = {"TlgBOM_RPL_BOM_DIR",          "TlgBOM_RPL_BOM_NAME",
                                       "TlgBOM_RPL_BOMREF_DIR",       "TlgBOM_RPL_BOMREF_NAME",
                                       "TlgBOM_RPL_BOMINIT_FULLNAME", "TlgBOM_RPL_BOM_FULLNAME"};
using Filters = std::vector<std::pair<std::string, std::string>>;

class ProfileTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    father_ = new FatherCommand();
    father_->AddAnalyseNotificationCB(&Dlg(), QORMldFileOpenOKNotif::ClassName(),
                                      static_cast<QORCommandMethod>(&FatherCommand::Heard), nullptr);
    Dlg().SetFather(father_);
  }
  void TearDown() override {
    QORRecord::GetMain()->SetMode(QORRecord::Mode::Off);
    for (const char* name : ReplayVariables) QORUnsetEnvValue(name);
    for (const QOROpenBoxInfo& box : QORFileBoxHost::OpenBoxes()) QORFileBoxHost::Answer(box.name, false, "");
    Dlg().SetFather(nullptr);
    DialogTest::TearDown();
    father_->Release();
  }
  std::size_t Told() const { return static_cast<std::size_t>(father_->heard); }

  FatherCommand* father_ = nullptr;
};

TEST_F(ProfileTest, TypedNamesGetTheExtensionAndOnlyNewNamesWithADirectoryAreRead) {
  struct Case { const char* editor; const char* typed; const char* stored; std::size_t told, warnings; };
  const Case cases[] = {{"ReportName", "/tmp/p", "/tmp/p.bom", 1, 0},
                        {"ReportName", "/tmp/p", "/tmp/p.bom", 1, 0},
                        {"ReportName", "/tmp/p.bom", "/tmp/p.bom", 1, 0},
                        {"ReportName", "profile", "profile.bom", 1, 1},
                        {"ReportName", "", "", 2, 1},
                        {"RefProfName", "C:\\ref\\r.BOM", "C:\\ref\\r.BOM.bom", 3, 1}};
  for (const Case& c : cases) {
    Type(c.editor, c.typed);
    const bool report = std::string(c.editor) == "ReportName";
    EXPECT_EQ((report ? Dlg().GetReportFile() : Dlg().GetReferenceFile()).Utf8(), c.stored) << c.typed;
    EXPECT_EQ(W<QORDlgEditor>(c.editor).GetLine().Utf8(), c.stored);
    EXPECT_EQ(Told(), c.told) << c.typed;
    EXPECT_EQ(presenter_.messages.size(), c.warnings) << c.typed;
  }
  EXPECT_EQ(MessageKeys()[0], "ProfileTitle/ProfileDirError");
}

TEST_F(ProfileTest, AChosenFileIsStoredWithTheExtensionOneFileDialogAtATime) {
  Press("PushOpenRefProf");
  const std::pair<const char*, const char*> chosen[] = {
      {"/tmp/prof", "/tmp/prof.bom"}, {"/x.bom", "/x.bom"}, {".bom", ".bom.bom"}, {"/a", "/a.bom"}};
  std::size_t told = 0;
  for (auto [path, stored] : chosen) {
    Press("PushFileOpen");
    const std::vector<QOROpenBoxInfo> boxes = QORFileBoxHost::OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Select the Tooling Profile");
    EXPECT_EQ(boxes[0].filters, (Filters{{"Tooling Profile (*.bom)", "*.bom"}}));
    EXPECT_EQ(QORFileBoxHost::Answer("FileOpen", true, path), "");
    EXPECT_EQ(W<QORDlgEditor>("ReportName").GetLine().Utf8(), stored);
    EXPECT_EQ(Told(), ++told);
  }
  Press("PushOpenRefProf");
  EXPECT_EQ(QORFileBoxHost::Answer("FileOpen", false, ""), "");
  EXPECT_TRUE(QORFileBoxHost::OpenBoxes().empty());
  EXPECT_EQ(Dlg().GetReferenceFile().Utf8(), "");
  EXPECT_EQ(Told(), told);
}

TEST_F(ProfileTest, ReplayPresetsTheFileBoxAndStartsFromAFreshProfile) {
  struct Case { const char* button; bool initialProfile, presets, deleted; };
  const Case cases[] = {{"PushFileOpen", false, true, true},
                        {"PushFileOpen", true, true, false},
                        {"PushOpenRefProf", true, true, true},
                        {"PushFileOpen", false, false, false}};
  const std::string profile = (std::filesystem::temp_directory_path() / "moldbom-dlg-replay.bom").string();
  QORRecord::GetMain()->SetMode(QORRecord::Mode::Replay);
  for (const Case& c : cases) {
    std::ofstream(profile) << "HEADER;\r\n";
    const bool reference = std::string(c.button) == "PushOpenRefProf";
    if (c.presets) {
      QORSetEnvValue(reference ? "TlgBOM_RPL_BOMREF_DIR" : "TlgBOM_RPL_BOM_DIR", "/tmp/replay");
      QORSetEnvValue(reference ? "TlgBOM_RPL_BOMREF_NAME" : "TlgBOM_RPL_BOM_NAME", "run.bom");
    }
    if (c.initialProfile) QORSetEnvValue("TlgBOM_RPL_BOMINIT_FULLNAME", "/tmp/replay/init.bom");
    QORSetEnvValue("TlgBOM_RPL_BOM_FULLNAME", profile.c_str());
    Press(c.button);
    const std::vector<QOROpenBoxInfo> boxes = QORFileBoxHost::OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].name, "FileSelection");
    EXPECT_EQ(boxes[0].directory, c.presets ? "/tmp/replay" : "");
    EXPECT_EQ(boxes[0].fileName, c.presets ? "run.bom" : "");
    EXPECT_EQ(std::filesystem::exists(profile), !c.deleted) << c.button << " init " << c.initialProfile;
    QORFileBoxHost::Answer("FileSelection", false, "");
    for (const char* name : ReplayVariables) QORUnsetEnvValue(name);
  }
  std::filesystem::remove(profile);
}

}  // namespace
}  // namespace bomtest
