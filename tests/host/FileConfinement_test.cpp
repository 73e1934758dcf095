// The file services confined to a workspace: nothing outside it is opened, copied onto, deleted or
// resolved, whether named outright, through "..", or through a symbolic link; every refusal is told.
#include "QORSystemServices.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

class FileConfinementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "ws" / "sub");
    fs::create_directories(dir_ / "outside");
    std::ofstream(dir_ / "outside" / "secret.bom") << "kept";
    std::ofstream(dir_ / "ws" / "inside.bom") << "inside";
    fs::create_symlink(dir_ / "outside" / "secret.bom", dir_ / "ws" / "evil.bom");
    fs::create_symlink(dir_ / "outside", dir_ / "ws" / "door");
    ASSERT_EQ(QORSetFileConfinement((dir_ / "ws").c_str(), [this](const std::string& path, const std::string& why) {
                refusals_.push_back(path + ": " + why);
              }),
              S_OK);
  }
  void TearDown() override { QORSetFileConfinement(nullptr); }

  std::string In(const std::string& relative) const { return (dir_ / relative).string(); }
  std::string Secret() const { return testfiles::ReadFile(dir_ / "outside" / "secret.bom"); }

  testfiles::TestFolder folder_{"qorconfine-"};
  const fs::path& dir_ = folder_.Path();
  std::vector<std::string> refusals_;
};

TEST_F(FileConfinementTest, NamesLeadingOutsideAreRefusedAndTold) {
  const struct {
    std::string path;
    const char* why;
  } cases[] = {
      {In("ws/evil.bom"), "evil.bom is a symbolic link"},
      {In("ws/door/secret.bom"), "door is a symbolic link"},
      {In("ws/../outside/secret.bom"), "lies outside the workspace"},
      {In("outside/secret.bom"), "lies outside the workspace"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    refusals_.clear();
    unsigned int handle = 0;
    EXPECT_EQ(QORFOpen(c.path, "w+b", &handle), E_FAIL);
    EXPECT_EQ(QORFCopy(In("ws/inside.bom"), c.path, 0), E_FAIL);
    EXPECT_EQ(QORDeleteFile(c.path), E_FAIL);
    EXPECT_EQ(QORFileAccess(c.path, QORFileExists), -1);
    QORUnicodeString real;
    EXPECT_EQ(QORGetRealPath(c.path, real), E_FAIL);
    ASSERT_EQ(refusals_.size(), 5u);
    for (const std::string& refusal : refusals_) EXPECT_NE(refusal.find(c.why), std::string::npos) << refusal;
  }
  EXPECT_EQ(Secret(), "kept");
  EXPECT_TRUE(fs::exists(dir_ / "outside" / "secret.bom"));
}

TEST_F(FileConfinementTest, NamesInsideWorkAsBeforeFromAnyWorkingFolder) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  unsigned int handle = 0;
  EXPECT_EQ(QORFOpen("ws/sub/../new.bom", "w+b", &handle), S_OK) << "relative, with a dot segment inside";
  EXPECT_EQ(QORFWrite(handle, "x", 1, nullptr), S_OK);
  EXPECT_EQ(QORFClose(handle), S_OK);
  EXPECT_EQ(QORFCopy(In("ws/new.bom"), In("ws/sub/copy.bom"), 0), S_OK);
  EXPECT_EQ(QORFileAccess(In("ws/sub/copy.bom"), QORFileReadable), 0);
  EXPECT_EQ(QORDeleteFile(In("ws/sub/copy.bom")), S_OK);
  EXPECT_EQ(QORFOpen(In("ws/missing.bom"), "rb", &handle), E_FAIL);
  fs::current_path(before);
  EXPECT_TRUE(refusals_.empty()) << refusals_.front();
}

TEST_F(FileConfinementTest, LiftingTheConfinementRestoresPlainFiles) {
  QORSetFileConfinement(nullptr);
  unsigned int handle = 0;
  EXPECT_EQ(QORFOpen(In("outside/secret.bom"), "rb", &handle), S_OK);
  EXPECT_EQ(QORFClose(handle), S_OK);
  EXPECT_EQ(QORSetFileConfinement(In("no-such-folder").c_str()), E_FAIL);
}

}  // namespace
