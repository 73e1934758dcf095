// Tests of the host's system services on real files, the real environment and the real clock.
#include "QORSystemServices.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Sets or unsets a variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
    if (name_ == "TZ") ::tzset();
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
    else ::unsetenv(name_.c_str());
    if (name_ == "TZ") ::tzset();
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qorfiles-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }

  QORUnicodeString PathOf(const std::string& name) const { return (dir_ / name).string().c_str(); }
  void WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Reads a whole file the way the profile reader does: size, then one read.
  std::string ReadThroughHandle(const QORUnicodeString& path) const {
    unsigned int handle = 0, size = 0, got = 0;
    EXPECT_EQ(QORFOpen(path, "rb", &handle), S_OK);
    EXPECT_EQ(QORFSize(handle, &size), S_OK);
    std::string content(size + 1, '\0');
    EXPECT_EQ(QORFRead(handle, content.data(), size + 1, &got), S_OK);
    EXPECT_EQ(QORFClose(handle), S_OK);
    content.resize(got);
    return content;
  }

  fs::path dir_;
};

TEST_F(FileServicesTest, WrittenBytesComeBackWithTheirSize) {
  const std::string lines = "HEADER;\r\nDATA;\r\n\xC3\xA9;\r\n";
  unsigned int handle = 0, written = 0;
  ASSERT_EQ(QORFOpen(PathOf("a.bom"), "w+b", &handle), S_OK);
  EXPECT_GT(handle, 0u);
  EXPECT_EQ(QORFWrite(handle, lines.data(), static_cast<unsigned>(lines.size()), &written), S_OK);
  EXPECT_EQ(written, lines.size());
  unsigned int size = 0;
  EXPECT_EQ(QORFSize(handle, &size), S_OK);
  EXPECT_EQ(size, lines.size());
  EXPECT_EQ(QORFClose(handle), S_OK);

  EXPECT_EQ(ReadThroughHandle(PathOf("a.bom")), lines);
}

TEST_F(FileServicesTest, WriteModeTruncatesAndHandlesAreReused) {
  WriteFile("old.bom", "a much longer former content");
  unsigned int first = 0, second = 0;
  ASSERT_EQ(QORFOpen(PathOf("old.bom"), "w+b", &first), S_OK);
  ASSERT_EQ(QORFOpen(PathOf("other"), "w+b", &second), S_OK);
  EXPECT_NE(first, second);
  EXPECT_EQ(QORFWrite(first, "new", 3, nullptr), S_OK);
  EXPECT_EQ(QORFClose(first), S_OK);
  EXPECT_EQ(ReadFile("old.bom"), "new");

  unsigned int again = 0;
  ASSERT_EQ(QORFOpen(PathOf("old.bom"), "rb", &again), S_OK);
  EXPECT_EQ(again, first);
  EXPECT_EQ(QORFClose(again), S_OK);
  EXPECT_EQ(QORFClose(second), S_OK);
}

TEST_F(FileServicesTest, OpenFailsWithoutAHandle) {
  fs::create_directory(dir_ / "sub");
  WriteFile("present", "x");
  struct Case {
    std::string name;
    const char* mode;
  };
  const std::vector<Case> cases = {
      {"missing", "rb"},          {"sub", "rb"},     {"sub", "w+b"}, {"no/such/dir/f", "w+b"},
      {"present", "q"},           {"present", ""},   {"present", nullptr},
  };
  for (const Case& c : cases) {
    unsigned int handle = 99;
    EXPECT_EQ(QORFOpen(PathOf(c.name), c.mode, &handle), E_FAIL) << c.name << " " << (c.mode ? c.mode : "null");
    EXPECT_EQ(handle, 0u);
  }
}

TEST_F(FileServicesTest, WritesThatCannotCompleteFail) {
  WriteFile("in", "content");
  unsigned int readOnly = 0, written = 7;
  ASSERT_EQ(QORFOpen(PathOf("in"), "rb", &readOnly), S_OK);
  EXPECT_EQ(QORFWrite(readOnly, "x", 1, &written), E_FAIL);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(QORFClose(readOnly), S_OK);

  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to simulate a full disk";
  unsigned int full = 0;
  ASSERT_EQ(QORFOpen("/dev/full", "w+b", &full), S_OK);
  EXPECT_EQ(QORFWrite(full, "HEADER;\r\n", 9, nullptr), E_FAIL);
  EXPECT_EQ(QORFClose(full), S_OK);
}

TEST_F(FileServicesTest, ClosedOrUnknownHandlesAreRefused) {
  unsigned int handle = 0, size = 0;
  char byte = 0;
  ASSERT_EQ(QORFOpen(PathOf("f"), "w+b", &handle), S_OK);
  ASSERT_EQ(QORFClose(handle), S_OK);
  for (unsigned int h : {handle, 0u, 4711u}) {
    EXPECT_EQ(QORFClose(h), E_FAIL) << h;
    EXPECT_EQ(QORFRead(h, &byte, 1, nullptr), E_FAIL) << h;
    EXPECT_EQ(QORFWrite(h, &byte, 1, nullptr), E_FAIL) << h;
    EXPECT_EQ(QORFSize(h, &size), E_FAIL) << h;
  }
}

