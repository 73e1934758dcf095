// Files written through the host: every line arrives, the file's permissions stay, a link is
// replaced rather than followed, and a writer killed at any moment leaves a whole file.
// (Failed steps, locks held by another run and the size limit are pinned end to end.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "QORSystemServices.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

const std::string kPrevious = "previous;\r\n";
const std::string kNew = "HEADER;\r\nsecond;\r\nDATA;\r\n";

class FileReplacementTest : public ::testing::Test {
 protected:
  void TearDown() override { QORFReleaseLocks(); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  void WriteFile(const std::string& name, const std::string& content) const {
    testfiles::WriteFile(dir_ / name, content);
  }
  std::string ReadFile(const std::string& name) const { return testfiles::ReadFile(dir_ / name); }
  // Writes kNew through the host; true when a step failed.
  static bool WriteNew(const std::string& path) {
    unsigned int file = 0;
    if (FAILED(QORFOpen(QORUnicodeString(path), "w+b", &file))) return true;
    const bool failed = FAILED(QORFWrite(file, kNew.data(), static_cast<unsigned>(kNew.size()), nullptr));
    return FAILED(QORFClose(file)) || failed;
  }

  testfiles::TestFolder folder_{"qorreplace-"};
  const fs::path& dir_ = folder_.Path();
};

// Line by line, as the module writes, past any buffering: the size asked while writing and the
// file once closed hold every byte, in order.
TEST_F(FileReplacementTest, ManySmallWritesAllArriveInOrder) {
  unsigned int file = 0, size = 0;
  ASSERT_EQ(QORFOpen(QORUnicodeString(PathOf("many.bom")), "w+b", &file), S_OK);
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string line = std::to_string(i) + ";Part." + std::to_string(i) + ";\r\n";
    ASSERT_EQ(QORFWrite(file, line.data(), static_cast<unsigned>(line.size()), nullptr), S_OK);
    expected += line;
  }
  EXPECT_EQ(QORFSize(file, &size), S_OK);
  EXPECT_EQ(size, expected.size());
  EXPECT_EQ(QORFClose(file), S_OK);
  EXPECT_EQ(ReadFile("many.bom"), expected);
}

TEST_F(FileReplacementTest, AReplacedFileKeepsItsPermissionsAndALinkIsReplacedNotFollowed) {
  WriteFile("p.bom", kPrevious);
  ::chmod(PathOf("p.bom").c_str(), 0640);
  WriteFile("outside", "untouched");
  fs::create_symlink(dir_ / "outside", dir_ / "link.bom");
  EXPECT_FALSE(WriteNew(PathOf("p.bom")));
  EXPECT_FALSE(WriteNew(PathOf("link.bom")));
  EXPECT_EQ(fs::status(dir_ / "p.bom").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(ReadFile("outside"), "untouched");
  EXPECT_FALSE(fs::is_symlink(dir_ / "link.bom"));
  EXPECT_EQ(ReadFile("link.bom"), kNew);
}

// A process killed at any moment leaves the previous file or the new one, whole.
TEST_F(FileReplacementTest, AWriterKilledAtRandomNeverLeavesAnEmptyOrPartialFile) {
  const std::string versions[] = {std::string(20000, 'a') + "\r\n", std::string(30000, 'b') + "\r\n"};
  WriteFile("p.bom", versions[0]);
  std::srand(42);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int kills = 0;
  while (std::chrono::steady_clock::now() < end) {
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      for (int round = 0;; ++round) {
        const std::string& text = versions[round % 2];
        unsigned int file = 0;
        if (SUCCEEDED(QORFOpen(QORUnicodeString(PathOf("p.bom")), "w+b", &file))) {
          for (std::size_t at = 0; at < text.size(); at += 1000) {
            const auto length = static_cast<unsigned>(std::min<std::size_t>(1000, text.size() - at));
            QORFWrite(file, text.data() + at, length, nullptr);
          }
          QORFClose(file);
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(std::rand() % 20000));
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ++kills;
    const std::string now = ReadFile("p.bom");
    ASSERT_TRUE(now == versions[0] || now == versions[1]) << "after kill " << kills << ": " << now.size() << " bytes";
  }
  EXPECT_GT(kills, 20);
}

}  // namespace
