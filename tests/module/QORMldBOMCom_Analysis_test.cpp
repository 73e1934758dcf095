// Product analysis of the BOM command: classification, attributes, pairing, numbering and sorting.
#include "QORMldBOMComFixture.h"

#include <algorithm>

#include "QORMoldComponents.h"

namespace comtest {
namespace {

using Access = QORMldBOMComTestAccess;
using Strings = std::vector<std::string>;

// Every branch of the classification, one instance each, so that nothing merges.
const char* const ClassificationProducts = R"(
  "clamp": {"partNumber": "CLAMP-01", "plate": true,
            "properties": {"bom": true, "reference": "CP-1", "supplier": "Moldix", "source": "made"},
            "userProperties": [{"name": "Material", "type": "string", "value": "1.2311"},
                               {"name": "HeatTreatment", "type": "string", "value": "Nitrided"}],
            "parameters": [{"name": "RefMold", "type": "string", "value": "M-100"},
                           {"name": "UnitPrice", "type": "real", "value": 120}]},
  "spacer": {"partNumber": "SPACER", "plate": "no-extension", "properties": {"bom": true, "source": "bought"},
             "parameters": [{"name": "Body\\RefMold", "type": "string", "value": "M-200"},
                            {"name": "Body\\UnitPrice", "type": "string", "value": "15.5"}]},
  "pillar": {"partNumber": "PILLAR", "plate": true, "component": "SupportPillar", "properties": {"bom": true}},
  "pin": {"partNumber": "EP-6x100", "component": "EjectorPin",
          "properties": {"bom": true, "reference": "EP6", "source": "unknown"},
          "parameters": [{"name": "RefMold", "type": "string", "value": "not a plate"}]},
  "unit": {"partNumber": "UNIT", "instances": [{"name": "Screw.1", "of": "screw"}], "properties": {"bom": true}},
  "screw": {"partNumber": "SHCS-M8", "component": "CapScrew", "properties": {"bom": true, "supplier": "Boltco"}},
  "molded": {"partNumber": "MOLDED-PART", "properties": {"bom": false, "reference": "A-VERY-LONG-REFERENCE-TEXT",
             "supplier": "A Supplier Of Great Length", "source": "made"},
             "userProperties": [{"name": "MaterialName", "type": "string", "value": "Polycarbonate blend"}]},
  "bare": {"partNumber": "BARE"},
  "grades": {"partNumber": "INSERT", "properties": {"bom": true},
             "userProperties": [{"name": "CoreMaterial", "type": "string", "value": "P20"},
                                {"name": "Material", "type": "real", "value": 3},
                                {"name": "MaterialGrade", "type": "string", "value": "H13"},
                                {"name": "HeatTreat", "type": "string", "value": "Hardened"}],
             "parameters": [{"name": "RefMold", "type": "real", "value": 5},
                            {"name": "UnitPrice", "type": "string", "value": ""}]},
  "realplate": {"partNumber": "REALPLATE", "plate": true, "properties": {"bom": true},
                "parameters": [{"name": "RefMold", "type": "real", "value": 7}]})";

const char* const ClassificationInstances = R"(
  {"name": "Clamp.1", "of": "clamp"}, {"name": "Spacer.1", "of": "spacer"}, {"name": "Pillar.1", "of": "pillar"},
  {"name": "Pin.1", "of": "pin"}, {"name": "Unit.1", "of": "unit"}, {"name": "Part.1", "of": "molded"},
  {"name": "Bare.1", "of": "bare"}, {"name": "Insert.1", "of": "grades"}, {"name": "RealPlate.1", "of": "realplate"})";

class BomClassificationTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile(ClassificationInstances, ClassificationProducts));
    Select("MOLD");
  }
  Strings Lines(QORListOfQORUnicodeString& (*list)(QORMldBOMCom&)) { return Texts(list(Command())); }
};

