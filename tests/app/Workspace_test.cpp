// The workspace the page's file choosers browse: names that stay inside it and names that do not.
#include "Workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"

namespace moldbom {
namespace {

namespace fs = std::filesystem;

// A workspace with a sub-folder, files of two kinds, a hidden file, and links that lead out.
class WorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root.Path() / "ws" / "reports");
    fs::create_directories(root.Path() / "outside");
    for (const char* file : {"ws/bom.csv", "ws/profile.bom", "ws/.hidden.csv", "ws/reports/old.csv",
                             "outside/secret.csv"})
      Touch(file);
    fs::create_directory_symlink(root.Path() / "outside", root.Path() / "ws" / "door");
    fs::create_symlink(root.Path() / "outside" / "secret.csv", root.Path() / "ws" / "alias.csv");
    Expected<Workspace> opened = Workspace::Open((root.Path() / "ws").string());
    ASSERT_TRUE(opened) << opened.Why();
    workspace.emplace(std::move(opened).Value());
  }

  void Touch(const std::string& relative) { testfiles::WriteFile(root.Path() / relative, "x"); }

  testfiles::TestFolder root;
  std::optional<Workspace> workspace;
};

struct NameCase {
  const char* name;
  const char* why;  // empty: accepted
};

class RefusedNames : public WorkspaceTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(RefusedNames, NeverLeadOutside) {
  const Expected<WorkspacePath> resolved = workspace->ResolveFile(GetParam().name);
  ASSERT_FALSE(resolved) << GetParam().name << " gave " << resolved.Value().forModule;
  EXPECT_NE(resolved.Why().find(GetParam().why), std::string::npos) << resolved.Why();
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, RefusedNames,
    ::testing::Values(NameCase{"../outside/secret.csv", "\"..\" is not allowed"},
                      NameCase{"reports/../../outside/secret.csv", "\"..\" is not allowed"},
                      NameCase{"/etc/passwd", "not from the root"},
                      NameCase{"door/secret.csv", "symbolic link"},
                      NameCase{"door/new.csv", "symbolic link"},
                      NameCase{"alias.csv", "symbolic link"},
                      NameCase{"reports\\..\\..\\x.csv", "use \"/\""},
                      NameCase{"bad\nname.csv", "control characters"},
                      NameCase{"missing/new.csv", "no folder missing"},
                      NameCase{"reports", "not a file"},
                      NameCase{"", "name a file"},
                      NameCase{"./.", "name a file"}));

TEST_F(WorkspaceTest, GivesTheModuleTheNameUnderTheWorkspaceAsTheUserNamedIt) {
  const struct {
    const char* name;
    const char* relative;
  } cases[] = {{"bom.csv", "bom.csv"}, {"./reports//new.csv", "reports/new.csv"}, {"reports/./old.csv", "reports/old.csv"}};
  for (const auto& c : cases) {
    const Expected<WorkspacePath> resolved = workspace->ResolveFile(c.name);
    ASSERT_TRUE(resolved) << c.name << ": " << resolved.Why();
    EXPECT_EQ(resolved.Value().relative, c.relative);
    EXPECT_EQ(resolved.Value().forModule, (root.Path() / "ws").string() + "/" + c.relative);
  }
}

TEST_F(WorkspaceTest, ACurrentFolderWorkspaceGivesRelativeNames) {
  const fs::path before = fs::current_path();
  fs::current_path(root.Path() / "ws");
  const Expected<Workspace> here = Workspace::Open(".");
  fs::current_path(before);
  ASSERT_TRUE(here) << here.Why();
  EXPECT_EQ(here.Value().ResolveFile("reports/new.csv").Value().forModule, "./reports/new.csv");
}

TEST_F(WorkspaceTest, ListsFoldersThenMatchingFilesWithoutHiddenEntriesOrLinks) {
  const Expected<WorkspaceListing> csv = workspace->List("", {"*.csv"});
  ASSERT_TRUE(csv) << csv.Why();
  std::vector<std::string> names;
  for (const WorkspaceEntry& entry : csv.Value().entries) names.push_back((entry.folder ? "folder " : "file ") + entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"folder reports", "file bom.csv"}));

  const Expected<WorkspaceListing> all = workspace->List("reports", {});
  ASSERT_TRUE(all) << all.Why();
  EXPECT_EQ(all.Value().folder, "reports");
  ASSERT_EQ(all.Value().entries.size(), 1u);
  EXPECT_EQ(all.Value().entries[0].name, "old.csv");
}

TEST_F(WorkspaceTest, ListingIsBoundedAndStaysInside) {
  for (int i = 0; i < 5; ++i) Touch("ws/reports/r" + std::to_string(i) + ".csv");
  const Expected<WorkspaceListing> few = workspace->List("reports", {"*.csv"}, 3);
  ASSERT_TRUE(few);
  EXPECT_EQ(few.Value().entries.size(), 3u);
  EXPECT_TRUE(few.Value().truncated);

  for (const char* folder : {"..", "/", "door", "bom.csv", "reports/../.."})
    EXPECT_FALSE(workspace->List(folder, {})) << folder;
  for (const char* pattern : {"*/x", "../*", "*.csv;rm", ""})
    EXPECT_FALSE(workspace->List("", {pattern})) << pattern;
}

TEST(WorkspaceOpen, NeedsAnExistingFolder) {
  EXPECT_FALSE(Workspace::Open("/no/such/folder/anywhere"));
  EXPECT_FALSE(Workspace::Open("/etc/hostname"));
}

}  // namespace
}  // namespace moldbom
