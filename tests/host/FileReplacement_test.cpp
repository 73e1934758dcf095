// Files written through the host: put in place whole or not at all, the previous one kept as a
// backup, locked against other processes, and never read whole beyond the size limit.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
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
#include <vector>

#include "QORMessages.h"
#include "QORSystemServices.h"

namespace fs = std::filesystem;

namespace {

class ProblemRecorder : public QORPresenter {
 public:
  void ShowWarning(const QORMessageBox&) override {}
  bool AskConfirmation(const QORMessageBox&) override { return false; }
  void ReportCheckFailure(const std::string&, const std::string&, int) override {}
  void ReportFileProblem(const QORFileProblem& problem) override { problems.push_back(problem); }
  std::vector<QORFileProblem> problems;
};

class FileReplacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qorreplace-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    QORFSetFaultHook({});
    QORFReleaseLocks();
    QORFSetLockWait(2000);
    fs::remove_all(dir_);
  }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  void WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Writes three lines as the module writes a report: the second line's result goes unchecked.
  // True when the writer saw a failure (and would have warned).
  static bool WriteThreeLines(const std::string& path) {
    unsigned int file = 0;
    if (FAILED(QORFOpen(QORUnicodeString(path), "w+b", &file))) return true;
    const std::string lines[] = {"HEADER;\r\n", "second;\r\n", "DATA;\r\n"};
    bool failed = FAILED(QORFWrite(file, lines[0].data(), static_cast<unsigned>(lines[0].size()), nullptr));
    if (!failed) {
      QORFWrite(file, lines[1].data(), static_cast<unsigned>(lines[1].size()), nullptr);
      failed = FAILED(QORFWrite(file, lines[2].data(), static_cast<unsigned>(lines[2].size()), nullptr));
    }
    QORFClose(file);
    return failed;
  }

  ProblemRecorder recorder_;
  QORPresenterScope presenting_{&recorder_};
  fs::path dir_;
};

const std::string kPrevious = "previous;\r\n";
const std::string kNew = "HEADER;\r\nsecond;\r\nDATA;\r\n";

TEST_F(FileReplacementTest, EveryFailingStepLeavesThePreviousFileAndSomeoneTellsTheUser) {
  for (QORFileFault fault : {QORFileFault::Fail, QORFileFault::Short}) {
    for (int k = 1;; ++k) {
      SCOPED_TRACE("fault " + std::to_string(static_cast<int>(fault)) + " at step " + std::to_string(k));
      WriteFile("p.bom", kPrevious);
      fs::remove(dir_ / "p.bom.bak");
      recorder_.problems.clear();
      int step = 0;
      bool injected = false;
      QORFSetFaultHook([&](QORFileStep kind, const std::string&) {
        if (fault == QORFileFault::Short && kind != QORFileStep::Write) return QORFileFault::None;
        if (++step != k) return QORFileFault::None;
        injected = true;
        return fault;
      });
      const bool writerSawFailure = WriteThreeLines(PathOf("p.bom"));
      QORFSetFaultHook({});
      QORFReleaseLocks();
      if (!injected) {
        EXPECT_EQ(ReadFile("p.bom"), kNew);
        EXPECT_EQ(ReadFile("p.bom.bak"), kPrevious);
        break;
      }
      EXPECT_EQ(ReadFile("p.bom"), kPrevious);
      EXPECT_TRUE(writerSawFailure || !recorder_.problems.empty());
      // No temporary file is left behind.
      for (const std::string& name : Names()) EXPECT_TRUE(name == "p.bom" || name == "p.bom.bak") << name;
    }
  }
}

TEST_F(FileReplacementTest, AWriterThatGoesOnAfterAFailedWriteIsToldAtClose) {
  WriteFile("r.csv", kPrevious);
  int writes = 0;
  QORFSetFaultHook([&](QORFileStep kind, const std::string&) {
    return kind == QORFileStep::Write && ++writes == 2 ? QORFileFault::Fail : QORFileFault::None;
  });
  EXPECT_FALSE(WriteThreeLines(PathOf("r.csv")));
  ASSERT_EQ(recorder_.problems.size(), 1u);
  EXPECT_EQ(recorder_.problems[0].kind, QORFileProblem::Kind::NotReplaced);
  EXPECT_EQ(QORDescribeFileProblem(recorder_.problems[0]),
            PathOf("r.csv") + " was not saved: a write failed (Input/output error); the previous file is kept");
  EXPECT_EQ(ReadFile("r.csv"), kPrevious);
}

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
  EXPECT_FALSE(WriteThreeLines(PathOf("p.bom")));
  EXPECT_FALSE(WriteThreeLines(PathOf("link.bom")));
  EXPECT_EQ(fs::status(dir_ / "p.bom").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(ReadFile("outside"), "untouched");
  EXPECT_FALSE(fs::is_symlink(dir_ / "link.bom"));
  EXPECT_EQ(ReadFile("link.bom"), kNew);
}

TEST_F(FileReplacementTest, AFileAnotherProcessHoldsIsNotOpenedAndTheProblemIsTold) {
  WriteFile("p.bom", kPrevious);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const int fd = ::open(PathOf("p.bom").c_str(), O_RDONLY);
    ::flock(fd, LOCK_EX);
    [[maybe_unused]] auto n = ::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  QORFSetLockWait(100);
  unsigned int file = 0;
  EXPECT_EQ(QORFOpen(QORUnicodeString(PathOf("p.bom")), "rb", &file), E_FAIL);
  EXPECT_TRUE(WriteThreeLines(PathOf("p.bom")));
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(recorder_.problems.size(), 2u);
  EXPECT_EQ(recorder_.problems[0].kind, QORFileProblem::Kind::HeldByAnotherRun);
  EXPECT_EQ(ReadFile("p.bom"), kPrevious);

  // Once the other process is gone, this one reads, holds and rewrites the file.
  ASSERT_EQ(QORFOpen(QORUnicodeString(PathOf("p.bom")), "rb", &file), S_OK);
  EXPECT_EQ(QORFClose(file), S_OK);
  EXPECT_FALSE(WriteThreeLines(PathOf("p.bom")));
  EXPECT_EQ(ReadFile("p.bom"), kNew);
}

TEST_F(FileReplacementTest, AFileBeyondTheLimitIsNeitherSizedNorRead) {
  { std::ofstream(dir_ / "big.bom"); }
  fs::resize_file(dir_ / "big.bom", static_cast<std::uintmax_t>(QORFMaxReadSize) + 1);  // sparse
  unsigned int file = 0, size = 7;
  ASSERT_EQ(QORFOpen(QORUnicodeString(PathOf("big.bom")), "rb", &file), S_OK);
  EXPECT_EQ(QORFSize(file, &size), E_FAIL);
  EXPECT_EQ(size, 0u);
  QORFClose(file);
  ASSERT_EQ(recorder_.problems.size(), 1u);
  EXPECT_EQ(QORDescribeFileProblem(recorder_.problems[0]),
            PathOf("big.bom") + " is too large to read (268435457 bytes; the limit is 256 MB)");
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