TEST_F(FileServicesTest, CopyReplacesTheTargetBytes) {
  WriteFile("ref.bom", "HEADER;\r\n");
  WriteFile("mine.bom", "an older and longer profile");
  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("mine.bom"), 0), S_OK);
  EXPECT_EQ(ReadFile("mine.bom"), "HEADER;\r\n");

  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("new.bom"), 0), S_OK);
  EXPECT_EQ(ReadFile("new.bom"), "HEADER;\r\n");

  EXPECT_EQ(QORFCopy(PathOf("missing.bom"), PathOf("x.bom"), 0), E_FAIL);
  EXPECT_FALSE(fs::exists(dir_ / "x.bom"));
  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("no/dir/x.bom"), 0), E_FAIL);
}

TEST_F(FileServicesTest, CopyOntoItselfKeepsTheContent) {
  WriteFile("p.bom", "HEADER;\r\n");
  fs::create_directory(dir_ / "sub");
  EXPECT_EQ(QORFCopy(PathOf("p.bom"), PathOf("sub/../p.bom"), 0), S_OK);
  EXPECT_EQ(ReadFile("p.bom"), "HEADER;\r\n");
}

TEST_F(FileServicesTest, CopyMayBeAskedToKeepAnExistingTarget) {
  WriteFile("ref.bom", "reference");
  WriteFile("mine.bom", "mine");
  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("mine.bom"), QORFCopyKeepTarget), E_FAIL);
  EXPECT_EQ(ReadFile("mine.bom"), "mine");
}

TEST_F(FileServicesTest, CopyOfAReadOnlyReferenceIsWritable) {
  WriteFile("ref.bom", "HEADER;\r\n");
  fs::permissions(dir_ / "ref.bom", fs::perms::owner_read | fs::perms::group_read);
  ASSERT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("mine.bom"), 0), S_OK);
  EXPECT_EQ(QORFileAccess(PathOf("mine.bom"), QORFileWritable), 0);
}

