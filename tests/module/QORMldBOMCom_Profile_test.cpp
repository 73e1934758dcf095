// Profiles of the BOM command: failed writes at close, headers at the edge of the checks, and every refusal.
#include "QORMldBOMFixture.h"

#include <sys/stat.h>

#include "QORDialogToolkit.h"

namespace bomtest {
namespace {

using Access = QORMldBOMComTestAccess;

// A plate with a price, an ejector pin used twice, and a plain part.
const char* const ProfileMoldProducts = R"(
  "plate": {"partNumber": "PLATE", "plate": true, "properties": {"bom": true},
            "parameters": [{"name": "UnitPrice", "type": "real", "value": 120}]},
  "pin": {"partNumber": "PIN", "component": "EjectorPin"},
  "last": {"partNumber": "LAST"})";

const char* const FixedLine = "0;1;2;3;4;5;6;7;8;9;10;\r\n";

class BomProfileTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile("Plate.1:plate Pin.1:pin Pin.2:pin Last.1:last", ProfileMoldProducts));
    report_ = Path("report.bom");
    reference_ = Path("reference.bom");
  }
  // Reads a profile as the dialog's file fields name it.
  HRESULT Read(const std::string& report, const std::string& reference) {
    Dlg().SetReportFile(QORUnicodeString(report));
    Dlg().SetReferenceFile(QORUnicodeString(reference));
    return Command().GetProfile();
  }
  std::string report_;
  std::string reference_;
};

// ---- reading --------------------------------------------------------------------------------

// Refusals of the header that the bad profiles of the end-to-end runs leave out: a header without
// settings, hidden codes past the last column, a position past the columns in use. The file is
// cleared from the dialog and so never overwritten at close.
TEST_F(BomProfileTest, HeaderErrorsStopWithTheirMessageAndProtectTheFile) {
  const std::string settings = "HEADER;\r\nMOLD;0;R;0;1;1;\r\n";
  const std::vector<std::tuple<std::string, std::string, Strings>> cases = {
      {"HEADER;\r\nDATA;\r\n", "ProfileHeaderError", {}},
      {settings + "0;1;2;3;4;5;6;7;8;9;11;\r\nASSOCIATION;\r\n", "ProfileHeaderNumColError", {}},
      {settings + "0;1;2;3;4;5;6;7;8;9;1061;\r\n", "ProfileInvalidFix2", {"11"}},
      {settings + FixedLine + "11;Cost;1;;\r\n1061;Wide;1;;\r\n", "ProfileInvalidAdded", {"5"}},
  };
  for (const auto& [content, key, params] : cases) {
    SCOPED_TRACE(key + " in\n" + content);
    presenter_.messages.clear();
    WriteFile(report_, content);
    Read(report_, "");
    EXPECT_EQ(presenter_.messages, (std::vector<BomMessage>{{"ProfileTitle", key, params, false}}));
    EXPECT_EQ(Dlg().GetReportFile().Utf8(), "");
    Command().ActClose(nullptr);
    EXPECT_EQ(ReadFile(report_), content);
  }
}

// Headers at the edge of the checks that still read without a message and keep the report file.
TEST_F(BomProfileTest, EdgeHeadersAreAccepted) {
  const std::string settings = "HEADER;\r\nMOLD;0;R;0;1;1;\r\n";
  const std::vector<std::pair<std::string, std::vector<int>>> cases = {
      {settings + FixedLine + "1060;Wide;1;;\r\n", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1060}},
      // Only equal codes are duplicates: a shown and a hidden column may name one position.
      {settings + "0;1;2;3;4;5;6;7;8;9;1009;\r\nDATA;\r\n", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1009}},
  };
  for (const auto& [content, positions] : cases) {
    SCOPED_TRACE(content);
    presenter_.messages.clear();
    WriteFile(report_, content);
    Read(report_, "");
    EXPECT_TRUE(presenter_.messages.empty());
    EXPECT_EQ(Integers(Access::ProfileColumnPositions(Command())), positions);
    EXPECT_EQ(Dlg().GetReportFile().Utf8(), report_);
  }
}

// ---- choosing and checking the file ---------------------------------------------------------

const char* const ValidProfile = "HEADER;\r\nMOLD;0;R;0;1;1;\r\n0;1;2;3;4;5;6;7;8;9;10;\r\nDATA;\r\n1;Plate.1; ;\r\n";

struct FileSetup {
  std::string content = ValidProfile;
  // "file" (0644), "readonly", "writeonly", "directory", "huge" (over 4 GiB, sparse) or "missing".
  std::string kind = "file";
};

struct ChoiceCase {
  std::string name;
  std::string report;     // "R", "F" (the reference's own path), "" or a short text
  std::string reference;  // "F", "" or a short text
  FileSetup reportFile;
  FileSetup referenceFile;
  std::deque<bool> answers;
  std::vector<BomMessage> messages;  // params "R" and "F" stand for the two paths
  bool reportKept;
  bool referenceKept;
  int recordsRead;
  HRESULT result = S_OK;
};

BomMessage Warn(const std::string& key, Strings params = {}) { return {"ProfileTitle", key, params, false}; }
BomMessage Ask(const std::string& key, Strings params) { return {"ProfileTitle", key, params, true}; }

