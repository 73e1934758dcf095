// Tests of the host's system services on real files, the real environment and the real clock.
#include "QORSystemServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qorfiles-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::create_directory(dir_ / "sub");
  }
  void TearDown() override { fs::remove_all(dir_); }

  QORUnicodeString PathOf(const std::string& name) const { return (dir_ / name).string(); }
  void WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  // Reads a whole file as the profile reader does: its size, then one read of one byte more.
  std::string ReadBack(const std::string& name) const {
    unsigned int handle = 0, size = 0, got = 0;
    EXPECT_EQ(QORFOpen(PathOf(name), "rb", &handle), S_OK) << name;
    EXPECT_EQ(QORFSize(handle, &size), S_OK);
    std::string content(size + 1, '\0');
    EXPECT_EQ(QORFRead(handle, content.data(), size + 1, &got), S_OK);
    EXPECT_EQ(QORFClose(handle), S_OK);
    return content.substr(0, got);
  }

  fs::path dir_;
};

TEST_F(FileServicesTest, WrittenBytesComeBackAndWriteModeTruncates) {
  WriteFile("a.bom", "a much longer former content");
  const std::string lines = "HEADER;\r\nDATA;\r\n\xC3\xA9;\r\n";
  unsigned int handle = 0, written = 0;
  ASSERT_EQ(QORFOpen(PathOf("a.bom"), "w+b", &handle), S_OK);
  EXPECT_EQ(QORFWrite(handle, lines.data(), static_cast<unsigned>(lines.size()), &written), S_OK);
  EXPECT_EQ(written, lines.size());
  EXPECT_EQ(QORFClose(handle), S_OK);
  EXPECT_EQ(ReadBack("a.bom"), lines);
}

TEST_F(FileServicesTest, AClosedOrUnknownHandleIsRefused) {
  unsigned int closed = 0, size = 0;
  char byte = 0;
  ASSERT_EQ(QORFOpen(PathOf("f"), "w+b", &closed), S_OK);
  ASSERT_EQ(QORFClose(closed), S_OK);
  for (unsigned int h : {closed, 0u, 4711u}) {
    EXPECT_EQ(QORFClose(h), E_FAIL) << h;
    EXPECT_EQ(QORFRead(h, &byte, 1, nullptr), E_FAIL) << h;
    EXPECT_EQ(QORFWrite(h, &byte, 1, nullptr), E_FAIL) << h;
    EXPECT_EQ(QORFSize(h, &size), E_FAIL) << h;
  }
}

TEST_F(FileServicesTest, OpenFailsWithoutAHandle) {
  WriteFile("present", "x");
  const std::vector<std::pair<std::string, const char*>> cases = {
      {"missing", "rb"}, {"sub", "rb"},   {"sub", "w+b"},       {"no/dir/f", "w+b"},
      {"present", "q"},  {"present", ""}, {"present", nullptr},
  };
  for (const auto& [name, mode] : cases) {
    unsigned int handle = 99;
    EXPECT_EQ(QORFOpen(PathOf(name), mode, &handle), E_FAIL)
        << name << " " << (mode ? mode : "null");
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

  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to stand for a full disk";
  unsigned int full = 0;
  ASSERT_EQ(QORFOpen("/dev/full", "w+b", &full), S_OK);
  EXPECT_EQ(QORFWrite(full, "HEADER;\r\n", 9, nullptr), E_FAIL);
  EXPECT_EQ(QORFClose(full), S_OK);
}

TEST_F(FileServicesTest, CopyReplacesTheTargetBytes) {
  WriteFile("ref.bom", "HEADER;\r\n");
  WriteFile("mine.bom", "an older and longer profile");
  fs::permissions(dir_ / "ref.bom", fs::perms::owner_read);
  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("mine.bom"), 0), S_OK);
  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("new.bom"), 0), S_OK);
  EXPECT_EQ(ReadBack("mine.bom"), "HEADER;\r\n");
  EXPECT_EQ(ReadBack("new.bom"), "HEADER;\r\n");
  EXPECT_EQ(QORFileAccess(PathOf("new.bom"), QORFileWritable), 0) << "a read-only reference's copy";

  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("sub/../ref.bom"), 0), S_OK) << "onto itself";
  EXPECT_EQ(ReadBack("ref.bom"), "HEADER;\r\n");
  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("mine.bom"), QORFCopyKeepTarget), E_FAIL);
  EXPECT_EQ(QORFCopy(PathOf("missing.bom"), PathOf("x.bom"), 0), E_FAIL);
  EXPECT_EQ(QORFCopy(PathOf("ref.bom"), PathOf("no/dir/x.bom"), 0), E_FAIL);
  EXPECT_FALSE(fs::exists(dir_ / "x.bom"));
}

TEST_F(FileServicesTest, AccessTestsFollowThePermissionBits) {
  using fs::perms;
  for (const char* name : {"rw", "ro", "wo"}) WriteFile(name, "x");
  fs::permissions(dir_ / "ro", perms::owner_read | perms::group_read | perms::others_read);
  fs::permissions(dir_ / "wo", perms::owner_write);
  // Files without any permission bit of a kind give the same verdict to the superuser.
  const std::vector<std::tuple<const char*, int, int>> cases = {
      {"rw", QORFileExists, 0},    {"rw", QORFileWritable, 0},     {"rw", QORFileReadable, 0},
      {"ro", QORFileWritable, -1}, {"ro", QORFileReadable, 0},     {"wo", QORFileReadable, -1},
      {"wo", QORFileWritable, 0},  {"missing", QORFileExists, -1}, {"rw", -1, -1},
  };
  for (const auto& [name, mode, expected] : cases)
    EXPECT_EQ(QORFileAccess(PathOf(name), mode), expected) << name << " mode " << mode;
}

