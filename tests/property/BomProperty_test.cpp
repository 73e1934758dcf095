// The module's CSV report (all but its date line) and profile, byte for byte, against the plain
// model of the rules, on random generated molds: a first run on the previous revision writes a
// profile, a second run on the current one keeps its numbers.
// MOLDBOM_PROPERTY_MOLDS (default 2000, 300 in sanitized builds), MOLDBOM_PROPERTY_FIRST_SEED (default 1),
// MOLDBOM_PROPERTY_SECONDS (stop early, 0: never) and MOLDBOM_PROPERTY_LARGE (sizes of large molds
// to compare once, comma-separated; none by default) set how much is done.
#include "BomReference.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

#include "MoldGenerator.h"
#include "ReportCommand.h"
#include "TestFiles.h"

namespace bomreference {
namespace {

namespace fs = std::filesystem;
using testfiles::ReadFile;

#ifndef MOLDBOM_PROPERTY_DEFAULT_MOLDS
#define MOLDBOM_PROPERTY_DEFAULT_MOLDS 2000
#endif

long EnvLong(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

struct Case {
  std::uint64_t seed = 0;
  long size = 0;
  Settings first;
  Settings second;  // keep mode on the current revision
};

std::string Describe(const Settings& s) {
  std::ostringstream text;
  text << (s.letters ? "letters" : "integers from " + std::to_string(s.start) + " by " + std::to_string(s.increment))
       << (s.sort ? ", sorted" : "") << (s.keep ? ", keep" : "");
  return text.str();
}

Case CaseOf(std::uint64_t seed, long size) {
  std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ULL);
  Case c;
  c.seed = seed;
  c.size = size > 0 ? size : 1 + static_cast<long>(random() % (random() % 8 == 0 ? 150 : 40));
  c.first.letters = random() % 3 == 0;
  if (!c.first.letters) {
    c.first.start = 1 + static_cast<int>(random() % 20);
    c.first.increment = 1 + static_cast<int>(random() % 5);
  }
  c.first.sort = random() % 3 == 0;
  c.second = c.first;
  c.second.keep = true;
  // The profile's sort flag stays on; the option can only turn it on.
  c.second.sort = c.first.sort || random() % 3 == 0;
  return c;
}

class BomPropertyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder in memory when there is one: every run syncs the files it writes.
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::path(::testing::TempDir());
    dir = base / ("moldbom-property-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir);
  }

  // Runs `report` on the mold as a user would and returns its CSV and profile.
  std::pair<std::string, std::string> RunModule(const fs::path& mold, const Settings& s, const std::string& csv) {
    moldbom::ReportOptions options;
    options.moldPath = mold.string();
    options.profilePath = (dir / "p.bom").string();
    options.csvPath = (dir / csv).string();
    options.letters = s.letters;
    if (!s.letters) {
      options.start = s.start;
      options.increment = s.increment;
    }
    options.keep = s.keep;
    options.sort = s.sort;
    options.yes = true;
    std::ostringstream out, err;
    const int code = moldbom::RunReport(options, moldbom::CommandStreams{out, err});
    EXPECT_EQ(code, 0) << err.str();
    return {ReadFile(dir / csv), ReadFile(dir / "p.bom")};
  }

  // The first difference, or empty.
  static std::string Difference(const std::string& what, const std::string& moduleCsv, const std::string& moduleProfile,
                                const Output& expected, const std::string& root) {
    const std::vector<std::string> lines = CrLfLines(moduleCsv);
    if (lines.size() < 2 || lines[0].rfind("Date: ", 0) != 0 || lines[1].rfind("Project: /" + root + ";Owner;", 0) != 0)
      return what + " CSV: title lines differ:\n" + moduleCsv.substr(0, 200);
    for (std::size_t i = 0; i < std::max(lines.size() - 2, expected.csvRows.size()); ++i) {
      const std::string got = i + 2 < lines.size() ? lines[i + 2] : "(none)";
      const std::string want = i < expected.csvRows.size() ? expected.csvRows[i] : "(none)";
      if (got != want) return what + " CSV line " + std::to_string(i + 3) + ":\n  module:    " + got + "\n  reference: " + want;
    }
    if (moduleCsv.size() < 2 || moduleCsv.substr(moduleCsv.size() - 2) != "\r\n") return what + " CSV: no final line end";
    if (moduleProfile == expected.profile) return "";
    const std::vector<std::string> got = CrLfLines(moduleProfile), want = CrLfLines(expected.profile);
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
      const std::string g = i < got.size() ? got[i] : "(none)", w = i < want.size() ? want[i] : "(none)";
      if (g != w) return what + " profile line " + std::to_string(i + 1) + ":\n  module:    " + g + "\n  reference: " + w;
    }
    return what + " profile: line ends differ";
  }

