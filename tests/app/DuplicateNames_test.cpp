// Instance names shared by different components are found once each, in walk order, and every
// driver warns of them on load; a sub-assembly used twice shares nothing.
#include "DuplicateNames.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "HostSession.h"
#include "QORProductStructure.h"
#include "UiHost.h"

namespace moldbom {
namespace {

const std::string kSharedNamesMold = MOLDBOM_TEST_DATA "/journals/molds/shared-names.json";

TEST(DuplicateNamesTest, NamesOfDifferentPartsOrReferencesAreListedOnce) {
  const struct {
    std::string mold;
    std::vector<std::string> names;
  } cases[] = {
      {kSharedNamesMold, {"Pin.1", "Guide.1"}},
      {kSampleMoldPath, {}},
      {MOLDBOM_TEST_DATA "/journals/molds/subassembly.json", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mold);
    auto loaded = QORMoldDocument::LoadFile(c.mold);
    ASSERT_TRUE(loaded.Ok()) << loaded.Why();
    EXPECT_EQ(DuplicateInstanceNames(*loaded.Value()), c.names);
    EXPECT_EQ(DuplicateNamesWarning(*loaded.Value()).has_value(), !c.names.empty());
  }
}

TEST(DuplicateNamesTest, ThePageCarriesTheWarningFromLoadOn) {
  UiHost host(UiHostOptions{kSharedNamesMold, std::nullopt, "QORMldBOMCom", {}});
  const Outcome started = host.Start();
  ASSERT_TRUE(started) << started.Why();
  const nlohmann::json state = nlohmann::json::parse(host.Hub().Current().state->Text());
  ASSERT_TRUE(state["loadWarning"].is_string());
  EXPECT_NE(state["loadWarning"].get<std::string>().find("Pin.1, Guide.1"), std::string::npos);
  host.BeginShutdown();
  host.Stop();
}

}  // namespace
}  // namespace moldbom