TEST_F(BomClassificationTest, EachKeptInstanceGetsItsTypeAndAttributes) {
  EXPECT_EQ(Lines(Access::LineInstanceNames),
            (Strings{"Clamp.1", "Spacer.1", "Pillar.1", "Pin.1", "Screw.1", "Bare.1", "Insert.1", "RealPlate.1"}));
  EXPECT_EQ(Lines(Access::LineTypes), (Strings{"Plate", "", "SupportPillar", "EjectorPin", "CapScrew", "", "", "Plate"}));
  EXPECT_EQ(Lines(Access::LinePartNumbers),
            (Strings{"CLAMP-01", "SPACER", "PILLAR", "EP-6x100", "SHCS-M8", "BARE", "INSERT", "REALPLATE"}));
  EXPECT_EQ(Lines(Access::LineReferences), (Strings{"CP-1", "", "", "EP6", "", "", "", ""}));
  EXPECT_EQ(Lines(Access::LineSuppliers), (Strings{"Moldix", "", "", "", "Boltco", "", "", ""}));
  EXPECT_EQ(Lines(Access::LineSources), (Strings{"Made", "Bought", "", "Unknown", "", "", "", ""}));
  EXPECT_EQ(Lines(Access::LineIndexes), (Strings{"1", "2", "3", "4", "5", "6", "7", "8"}));
  EXPECT_EQ(Lines(Access::LineQuantities), (Strings{"1", "1", "1", "1", "1", "1", "1", "1"}));
}

TEST_F(BomClassificationTest, MoldReferenceOnlyForPlatesAndOnlyFromStringParameters) {
  // The pin's RefMold is ignored (no plate); a real RefMold is no mold reference.
  EXPECT_EQ(Lines(Access::LineMoldReferences), (Strings{"M-100", "M-200", "", "", "", "", "", ""}));
}

TEST_F(BomClassificationTest, UnitPriceFromRealOrStringParameterButNotFromAnEmptyOne) {
  EXPECT_EQ(Lines(Access::LineUnitPrices), (Strings{"120", "15.5", "", "", "", "", "", ""}));
}

TEST_F(BomClassificationTest, UserPropertiesMatchByNameWithTheLaterMatchWinning) {
  EXPECT_EQ(Lines(Access::LineMaterials), (Strings{"1.2311", "", "", "", "", "", "H13", ""}));
  EXPECT_EQ(Lines(Access::LineHeatTreats), (Strings{"Nitrided", "", "", "", "", "", "Hardened", ""}));
}

TEST_F(BomClassificationTest, ALeftOutInstanceStillWidensTheColumns) {
  // The molded part (BOM flag false) holds the longest reference, supplier and material.
  const int reference = 26 / 2 + 2;
  const int supplier = 26 / 2 + 2;
  const int partNumber = 9 / 2 + 2;
  EXPECT_EQ(Integers(Access::LineWidths(Command())),
            (std::vector<int>{0, 0, partNumber, reference, supplier, 19, 7, 8}));
}

TEST_F(BomClassificationTest, EveryListedInstanceIsPutInWorkModeUntilTheCommandEnds) {
  const std::vector<std::string> inWork = Texts(QORTlgServicesCacheList::ProductsInWorkMode());
  for (const char* path : {"MOLD/Unit.1", "MOLD/Unit.1/Screw.1", "MOLD/Part.1", "MOLD/Clamp.1"})
    EXPECT_NE(std::find(inWork.begin(), inWork.end(), path), inWork.end()) << path;
  QORIProduct_var part = document_->FindByPath("MOLD/Part.1");
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(part), 1);
  EndCommand();
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(part), 0);
}

TEST_F(BomClassificationTest, TheTableShowsTheAttributesInTheFixedColumnOrder) {
  const auto table = Table();
  ASSERT_EQ(table.size(), 8u);
  EXPECT_EQ(table[0], (Strings{"1", "1", "CLAMP-01", "CP-1", "M-100", "Moldix", "1.2311", "Made", "Nitrided", "120",
                               "120"}));
}