  // Both runs of one case; the first difference, or empty.
  std::string Check(const Case& c) {
    const moldbom::GeneratedMold before = moldbom::GenerateMold({.instances = c.size, .seed = c.seed, .previousRevision = true});
    const moldbom::GeneratedMold now = moldbom::GenerateMold({.instances = c.size, .seed = c.seed});
    std::ofstream(dir / "before.json", std::ios::binary | std::ios::trunc) << moldbom::MoldJsonText(before);
    std::ofstream(dir / "mold.json", std::ios::binary | std::ios::trunc) << moldbom::MoldJsonText(now);
    fs::remove(dir / "p.bom");

    const Output first = bomreference::Run(before, c.first, {});
    const auto [csv1, profile1] = RunModule(dir / "before.json", c.first, "r1.csv");
    if (std::string d = Difference("first run", csv1, profile1, first, before.products[0].partNumber); !d.empty()) return d;

    const Output second = bomreference::Run(now, c.second, ReadProfile(first.profile, c.first.letters));
    const auto [csv2, profile2] = RunModule(dir / "mold.json", c.second, "r2.csv");
    return Difference("keep run", csv2, profile2, second, now.products[0].partNumber);
  }

  void Keep(const Case& c, const std::string& difference) {
    const fs::path kept = fs::path(::testing::TempDir()) / ("moldbom-property-failure-" + std::to_string(c.seed));
    fs::create_directories(kept);
    for (const char* name : {"before.json", "mold.json", "r1.csv", "r2.csv", "p.bom", "p.bom.bak"})
      if (fs::exists(dir / name)) fs::copy_file(dir / name, kept / name, fs::copy_options::overwrite_existing);
    ADD_FAILURE() << "seed " << c.seed << ", " << c.size << " instances; first run " << Describe(c.first)
                  << "; keep run " << Describe(c.second) << "\n"
                  << difference << "\nfiles kept in " << kept.string();
  }

  fs::path dir;
};

TEST_F(BomPropertyTest, ModuleMatchesTheRulesOnRandomSmallMolds) {
  const long molds = EnvLong("MOLDBOM_PROPERTY_MOLDS", MOLDBOM_PROPERTY_DEFAULT_MOLDS);
  const auto firstSeed = static_cast<std::uint64_t>(EnvLong("MOLDBOM_PROPERTY_FIRST_SEED", 1));
  const long seconds = EnvLong("MOLDBOM_PROPERTY_SECONDS", 0);
  const auto started = std::chrono::steady_clock::now();
  long done = 0, failed = 0;
  for (; done < molds && failed < 5; ++done) {
    if (seconds > 0 && std::chrono::steady_clock::now() - started > std::chrono::seconds(seconds)) break;
    const Case c = CaseOf(firstSeed + static_cast<std::uint64_t>(done), 0);
    if (const std::string difference = Check(c); !difference.empty()) {
      Keep(c, difference);
      ++failed;
    }
    if (molds >= 10000 && (done + 1) % 5000 == 0) std::cerr << (done + 1) << " molds compared\n";
  }
  std::cerr << done << " molds compared from seed " << firstSeed << ", " << failed << " differed\n";
}

TEST_F(BomPropertyTest, ModuleMatchesTheRulesOnLargeMolds) {
  const char* sizes = std::getenv("MOLDBOM_PROPERTY_LARGE");
  if (!sizes || !*sizes) GTEST_SKIP() << "MOLDBOM_PROPERTY_LARGE names no sizes";
  std::istringstream list(sizes);
  for (std::string size; std::getline(list, size, ',');) {
    const Case c = CaseOf(7, std::stol(size));
    const auto started = std::chrono::steady_clock::now();
    if (const std::string difference = Check(c); !difference.empty()) Keep(c, difference);
    std::cerr << size << " instances compared in "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() << " s\n";
  }
}

// The model itself, on the cases where a slip is easy: label twins and whole-name lookups.
TEST(BomReference, LabelsAndLookups) {
  const std::vector<std::pair<long, std::string>> labels = {{-1, ""}, {0, "A"}, {8, "J"}, {9, "J"}, {23, "Y"},
                                                            {25, "Z"}, {26, "AA"}, {51, "ZZ"}, {52, "AAA"}};
  for (const auto& [index, label] : labels) EXPECT_EQ(LabelOf(index), label) << index;
  for (const auto& [label, index] : std::vector<std::pair<std::string, long>>{{"I", 8}, {"J", 9}, {"ZZ", 51}, {"AB", -1}, {"a", -1}, {"", -1}})
    EXPECT_EQ(IndexOfLabel(label), index) << label;

  const std::vector<std::string> known = {"C.1949", "C.19", "Pin.2"};
  EXPECT_EQ(SearchInstanceName("C.194", known, {"C.1949;C.1950;"}, {}), "") << "C.194 is no name of that group";
  EXPECT_EQ(SearchInstanceName("C.1950", known, {"C.1949;C.1950;"}, {}), "C.1949");
  EXPECT_EQ(SearchInstanceName("Pin.1", known, {}, {"Pin.1;Pin.10;Pin.2"}), "Pin.2");
  EXPECT_EQ(SearchInstanceName("Pin.1", known, {}, {"Pin.1;;Pin.2"}), "") << "tokens stop at the first empty one";
}

}  // namespace
}  // namespace bomreference
