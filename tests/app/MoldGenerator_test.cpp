// The mold generator: same seed, same bytes; the size asked for; files the loader takes; and the
// mix the benchmarks and property tests rely on.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Cli.h"
#include "MoldGenerator.h"
#include "QORProductStructure.h"
#include "TestFiles.h"

namespace moldbom {
namespace {

struct Mix {
  int plates = 0, subAssemblies = 0, leftOut = 0, instanceReferences = 0, prefixNames = 0;
};

Mix MixOf(const GeneratedMold& mold) {
  Mix mix;
  std::set<std::string> names;
  for (const GeneratedProduct& product : mold.products) {
    mix.plates += !product.plate.empty();
    mix.subAssemblies += &product != &mold.products[0] && !product.instances.empty();
    for (const GeneratedInstance& instance : product.instances) {
      mix.leftOut += !mold.products[instance.product].bom;
      mix.instanceReferences += instance.reference.has_value();
      names.insert(instance.name);
    }
  }
  // A name followed in sorted order by a longer one it starts (Pin.1, Pin.10).
  for (auto it = names.begin(); it != names.end(); ++it)
    if (auto next = std::next(it); next != names.end() && next->starts_with(*it)) ++mix.prefixNames;
  return mix;
}

TEST(MoldGenerator, SameSeedSameBytesAndExactSize) {
  for (const long size : {1L, 2L, 3L, 7L, 40L, 999L, 10000L}) {
    for (const std::uint64_t seed : {1ULL, 2ULL, 0xFFFFFFFFFFFFFFFFULL}) {
      SCOPED_TRACE("size " + std::to_string(size) + " seed " + std::to_string(seed));
      const GeneratedMold mold = GenerateMold({.instances = size, .seed = seed});
      EXPECT_EQ(ExpandedInstanceCount(mold), size);
      const std::string text = MoldJsonText(mold);
      EXPECT_EQ(MoldJsonText(GenerateMold({.instances = size, .seed = seed})), text);
      EXPECT_NE(MoldJsonText(GenerateMold({.instances = size, .seed = seed + 1})), text);
      auto loaded = QORMoldDocument::LoadText(text, "generated.json");
      ASSERT_TRUE(loaded.Ok()) << loaded.Error().Message();
      long walked = -1;  // the root is visited too
      loaded.Value()->Walk([&](const QORIProduct_var&, int) { ++walked; });
      EXPECT_EQ(walked, size);
    }
  }
}

// A fixed seed pins the bytes themselves, so a change of generator shows in review, not in
// benchmarks that quietly measure another mold.
TEST(MoldGenerator, BytesOfAMoldAreStable) {
  const std::string text = MoldJsonText(GenerateMold({.instances = 300, .seed = 42}));
  std::uint64_t fnv = 0xCBF29CE484222325ULL;
  for (const unsigned char c : text) fnv = (fnv ^ c) * 0x100000001B3ULL;
  EXPECT_EQ(fnv, 6097636115711501724ULL) << text.size() << " bytes";
}

TEST(MoldGenerator, LargeMoldHasTheRealisticMix) {
  const GeneratedMold mold = GenerateMold({.instances = 10000, .seed = 3});
  const Mix mix = MixOf(mold);
  EXPECT_GE(mix.plates, 2);
  EXPECT_GE(mix.subAssemblies, 1);
  EXPECT_GE(mix.leftOut, 1);
  EXPECT_GE(mix.instanceReferences, 10);
  EXPECT_GE(mix.prefixNames, 50);
  std::set<std::size_t> parts;
  for (const GeneratedInstance& instance : mold.products[0].instances) parts.insert(instance.product);
  EXPECT_LT(parts.size(), 1000u) << "standard components should share few parts";
}

TEST(MoldGenerator, SubAssembliesNestSeveralLevelsOnSomeSeeds) {
  int deepest = 0;
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    const GeneratedMold mold = GenerateMold({.instances = 500, .seed = seed});
    int depth = 0;
    for (const GeneratedProduct& product : mold.products)
      if (product.id.starts_with("sub-")) depth = std::max(depth, std::stoi(product.id.substr(4)));
    deepest = std::max(deepest, depth);
  }
  EXPECT_GE(deepest, 3);
}

TEST(MoldGenerator, PreviousRevisionDropsRenamesAndAddsInstances) {
  const GeneratedMold current = GenerateMold({.instances = 2000, .seed = 9});
  const GeneratedMold previous = GenerateMold({.instances = 2000, .seed = 9, .previousRevision = true});
  std::set<std::string> now, before;
  for (const GeneratedInstance& instance : current.products[0].instances) now.insert(instance.name);
  for (const GeneratedInstance& instance : previous.products[0].instances) before.insert(instance.name);
  int renamed = 0, onlyBefore = 0, onlyNow = 0;
  for (const std::string& name : before) {
    if (now.contains(name)) continue;
    ++onlyBefore;
    renamed += name.ends_with("r") && now.contains(name.substr(0, name.size() - 1));
  }
  for (const std::string& name : now) onlyNow += !before.contains(name) && !before.contains(name + "r");
  EXPECT_GT(renamed, 0);
  EXPECT_GT(onlyBefore - renamed, 0) << "instances dropped since";
  EXPECT_GT(onlyNow, 0) << "instances added since";
  EXPECT_GT(now.size() - static_cast<std::size_t>(onlyNow), now.size() * 9 / 10) << "mostly the same mold";
  EXPECT_TRUE(QORMoldDocument::LoadText(MoldJsonText(previous), "previous.json").Ok());
}

TEST(GenerateCommand, WritesTheMoldOrSaysWhyNot) {
  const std::string out = (std::filesystem::path(::testing::TempDir()) / "generated.json").string();
  const std::string expected = MoldJsonText(GenerateMold({.instances = 25, .seed = 4, .previousRevision = true}));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    bool printsMold;
  };
  for (const Case& c : std::vector<Case>{{{"generate", "25", "--seed", "4", "--revision"}, kExitOk, true},
                                        {{"generate", "25", "--seed", "4", "--revision", "--out", out}, kExitOk, false},
                                        {{"generate", "0"}, kExitBadInput, false},
                                        {{"generate", "5", "--out", "/nonexistent/x.json"}, kExitFileProblem, false}}) {
    std::vector<char*> argv{const_cast<char*>("moldbom")};
    for (const std::string& arg : c.args) argv.push_back(const_cast<char*>(arg.c_str()));
    std::ostringstream printed, errors;
    EXPECT_EQ(RunCli(static_cast<int>(argv.size()), argv.data(), CommandStreams{printed, errors}), c.exitCode)
        << c.args.back() << ": " << errors.str();
    EXPECT_EQ(printed.str() == expected, c.printsMold) << c.args.back();
  }
  EXPECT_EQ(testfiles::ReadFile(out), expected);
}

}  // namespace
}  // namespace moldbom
