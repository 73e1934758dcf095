// Tests of the host's message catalogs, their parameters, a missing or failing presenter, and of the
// catalogs the application ships.
#include "QORMessages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

TEST(CatalogParseTest, ReadsKeysTextsAndEscapes) {
  const auto parsed = QORCatalogTexts::Parse(
      "\xEF\xBB\xBF# comment\r\n\r\nPlain = \"Tooling Profile\"\r\n  Spaced.Key_2=\"x\"   \n"
      "   # indented comment\nEscapes = \"say \\\"hi\\\"\\nC:\\\\dir\"\nEmpty = \"\"",
      "t.messages");
  ASSERT_TRUE(parsed) << parsed.Error().Message();
  const std::map<std::string, std::string, std::less<>> expected = {
      {"Plain", "Tooling Profile"},
      {"Spaced.Key_2", "x"},
      {"Escapes", "say \"hi\"\nC:\\dir"},
      {"Empty", ""}};
  EXPECT_EQ(parsed.Value().Entries(), expected);
}

struct BadCatalog { const char* content; int line; const char* problem; };

class CatalogParseErrorTest : public ::testing::TestWithParam<BadCatalog> {};

TEST_P(CatalogParseErrorTest, NamesFileLineAndProblem) {
  const BadCatalog& c = GetParam();
  const auto parsed = QORCatalogTexts::Parse(c.content, "bad.messages");
  ASSERT_FALSE(parsed) << c.content;
  EXPECT_EQ(parsed.Error().line, c.line);
  EXPECT_THAT(parsed.Error().what, HasSubstr(c.problem));
  EXPECT_THAT(parsed.Error().Message(),
              HasSubstr("bad.messages:" + std::to_string(c.line) + ": "));
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, CatalogParseErrorTest,
    ::testing::Values(BadCatalog{"A = \"x\"\nB \"y\"\n", 2, "expected '=' after the key 'B'"},
                      BadCatalog{"# c\n= \"x\"", 2, "must start with a key"},
                      BadCatalog{"Key-1 = \"x\"", 1, "expected '='"},
                      BadCatalog{"A = x", 1, "double quotes"},
                      BadCatalog{"A = \"x", 1, "missing closing double quote"},
                      BadCatalog{"A = \"x\\\"", 1, "missing closing double quote"},
                      BadCatalog{"A = \"tab\\there\"", 1, "unknown escape '\\t'"},
                      BadCatalog{"A = \"x\" y", 1, "after the closing double quote"},
                      BadCatalog{"A = \"x\"\n\n# c\nA = \"y\"", 4, "already defined on line 1"},
                      BadCatalog{"A = \"ok\"\r\nB = \"\xC3\"", 2, "not valid UTF-8"}));

struct Substitution { const char* text; std::vector<QORUnicodeString> params; const char* expected; };

class ParameterTest : public ::testing::TestWithParam<Substitution> {};

TEST_P(ParameterTest, SlotsTakeTheirParameter) {
  const Substitution& c = GetParam();
  const int count = static_cast<int>(c.params.size());
  EXPECT_EQ(QORSubstituteParameters(c.text, c.params.data(), count), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Slots, ParameterTest,
    ::testing::Values(
        Substitution{"Profile /p1 is read-only.", {"/a.bom"}, "Profile /a.bom is read-only."},
        Substitution{"/p2 before /p1", {"one", "two"}, "two before one"},
        Substitution{"line /p2", {"x"}, "line /p2"},
        Substitution{"/p0 /p /pa /p10", {"x"}, "/p0 /p /pa /p10"},
        Substitution{"/p1/p2", {"/p2", "B"}, "/p2B"}));

// A resource directory of its own holding the catalog "Test".
class CatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir_ / "catalogs");
    QORSetResourceDirectory(dir_.string());
    QORForgetCatalogs();
    Write("Test.messages", "Title = \"Test Title\"\nHello = \"Hello /p1, line /p2\"\n");
  }
  void TearDown() override {
    QORSetResourceDirectory("");
    QORForgetCatalogs();
  }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / "catalogs" / name, std::ios::binary) << content;
  }

  testfiles::TestFolder folder_{"qorcatalogs-"};
  const fs::path& dir_ = folder_.Path();
};

TEST_F(CatalogTest, AMalformedCatalogFailsAndSaysWhere) {
  Write("Broken.messages", "Good = \"x\"\n\nBad = 'x'\n");
  const auto loaded = QORLoadCatalog("Broken");
  ASSERT_FALSE(loaded);
  EXPECT_EQ(loaded.Error().file, (dir_ / "catalogs" / "Broken.messages").string());
  EXPECT_EQ(loaded.Error().line, 3);
  EXPECT_EQ(QORTlgErrorServices::BuildMessage("Broken", "Good").Utf8(), "Broken.Good");
  EXPECT_FALSE(QORLoadCatalog("../Test")) << "a name cannot leave the catalog directory";
}