// ---------------------------------------------------------------------------------------------
// Which selections are analysed
// ---------------------------------------------------------------------------------------------

class BomSelectionTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile(R"({"name": "Unit.1", "of": "unit"}, {"name": "Other.1", "of": "other"},
                         {"name": "Empty.1", "of": "empty"})",
                      R"("unit": {"partNumber": "UNIT", "instances": [{"name": "Screw.1", "of": "screw"}]},
                         "screw": {"partNumber": "SCREW"},
                         "other": {"partNumber": "OTHER"},
                         "empty": {"partNumber": "EMPTY", "instances": [{"name": "Out.1", "of": "out"}]},
                         "out": {"partNumber": "OUT", "properties": {"bom": false}})"));
  }
};

TEST_F(BomSelectionTest, APartOrAnAssemblyWithoutKeptInstancesLeavesRoomForAnotherChoice) {
  Select("MOLD/Other.1");
  Select("MOLD/Empty.1");
  EXPECT_FALSE(Access::AnalysedProduct(Command()));
  EXPECT_EQ(Dialog().GetNumberOfLines(), 1);
  Select("MOLD");
  EXPECT_EQ(Texts(Access::LinePartNumbers(Command())), (Strings{"SCREW", "OTHER"}));
  EXPECT_EQ(Dialog().GetNumberOfLines(), 3);
}

TEST_F(BomSelectionTest, OnlyTheFirstSuccessfulAnalysisCounts) {
  Select("MOLD/Unit.1");
  Select("MOLD");
  EXPECT_EQ(Texts(Access::LinePartNumbers(Command())), Strings{"SCREW"});
  EXPECT_EQ(Dialog().GetNumberOfLines(), 2);
  EXPECT_TRUE(Access::AnalysedProduct(Command()) == document_->FindByPath("MOLD/Unit.1"));
}

// ---------------------------------------------------------------------------------------------
// Pairing instances into lines
// ---------------------------------------------------------------------------------------------

class BomPairingTest : public BomCommandTest {};

TEST_F(BomPairingTest, SameReferenceAndSamePartMergeWithTheFirstInstanceShown) {
  LoadMold(MoldFile(R"({"name": "A.1", "of": "a"}, {"name": "Pin.1", "of": "pin"}, {"name": "B.1", "of": "b"},
                       {"name": "Mid.1", "of": "mid"}, {"name": "Pin.2", "of": "pin"}, {"name": "Pin.3", "of": "pin"},
                       {"name": "Last.1", "of": "last"})",
                    R"("a": {"partNumber": "PN-A", "properties": {"bom": true, "reference": "SHARED"}},
                       "b": {"partNumber": "PN-B", "properties": {"bom": true, "reference": "SHARED"}},
                       "pin": {"partNumber": "PIN", "component": "EjectorPin"},
                       "mid": {"partNumber": "MID"},
                       "last": {"partNumber": "LAST"})"));
  Select("MOLD");
  QORMldBOMCom& command = Command();
  EXPECT_EQ(Texts(Access::LinePartNumbers(command)), (Strings{"PN-A", "PIN", "MID", "LAST"}));
  EXPECT_EQ(Texts(Access::LineQuantities(command)), (Strings{"2", "3", "1", "1"}));
  EXPECT_EQ(Texts(Access::LineIndexes(command)), (Strings{"1", "2", "3", "4"}));
  // A head that merged nothing still forms a group; the last record never does.
  EXPECT_EQ(Texts(Access::InstanceGroups(command)), (Strings{"A.1;B.1", "Pin.1;Pin.2;Pin.3", "Mid.1"}));
  EXPECT_EQ(Column(1), (Strings{"2", "3", "1", "1"}));
}

