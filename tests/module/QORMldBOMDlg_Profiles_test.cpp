// Naming the profile and the reference profile: the extension rule and the file boxes' replay presets.
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
    for (const QOROpenBoxInfo& box : QORFileBoxHost::OpenBoxes()) EXPECT_TRUE(QORFileBoxHost::Answer(box.name, false, ""));
    Dlg().SetFather(nullptr);
    DialogTest::TearDown();
    father_->Release();
  }
  std::size_t Told() const { return static_cast<std::size_t>(father_->heard); }

  FatherCommand* father_ = nullptr;
};

// The extension is matched case by case, and a backslash also names a directory.
TEST_F(ProfileTest, AnUpperCaseExtensionIsNoExtensionAndABackslashIsADirectory) {
  Type("RefProfName", "C:\\ref\\r.BOM");
  EXPECT_EQ(Dlg().GetReferenceFile().Utf8(), "C:\\ref\\r.BOM.bom");
  EXPECT_EQ(Told(), 1u);
  EXPECT_TRUE(presenter_.messages.empty());
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
    EXPECT_TRUE(QORFileBoxHost::Answer("FileSelection", false, ""));
    for (const char* name : ReplayVariables) QORUnsetEnvValue(name);
  }
  std::filesystem::remove(profile);
}

}  // namespace
}  // namespace bomtest