const FileSetup Missing{"", "missing"};

class BomProfileChoiceTest : public BomProfileTest {
 protected:
  void Prepare(const std::string& path, const FileSetup& setup) {
    if (setup.kind == "missing") return;
    if (setup.kind == "directory") {
      std::filesystem::create_directories(path);
      return;
    }
    WriteFile(path, setup.content);
    if (setup.kind == "huge") std::filesystem::resize_file(path, 5ull << 30);
    if (setup.kind == "readonly") ::chmod(path.c_str(), 0444);
    if (setup.kind == "writeonly") ::chmod(path.c_str(), 0200);
  }
  std::string Resolve(const std::string& name) {
    if (name == "R") return report_;
    if (name == "F") return reference_;
    return name;
  }
};

TEST_F(BomProfileChoiceTest, EachRefusalShowsItsMessageAndClearsTheFieldItNames) {
  const std::vector<ChoiceCase> cases = {
      {"report read-only", "R", "F", {ValidProfile, "readonly"}, {}, {}, {Warn("ProfileReadOnlyError", {"R"})},
       false, true, 0},
      {"report and reference identical", "F", "F", Missing, {}, {}, {Warn("ProfileIdentical")}, false, true, 0},
      {"copy of the reference fails", "R", "F", {}, Missing, {}, {}, false, true, 0},
      {"report missing, declined: reference read", "R", "F", Missing, {}, {false},
       {Ask("ProfileExistError", {"R"})}, false, true, 1},
      {"report missing, declined, reference missing", "R", "F", Missing, Missing, {false},
       {Ask("ProfileExistError", {"R"}), Warn("ProfileRefExistError", {"F"})}, false, false, 0},
      {"report missing, accepted: reference copied", "R", "F", Missing, {}, {true},
       {Ask("ProfileExistError", {"R"})}, true, true, 1},
      {"report missing, accepted, copy fails", "R", "F", Missing, Missing, {true},
       {Ask("ProfileExistError", {"R"})}, false, true, 0},
      {"only a reference, missing", "", "F", Missing, Missing, {}, {Warn("ProfileRefExistError", {"F"})}, true,
       false, 0},
      {"only a reference", "", "F", Missing, {}, {}, {}, true, true, 1},
      {"only a report, missing, declined", "R", "", Missing, Missing, {false}, {Ask("ProfileExistError", {"R"})},
       false, true, 0},
      {"only a report, missing, accepted", "R", "", Missing, Missing, {true}, {Ask("ProfileExistError", {"R"})},
       true, true, 0},
      {"report read-only, short reference", "R", "F.b", {ValidProfile, "readonly"}, Missing, {},
       {Warn("ProfileReadOnlyError", {"R"})}, false, true, 0},
      {"report not readable", "R", "", {ValidProfile, "writeonly"}, Missing, {},
       {Warn("ProfileWriteOnlyError", {"R"})}, false, true, 0},
      {"reference not readable", "", "F", Missing, {ValidProfile, "writeonly"}, {},
       {Warn("ProfileWriteOnlyError", {"F"})}, true, true, 0},
      {"open fails", "R", "F.b", {"", "directory"}, Missing, {}, {Warn("ProfileOpenError")}, true, true, 0},
      {"content cannot be read", "R", "F.b", {"", "huge"}, Missing, {}, {Warn("ProfileEmpty")}, true, false, 0,
       E_FAIL},
      {"first line is not the header", "R", "F.b", {"HEADER\r\nDATA;\r\n"}, Missing, {}, {Warn("ProfileEmpty")},
       true, false, 0},
      {"empty file", "R", "F.b", {""}, Missing, {}, {}, true, true, 0},
  };
  for (const ChoiceCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
    Prepare(report_, c.reportFile);
    Prepare(reference_, c.referenceFile);
    const std::string referenceBefore = ReadFile(reference_);
    presenter_.messages.clear();
    presenter_.answers = c.answers;
    const std::string report = Resolve(c.report);
    const std::string reference = Resolve(c.reference);

    EXPECT_EQ(Read(report, reference), c.result);

    std::vector<BomMessage> expected = c.messages;
    for (BomMessage& message : expected)
      for (std::string& param : message.params) param = Resolve(param);
    EXPECT_EQ(presenter_.messages, expected);
    EXPECT_EQ(Dlg().GetReportFile().Utf8(), c.reportKept ? report : "");
    EXPECT_EQ(Dlg().GetReferenceFile().Utf8(), c.referenceKept ? reference : "");
    EXPECT_EQ(Access::ProfileInstanceNames(Command()).Size(), c.recordsRead);
    EXPECT_EQ(ReadFile(reference_), referenceBefore) << "a reference profile is never written";
    if (c.name == "report missing, accepted: reference copied") {
      EXPECT_EQ(ReadFile(report_), ValidProfile);
    }
    if (c.name == "only a report, missing, accepted") {
      EXPECT_FALSE(Exists(report_));
    }
    std::error_code ignored;
    std::filesystem::permissions(report_, std::filesystem::perms::owner_all, ignored);
  }
}

}  // namespace
}  // namespace bomtest
