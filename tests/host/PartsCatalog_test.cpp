// The parts catalogue: what it fills, where the mold file wins, wildcards, and bad catalogues
// reported at their line and column.
#include "MoldAttributes.h"
#include "PartsCatalog.h"

#include <gtest/gtest.h>

namespace qorhost {
namespace {

MoldDescription TwoParts() {
  MoldDescription description;
  description.root = "asm";
  MoldProduct bolt;
  bolt.id = bolt.partNumber = "BOLT-M8";
  bolt.properties = MoldProperties{std::nullopt, std::nullopt, std::string("Own supplier"), std::nullopt};
  MoldProduct nut;
  nut.id = nut.partNumber = "NUT";
  description.products = {bolt, nut};
  return description;
}

const MoldParameter* Parameter(const std::vector<MoldParameter>& list, const std::string& name) {
  for (const MoldParameter& p : list)
    if (p.name == name) return &p;
  return nullptr;
}

TEST(PartsCatalogTest, FillsWhatTheMoldDoesNotSayAndTellsWhere) {
  MoldDescription description = TwoParts();
  const std::string csv =
      "\xEF\xBB\xBFPart Number;Supplier;Unit Price;Tooling Type;Material\r\n"
      "BOLT*;Catalogue supplier;1.25;CapScrew;\r\n"
      "NUT;\"Nuts; \"\"and\"\" bolts\";0.5;;C45\r\n";
  ASSERT_EQ(ApplyPartsCatalog(csv, "parts.csv", description), std::nullopt);
  const MoldProduct& bolt = description.products[0];
  const MoldProduct& nut = description.products[1];
  EXPECT_EQ(bolt.properties->supplier, "Own supplier");
  EXPECT_EQ(std::get<double>(Parameter(bolt.parameters, "UnitPrice")->value), 1.25);
  EXPECT_EQ(bolt.component, "CapScrew");
  EXPECT_EQ(nut.properties->supplier, "Nuts; \"and\" bolts");
  EXPECT_EQ(std::get<std::string>(Parameter(*nut.userProperties, "Material")->value), "C45");
  EXPECT_EQ(description.notes, (std::vector<std::string>{
                                   "BOLT-M8: supplier from the mold file (parts.csv:2 also gives \"Catalogue supplier\")",
                                   "BOLT-M8: unit price \"1.25\" from parts.csv:2",
                                   "BOLT-M8: tooling type \"CapScrew\" from parts.csv:2",
                                   "NUT: supplier \"Nuts; \"and\" bolts\" from parts.csv:3",
                                   "NUT: unit price \"0.5\" from parts.csv:3",
                                   "NUT: material \"C45\" from parts.csv:3",
                               }));
}

TEST(PartsCatalogTest, AnExactRowWinsOverAnEarlierWildcard) {
  MoldDescription description = TwoParts();
  ASSERT_EQ(ApplyPartsCatalog("part number,reference\n*,any\nNUT,exact\n", "c.csv", description), std::nullopt);
  EXPECT_EQ(description.products[0].properties->reference, "any");
  EXPECT_EQ(description.products[1].properties->reference, "exact");
}

struct BadCatalog {
  const char* name;
  const char* text;
  int line;
  int column;
  const char* what;  // the start of the message
};

void PrintTo(const BadCatalog& c, std::ostream* os) { *os << c.name; }

class BadCatalogTest : public ::testing::TestWithParam<BadCatalog> {};

TEST_P(BadCatalogTest, NamesLineAndColumnAndChangesNothing) {
  MoldDescription description = TwoParts();
  const std::optional<CatalogError> error = ApplyPartsCatalog(GetParam().text, "c.csv", description);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->line, GetParam().line);
  EXPECT_EQ(error->column, GetParam().column);
  EXPECT_EQ(error->what.rfind(GetParam().what, 0), 0u) << error->what;
  EXPECT_TRUE(description.notes.empty());
  EXPECT_TRUE(description.products[1].parameters.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCatalogTest,
    ::testing::Values(BadCatalog{"UnknownColumn", "part number;supplier;colour\n", 1, 22, "unknown column \"colour\""},
                      BadCatalog{"NoPartNumber", "supplier\nACME\n", 1, 1, "the header row has no \"part number\""},
                      BadCatalog{"RepeatedColumn", "part number,Supplier,supplier\n", 1, 22, "column \"supplier\" appears twice"},
                      BadCatalog{"TooManyFields", "part number;supplier\nNUT;ACME;x\n", 2, 10, "the row has 3 fields"},
                      BadCatalog{"PriceNoNumber", "part number;unit price\nNUT;0.5\nBOLT;cheap\n", 3, 6, "\"cheap\": the unit price"},
                      BadCatalog{"UnknownType", "part number;tooling type\nNUT;Gizmo\n", 2, 5, "\"Gizmo\": unknown tooling type"},
                      BadCatalog{"EmptyPartNumber", "part number;supplier\n;ACME\n", 2, 1, "the row has no part number"},
                      BadCatalog{"OpenQuote", "part number;supplier\nNUT;\"ACME\n", 2, 5, "quoted field not closed"},
                      BadCatalog{"NotUtf8", "part number;supplier\nNUT;caf\xE9\n", 2, 8, "the catalogue is not valid UTF-8"}),
    [](const ::testing::TestParamInfo<BadCatalog>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace qorhost
