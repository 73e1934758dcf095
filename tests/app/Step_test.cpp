// CAD assemblies end to end: the hand-written fixture as `show` prints it, and the shared public
// assemblies through `report` (quantities, a priced catalogue, keep mode on a revision).
#include "ReportCommand.h"
#include "ShowCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "TestFiles.h"

namespace moldbom {
namespace {

namespace fs = std::filesystem;
using testfiles::ReadFile;
using testfiles::WriteFile;

const fs::path kSharedStep = MOLDBOM_SHARED_STEP_DIR;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ';');) fields.push_back(field);
  return fields;
}

// The data lines of a CSV report as fields, keyed by part number (each part once).
struct CsvLine {
  std::string number;
  int quantity = 0;
  std::vector<std::string> fields;
};

class StepTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = testfiles::TestScratchFolder("moldbom-step-"); }

  // Runs report and returns the CSV's lines by part number, quantities added up.
  std::map<std::string, CsvLine> Report(ReportOptions options) {
    options.csvPath = (dir / "bom.csv").string();
    options.yes = true;
    std::ostringstream out, err;
    EXPECT_EQ(RunReport(options, CommandStreams{out, err}), 0) << err.str();
    std::map<std::string, CsvLine> lines;
    const std::vector<std::string> csv = testfiles::Lines(ReadFile(dir / "bom.csv"));
    for (std::size_t i = 3; i < csv.size(); ++i) {
      const std::vector<std::string> fields = Fields(csv[i]);
      if (fields.size() < 11 || fields[0].empty()) continue;
      CsvLine& entry = lines[fields[2]];
      entry.number = fields[0];
      entry.quantity += std::stoi(fields[1]);
      entry.fields = fields;
    }
    return lines;
  }

  fs::path dir;
};

// The public assemblies are read where they lie, never copied in; without them these tests skip.
class SharedStepTest : public StepTest {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kSharedStep)) GTEST_SKIP() << "no shared CAD assemblies at " << kSharedStep;
    StepTest::SetUp();
  }
};

TEST_F(StepTest, ShowPrintsTheFixtureWithEveryNameMadeValid) {
  std::ostringstream out, err;
  ShowOptions options;
  options.moldPath = MOLDBOM_TEST_DATA "/step/fixture.stp";
  ASSERT_EQ(RunShow(options, CommandStreams{out, err}), 0) << err.str();
  EXPECT_EQ(out.str(), ReadFile(MOLDBOM_TEST_DATA "/step/fixture.show"));
}

TEST_F(SharedStepTest, ReportQuantitiesAddUpToTheExpectedOnes) {
  for (const fs::directory_entry& entry : fs::directory_iterator(kSharedStep)) {
    if (entry.path().extension() != ".expected") continue;
    fs::path mold;
    for (const char* extension : {".stp", ".step", ".STEP"})
      if (fs::exists(fs::path(entry.path()).replace_extension(extension))) mold = fs::path(entry.path()).replace_extension(extension);
    ASSERT_FALSE(mold.empty()) << entry.path();
    ReportOptions options;
    options.moldPath = mold.string();
    const std::map<std::string, CsvLine> lines = Report(options);
    std::istringstream expected(ReadFile(entry.path()));
    for (std::string line; std::getline(expected, line);) {
      const std::size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      const std::string part = line.substr(0, tab);
      const auto found = lines.find(part);
      ASSERT_NE(found, lines.end()) << mold.filename() << ": no line for " << part;
      EXPECT_EQ(found->second.quantity, std::stoi(line.substr(tab + 1))) << mold.filename() << ": " << part;
    }
  }
}

TEST_F(SharedStepTest, ACatalogueGivesSupplierAndPriceToTheLines) {
  WriteFile(dir / "parts.csv", "Part Number;Supplier;Unit Price\nNUT;Nuts Inc;0.5\nBOLT;Bolts Inc;1.25\n");
  ReportOptions options;
  options.moldPath = (kSharedStep / "as1-ac-214.stp").string();
  options.catalogPath = (dir / "parts.csv").string();
  const std::map<std::string, CsvLine> lines = Report(options);
  ASSERT_TRUE(lines.contains("NUT") && lines.contains("BOLT"));
  // Number;Qty;Part Number;Reference;Mold Ref;Supplier;Material;Source;Heat Treat;Unit Price;Price
  EXPECT_EQ(lines.at("NUT").fields[5], "Nuts Inc");
  EXPECT_EQ(lines.at("NUT").fields[9], "0.5");
  EXPECT_EQ(lines.at("NUT").fields[10], "4");
  EXPECT_EQ(lines.at("BOLT").fields[5], "Bolts Inc");
  EXPECT_EQ(lines.at("BOLT").fields[10], "7.5");
  EXPECT_EQ(lines.at("PLATE").fields[9], "");
}

TEST_F(SharedStepTest, KeepModeOnARevisionKeepsEveryLinesNumber) {
  ReportOptions first;
  first.moldPath = (kSharedStep / "as1-ac-214.stp").string();
  first.profilePath = (dir / "as1.bom").string();
  first.start = 10;
  first.increment = 10;
  const std::map<std::string, CsvLine> before = Report(first);

  // The revision: the rod assembly loses its second nut and gains a bolt.
  std::istringstream original(ReadFile(kSharedStep / "as1-ac-214.stp"));
  std::string revised;
  for (std::string line; std::getline(original, line);) {
    if (line.find("'NAUO12'") != std::string::npos || line.find("'PDS_NAUO12'") != std::string::npos) continue;
    if (line.rfind("ENDSEC;", 0) == 0 && revised.find("DATA;") != std::string::npos)
      revised += "#99999=NEXT_ASSEMBLY_USAGE_OCCURRENCE('NAUO99','BOLT_9','',#1786,#1268,$);\n";
    revised += line + "\n";
  }
  WriteFile(dir / "as1-revised.stp", revised);
  ReportOptions second;
  second.moldPath = (dir / "as1-revised.stp").string();
  second.profilePath = first.profilePath;
  second.keep = true;
  const std::map<std::string, CsvLine> after = Report(second);

  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.at("NUT").quantity, before.at("NUT").quantity - 1);
  EXPECT_EQ(after.at("BOLT").quantity, before.at("BOLT").quantity + 1);
  for (const auto& [part, line] : after) EXPECT_EQ(line.number, before.at(part).number) << part;
}

}  // namespace
}  // namespace moldbom
