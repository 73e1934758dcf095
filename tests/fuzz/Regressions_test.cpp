// Every input that once broke a fuzz target, run again through that target: regressions/TARGET/*.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace {

class FuzzRegression : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzRegression, PastInputsRunClean) {
  const moldbom::fuzz::Target target = moldbom::fuzz::FindTarget(GetParam());
  ASSERT_NE(target, nullptr);
  const std::filesystem::path folder = std::filesystem::path(MOLDBOM_TEST_DATA) / "fuzz" / "regressions" / GetParam();
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) inputs.push_back(entry.path());
  ASSERT_FALSE(inputs.empty()) << "no inputs in " << folder;
  for (const std::filesystem::path& input : inputs) {
    SCOPED_TRACE(input.filename().string());
    std::ifstream in(input, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, ::testing::Values("mold-json", "profile", "journal", "step"),
                         [](const ::testing::TestParamInfo<const char*>& target) {
                           std::string name = target.param;
                           std::erase(name, '-');
                           return name;
                         });

}  // namespace