TEST_F(BomPairingTest, ASingleInstanceIsOneLineWithoutGroup) {
  LoadMold(MoldFile(R"({"name": "Only.1", "of": "only"})", R"("only": {"partNumber": "ONLY"})"));
  Select("MOLD");
  EXPECT_EQ(Texts(Access::LineQuantities(Command())), Strings{"1"});
  EXPECT_TRUE(Texts(Access::InstanceGroups(Command())).empty());
  EXPECT_EQ(Column(0), Strings{"1"});
}

// ---------------------------------------------------------------------------------------------
// Numbering and sorting
// ---------------------------------------------------------------------------------------------

// A mold of count distinct parts P1, P2, ... used once each.
std::string DistinctParts(int count) {
  std::string instances;
  std::string products;
  for (int i = 1; i <= count; ++i) {
    const std::string id = "p" + std::to_string(i);
    if (i > 1) {
      instances += ", ";
      products += ", ";
    }
    instances += R"({"name": "P)" + std::to_string(i) + R"(.1", "of": ")" + id + R"("})";
    products += "\"" + id + R"(": {"partNumber": "PART-)" + std::to_string(i) + R"("})";
  }
  return MoldFile(instances, products);
}

class BomNumberingTest : public BomCommandTest {};

TEST_F(BomNumberingTest, IntegersFollowStartAndIncrement) {
  LoadMold(DistinctParts(3));
  Dialog().SetStartAndIncrement(10, 5);
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"10", "15", "20"}));
}

TEST_F(BomNumberingTest, LettersSkipTheLettersThatAreNeverGiven) {
  LoadMold(DistinctParts(11));
  Dialog().SetNumberingMode(FALSE);
  Dialog().SetStartAndIncrement(10, 5);
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"A", "B", "C", "D", "E", "F", "G", "H", "J", "K", "L"}));
}

TEST_F(BomNumberingTest, SortByTypeGroupsInTypeOrderWithBlankLinesAndNumbersInDisplayOrder) {
  LoadMold(MoldFile(R"({"name": "Part.1", "of": "part1"}, {"name": "Pin.1", "of": "pin"},
                       {"name": "Plate.1", "of": "plate1"}, {"name": "Leader.1", "of": "leader"},
                       {"name": "Plate.2", "of": "plate2"}, {"name": "Part.2", "of": "part2"})",
                    R"("part1": {"partNumber": "PART-1"}, "part2": {"partNumber": "PART-2"},
                       "pin": {"partNumber": "PIN", "component": "EjectorPin"},
                       "leader": {"partNumber": "LEADER", "component": "LeaderPin"},
                       "plate1": {"partNumber": "PLATE-1", "plate": true},
                       "plate2": {"partNumber": "PLATE-2", "plate": true})"));
  Dialog().SetTypeOfSort(1);
  Select("MOLD");
  std::vector<std::string> shown;
  for (const auto& row : Table()) shown.push_back(row[0] + ":" + row[2]);
  EXPECT_EQ(shown, (Strings{"1:PLATE-1", "2:PLATE-2", ":", "3:PIN", ":", "4:LEADER", ":", "5:PART-1", "6:PART-2"}));
  // The line lists keep the walk order.
  EXPECT_EQ(Texts(Access::LinePartNumbers(Command())),
            (Strings{"PART-1", "PIN", "PLATE-1", "LEADER", "PLATE-2", "PART-2"}));
}

// ---------------------------------------------------------------------------------------------
// Keeping the numbers of a profile
// ---------------------------------------------------------------------------------------------

class BomKeepModeTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile(R"({"name": "Plate.1", "of": "plate"}, {"name": "New.1", "of": "new"},
                         {"name": "Pin.1", "of": "pin"}, {"name": "Added.1", "of": "added"})",
                      R"("plate": {"partNumber": "PLATE", "plate": true,
                                   "parameters": [{"name": "UnitPrice", "type": "real", "value": 300}]},
                         "new": {"partNumber": "NEW"},
                         "pin": {"partNumber": "PIN", "component": "EjectorPin"},
                         "added": {"partNumber": "ADDED",
                                   "parameters": [{"name": "UnitPrice", "type": "real", "value": 9}]})"));
  }
  void Profile(const Strings& names, const std::vector<int>& numbers, const Strings& prices, int maxNumber) {
    QORMldBOMCom& command = Command();
    Access::ProfileInstanceNames(command) = UnicodeList(names);
    for (int number : numbers) Access::ProfileNumbers(command).Append(number);
    Access::ProfileUnitPrices(command) = UnicodeList(prices);
    Access::ProfileMaxNumber(command) = maxNumber;
    Dialog().SetKeepMode(TRUE);
  }
};

TEST_F(BomKeepModeTest, KnownComponentsKeepTheirNumbersAndNewOnesContinueAfterTheHighest) {
  Profile({"Pin.1", "Plate.1"}, {3, 12}, {"", "7.5"}, 12);
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"12", "13", "3", "14"}));
}

TEST_F(BomKeepModeTest, UnitPricesComeFromTheProfileAndAComponentAddedSinceHasNone) {
  Profile({"Pin.1", "Plate.1"}, {3, 12}, {"", "7.5"}, 12);
  Select("MOLD");
  // The plate's own 300 is replaced by the profile's price; the added part's 9 is not shown.
  EXPECT_EQ(Column(9), (Strings{"7.5", "", "", ""}));
}

TEST_F(BomKeepModeTest, AHighestNumberOfZeroLeavesTheCounterToTheStartValue) {
  Profile({"Pin.1"}, {0}, {""}, 0);
  Dialog().SetStartAndIncrement(5, 1);
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"5", "6", "0", "7"}));
}

TEST_F(BomKeepModeTest, LettersKeepTheirLabelsAndContinueAfterTheHighestIndex) {
  // Index 8 is I, shown as J; new lines continue after index 9 (J).
  Profile({"Pin.1", "Plate.1"}, {8, 0}, {"", ""}, 9);
  Dialog().SetNumberingMode(FALSE);
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"A", "K", "J", "L"}));
}

TEST_F(BomKeepModeTest, ARenamedInstanceIsFoundThroughTheProfileAssociations) {
  Profile({"OldPin.1"}, {7}, {"2.5"}, 7);
  Access::ProfileAssociations(Command()) = UnicodeList({"OldPin.1;Pin.1;"});
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"8", "9", "7", "10"}));
  EXPECT_EQ(Column(9)[2], "2.5");
}

TEST_F(BomKeepModeTest, ProfileColumnsAreAddedFilledMovedAndHidden) {
  QORMldBOMCom& command = Command();
  Profile({"Plate.1", "Pin.1"}, {1, 2}, {"", ""}, 2);
  Access::ProfileColumnKinds(command) = UnicodeList({"1"});
  Access::ProfileColumnTitles(command) = UnicodeList({"Cost"});
  Access::ProfileColumnProperties(command) = UnicodeList({""});
  Access::ProfileAddedValues(command) = UnicodeList({"plate cost", "pin cost"});
  for (int code : {0, 2, 1, 3, 4, 5, 6, 7, 8, 9, 1011, 10}) Access::ProfileColumnPositions(command).Append(code);
  Select("MOLD");

  QORListOfQORUnicodeString titles;
  Dialog().GetColumnTitles(titles);
  EXPECT_EQ(Texts(titles), (Strings{"Number", "Part Number", "Qty", "Reference", "Mold Ref", "Supplier", "Material",
                                    "Source", "Heat Treat", "Unit Price", "Cost"}));
  const auto table = Table();
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[0][10], "plate cost");
  EXPECT_EQ(table[2][10], "pin cost");
  EXPECT_EQ(table[1][10], "");
}

}  // namespace
}  // namespace comtest