TEST_F(FileServicesTest, AccessTestsFollowThePermissionBits) {
  using fs::perms;
  WriteFile("rw", "x");
  WriteFile("ro", "x");
  WriteFile("wo", "x");
  fs::permissions(dir_ / "ro", perms::owner_read | perms::group_read | perms::others_read);
  fs::permissions(dir_ / "wo", perms::owner_write);
  // Without any permission bit the verdict holds for the superuser too, so this runs as root.
  struct Case {
    std::string name;
    int mode;
    int expected;
  };
  const std::vector<Case> cases = {
      {"rw", QORFileExists, 0},   {"rw", QORFileWritable, 0}, {"rw", QORFileReadable, 0},
      {"ro", QORFileWritable, -1}, {"ro", QORFileReadable, 0}, {"wo", QORFileReadable, -1},
      {"wo", QORFileWritable, 0}, {"missing", QORFileExists, -1}, {"rw", -1, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(QORFileAccess(PathOf(c.name), c.mode), c.expected) << c.name << " mode " << c.mode;
}

TEST_F(FileServicesTest, DeleteRemovesOnlyWhatExists) {
  WriteFile("gone", "x");
  EXPECT_EQ(QORDeleteFile(PathOf("gone")), S_OK);
  EXPECT_EQ(QORFileAccess(PathOf("gone"), QORFileExists), -1);
  EXPECT_EQ(QORDeleteFile(PathOf("gone")), E_FAIL);
}

TEST_F(FileServicesTest, RealPathResolvesDotsAndNeedsAnExistingFile) {
  WriteFile("p.bom", "x");
  fs::create_directory(dir_ / "sub");
  QORUnicodeString real = "stale";
  ASSERT_EQ(QORGetRealPath(PathOf("sub/../p.bom"), real), S_OK);
  EXPECT_EQ(real.Utf8(), fs::canonical(dir_ / "p.bom").string());
  EXPECT_EQ(QORGetRealPath(PathOf("nothing.bom"), real), E_FAIL);
  EXPECT_TRUE(real.IsEmpty());
}

// --- tokenizer ---------------------------------------------------------------------------------

struct TokenCase {
  const char* text;
  const char* separators;
  std::vector<std::string> tokens;
};

class TokenizerTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenizerTest, YieldsTheRunsBetweenSeparators) {
  const TokenCase& c = GetParam();
  QORToken tokenizer(c.text);
  std::vector<std::string> got;
  for (QORUnicodeString t = tokenizer.GetNextToken(c.separators); !t.IsEmpty();
       t = tokenizer.GetNextToken(c.separators))
    got.push_back(t.Utf8());
  EXPECT_EQ(got, c.tokens);
  EXPECT_TRUE(tokenizer.GetNextToken(c.separators).IsEmpty()) << "an exhausted tokenizer stays so";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TokenizerTest,
    ::testing::Values(
        TokenCase{"a;b;c;", ";", {"a", "b", "c"}}, TokenCase{";;a;;;b;;", ";", {"a", "b"}},
        TokenCase{"", ";", {}}, TokenCase{";;;", ";", {}}, TokenCase{"abc", ";", {"abc"}},
        TokenCase{"abc", "", {"abc"}},
        TokenCase{"HEADER;\r\n\r\nDATA;\r\n", "\r\n", {"HEADER;", "DATA;"}},
        TokenCase{" ; x ;", ";", {" ", " x "}},
        TokenCase{"\xC3\xA9;\xC3\xBC", ";", {"\xC3\xA9", "\xC3\xBC"}},
        // e-acute and e-grave share their first byte: only whole characters separate.
        TokenCase{"a\xC3\xA9" "b", "\xC3\xA8", {"a\xC3\xA9" "b"}},
        TokenCase{"a\xE2\x82\xAC" "b", "\xE2\x82\xAC", {"a", "b"}}));

// --- environment and user ----------------------------------------------------------------------

TEST(EnvironmentTest, ValuesAreCopiesAndUnsetIsAFailure) {
  ScopedEnv guard("QOR_TEST_VALUE", nullptr);
  char sentinel = 0;
  char* value = &sentinel;
  EXPECT_EQ(QORGetEnvValue("QOR_TEST_VALUE", &value), E_FAIL);
  EXPECT_EQ(value, nullptr);

  QORSetEnvValue("QOR_TEST_VALUE", "/tmp/a b.bom");
  ASSERT_EQ(QORGetEnvValue("QOR_TEST_VALUE", &value), S_OK);
  EXPECT_STREQ(value, "/tmp/a b.bom");
  std::free(value);

  QORSetEnvValue("QOR_TEST_VALUE", "");
  ASSERT_EQ(QORGetEnvValue("QOR_TEST_VALUE", &value), S_OK);
  EXPECT_STREQ(value, "");
  std::free(value);

  QORUnsetEnvValue("QOR_TEST_VALUE");
  EXPECT_EQ(QORGetEnvValue("QOR_TEST_VALUE", &value), E_FAIL);
  EXPECT_EQ(QORGetEnvValue(nullptr, &value), E_FAIL);
}

TEST(EnvironmentTest, LoginNameComesFromTheSessionAndMustFit) {
  ScopedEnv user("USER", "moldmaker");
  char buffer[259];
  ASSERT_EQ(QORGetLoginName(buffer, sizeof buffer), S_OK);
  EXPECT_STREQ(buffer, "moldmaker");
  EXPECT_NE(QORGetLoginName(buffer, 9), S_OK) << "no room for the terminator";
  EXPECT_STREQ(buffer, "");
  EXPECT_NE(QORGetLoginName(nullptr, 10), S_OK);

  ScopedEnv noUser("USER", nullptr);
  ScopedEnv noLogname("LOGNAME", nullptr);
  ASSERT_EQ(QORGetLoginName(buffer, sizeof buffer), S_OK) << "the password entry remains";
  EXPECT_STRNE(buffer, "");
}

// --- time ----------------------------------------------------------------------------------------

TEST(TimeTest, SourceDateEpochFixesNowInTheLocalZone) {
  ScopedEnv zone("TZ", "UTC");
  struct Case {
    const char* epoch;
    const char* format;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"0", "%Y-%m-%d %H:%M:%S", "1970-01-01 00:00:00"},
      {"1700000000", "%Y-%m-%d %H:%M:%S", "2023-11-14 22:13:20"},
      {"1700000000", "%c", "Tue Nov 14 22:13:20 2023"},
      {"1700000000", "", ""},
  };
  for (const Case& c : cases) {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", c.epoch);
    EXPECT_EQ(QORTime().ConvertToString(c.format, 0).Utf8(), c.expected) << c.epoch << " " << c.format;
  }

  ScopedEnv paris("TZ", "CET-1");
  EXPECT_EQ(QORTime(0).ConvertToString("%H:%M", 0).Utf8(), "01:00");
}

TEST(TimeTest, AnEpochThatIsNoNumberMeansNow) {
  for (const char* epoch : {"soon", "12abc", "-5", ""}) {
    ScopedEnv guard("SOURCE_DATE_EPOCH", epoch);
    const std::time_t before = std::time(nullptr);
    const std::time_t now = QORTime().Instant();
    EXPECT_GE(now, before) << epoch;
    EXPECT_LE(now, std::time(nullptr)) << epoch;
  }
}

}  // namespace