TEST_F(FileServicesTest, DeleteAndRealPathNeedAnExistingFile) {
  WriteFile("p.bom", "x");
  QORUnicodeString real = "stale";
  ASSERT_EQ(QORGetRealPath(PathOf("sub/../p.bom"), real), S_OK);
  EXPECT_EQ(real.Utf8(), fs::canonical(dir_ / "p.bom").string());

  EXPECT_EQ(QORDeleteFile(PathOf("p.bom")), S_OK);
  EXPECT_EQ(QORFileAccess(PathOf("p.bom"), QORFileExists), -1);
  EXPECT_EQ(QORDeleteFile(PathOf("p.bom")), E_FAIL);
  EXPECT_EQ(QORGetRealPath(PathOf("p.bom"), real), E_FAIL);
  EXPECT_TRUE(real.IsEmpty());
}

struct TokenCase { const char* text; const char* separators; std::vector<std::string> tokens; };

class TokenizerTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenizerTest, YieldsTheRunsBetweenSeparators) {
  const TokenCase& c = GetParam();
  QORToken tokenizer(c.text);
  std::vector<std::string> got;
  for (QORUnicodeString t; !(t = tokenizer.GetNextToken(c.separators)).IsEmpty();)
    got.push_back(t.Utf8());
  EXPECT_EQ(got, c.tokens);
  EXPECT_TRUE(tokenizer.GetNextToken(c.separators).IsEmpty()) << "an exhausted tokenizer stays so";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TokenizerTest,
    ::testing::Values(TokenCase{"a;b;c;", ";", {"a", "b", "c"}},
                      TokenCase{";;a;;;b;;", ";", {"a", "b"}}, TokenCase{"", ";", {}},
                      TokenCase{";;;", ";", {}}, TokenCase{"abc", "", {"abc"}},
                      TokenCase{"HEADER;\r\n\r\nDATA;\r\n", "\r\n", {"HEADER;", "DATA;"}},
                      TokenCase{" ; x ;", ";", {" ", " x "}},
                      // e-acute and e-grave share their first byte: only whole characters split.
                      TokenCase{"a\xC3\xA9z", "\xC3\xA8", {"a\xC3\xA9z"}},
                      TokenCase{"a\xE2\x82\xAC-", "\xE2\x82\xAC", {"a", "-"}}));

TEST(EnvironmentTest, ValuesAreCopiesAndUnsetIsAFailure) {
  char sentinel = 0;
  char* value = &sentinel;
  for (const char* set : {"/tmp/a b.bom", ""}) {
    QORSetEnvValue("QOR_TEST_VALUE", set);
    ASSERT_EQ(QORGetEnvValue("QOR_TEST_VALUE", &value), S_OK);
    EXPECT_STREQ(value, set);
    std::free(value);
  }
  QORUnsetEnvValue("QOR_TEST_VALUE");
  EXPECT_EQ(QORGetEnvValue("QOR_TEST_VALUE", &value), E_FAIL);
  EXPECT_EQ(value, nullptr);
}

TEST(EnvironmentTest, LoginNameComesFromTheSessionAndMustFit) {
  char buffer[259];
  QORSetEnvValue("USER", "moldmaker");
  ASSERT_EQ(QORGetLoginName(buffer, sizeof buffer), S_OK);
  EXPECT_STREQ(buffer, "moldmaker");
  EXPECT_NE(QORGetLoginName(buffer, 9), S_OK) << "no room for the terminator";
  EXPECT_STREQ(buffer, "");
  QORUnsetEnvValue("USER");
  QORUnsetEnvValue("LOGNAME");
  ASSERT_EQ(QORGetLoginName(buffer, sizeof buffer), S_OK) << "the password entry remains";
  EXPECT_STRNE(buffer, "");
}

TEST(TimeTest, SourceDateEpochFixesNowInTheLocalZone) {
  QORSetEnvValue("TZ", "UTC");
  ::tzset();
  const std::vector<std::tuple<const char*, const char*, const char*>> cases = {
      {"0", "%Y-%m-%d %H:%M:%S", "1970-01-01 00:00:00"},
      {"1700000000", "%c", "Tue Nov 14 22:13:20 2023"},
  };
  for (const auto& [epoch, format, expected] : cases) {
    QORSetEnvValue("SOURCE_DATE_EPOCH", epoch);
    EXPECT_EQ(QORTime().ConvertToString(format, 0).Utf8(), expected) << epoch << " " << format;
  }
  for (const char* notANumber : {"soon", "12abc", "-5", ""}) {
    QORSetEnvValue("SOURCE_DATE_EPOCH", notANumber);
    const std::time_t before = std::time(nullptr);
    EXPECT_GE(QORTime().Instant(), before) << notANumber << " means now";
  }
  QORUnsetEnvValue("SOURCE_DATE_EPOCH");
  QORSetEnvValue("TZ", "CET-1");
  ::tzset();
  EXPECT_EQ(QORTime(0).ConvertToString("%H:%M", 0).Utf8(), "01:00");
  QORUnsetEnvValue("TZ");
  ::tzset();
}

}  // namespace