// A presenter whose driver has gone: every question throws.
class GonePresenter : public QORPresenter {
 public:
  void ShowWarning(const QORMessageBox&) override {}
  bool AskConfirmation(const QORMessageBox&) override { throw std::runtime_error("driver gone"); }
  void ReportCheckFailure(const std::string&, const std::string&, int) override {}
  void ReportFileProblem(const QORFileProblem&) override {}
};

TEST_F(CatalogTest, AFailingPresenterAnswersNoAndThrowsNothing) {
  GonePresenter presenter;
  QORPresenterScope scope(&presenter);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(QORTlgErrorServices::DisplayWarningConfirmation("Test", "Title", "Hello"), FALSE);
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("driver gone"));
}

TEST_F(CatalogTest, WithoutAPresenterAllGoesToStandardErrorAndTheAnswerIsNo) {
  QORPresenterScope none(nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(QORTlgErrorServices::DisplayWarning("Test", "Title", "Hello"), S_OK);
  EXPECT_EQ(QORTlgErrorServices::DisplayWarningConfirmation("Test", "Title", "Title"), FALSE);
  QORSysCheckFailure("x != 0", "file", 12);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(err, HasSubstr("Test Title: Hello /p1, line /p2"));
  EXPECT_THAT(err, HasSubstr("Test Title: Test Title -> no"));
  EXPECT_THAT(err, HasSubstr("x != 0 (file:12)"));
}

// The catalogs of the source tree, found through the built-in directory: a key missing there shows
// the user its bare name instead of a text.
TEST(ShippedCatalogTest, EveryKeyTheModuleUsesHasAText) {
  ::unsetenv("MOLDBOM_RESOURCES");
  QORSetResourceDirectory("");
  QORForgetCatalogs();
  // Messages given a path, a line or a field number show it.
  const std::vector<std::string> withParameter = {
      "ProfileReadOnlyError", "ProfileExistError",   "ProfileRefExistError", "ProfileWriteOnlyError",
      "ProfileInvalidFix2",   "ProfileInvalidAdded", "ProfileInvalidAdded2", "ProfileInvalidAdded3",
      "ProfileInvalidAdded4"};
  const struct { const char* catalog; QORCatalogKind kind; std::vector<std::string> keys; } catalogs[] = {
      {"QORMldBOMCom", QORCatalogKind::Messages,
       {"ProfileTitle", "CsvTitle", "ProfileTitle2", "ProfileIdentical", "ProfileOpenError", "ProfileEmpty",
        "ProfileHeaderError", "ProfileHeaderNumColError", "ProfileInvalidSortType", "ProfileInvalidKeep",
        "ProfileInvalidNbrMode", "ProfileInvalidFix", "ProfileWriteError", "ProfileDirError",
        "ProfileChangeNbrMode", "CsvOpenError", "CsvWriteError", "SourceUnknown", "SourceMade", "SourceBought",
        "ComputeDateTitle", "ProjectTitle", "OwnerTitle"}},
      {"QORMldBOMCom", QORCatalogKind::Messages, withParameter},
      {"QORMldBOMDlg", QORCatalogKind::Messages,
       {"TitleNUMBER", "TitleQUANTITY", "TitlePARTNUMBER", "TitleREFERENCE", "TitleMOLDREFERENCE",
        "TitleSUPPLIER", "TitleMATERIAL", "TitleSOURCE", "TitleHEATTREAT", "TitleUNITPRICE", "TitlePRICE",
        "TitleProfileSelection", "TitleRefProfileSelection", "TitleProfileDescription"}},
      {"QORMldBOMDlg", QORCatalogKind::Resources,
       {"QORMldBOMDlg", "LbProdSel", "CheckSort", "PushFileOpen", "PushOpenRefProf", "LbMode", "RadioInteger",
        "RadioLetter", "LbIntStart", "LbIntIncr", "LbExisting", "RadioKeep", "RadioReplace", "CheckEditable",
        "PushAdd", "PushAddUser", "PushRename", "PushDelete", "PushHide", "PushDisplay", "PushAnalyze",
        "LbTotalPrice", "PushLeft", "PushRight"}}};
  for (const auto& [name, kind, keys] : catalogs) {
    const auto catalog = QORLoadCatalog(name, kind);
    ASSERT_TRUE(catalog) << catalog.Error().Message();
    for (const std::string& key : keys) {
      const std::string* text = catalog.Value()->Find(key);
      EXPECT_TRUE(text && !text->empty()) << name << " lacks " << key;
    }
  }
  for (const std::string& key : withParameter) {
    const QORUnicodeString param[] = {"<P>"};
    EXPECT_THAT(QORTlgErrorServices::BuildMessage("QORMldBOMCom", key.c_str(), param, 1).Utf8(), HasSubstr("<P>"))
        << key;
  }
}

}  // namespace
