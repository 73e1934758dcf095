// Product analysis of the BOM command: classification, attributes, pairing, numbering and sorting.
#include "QORMldBOMFixture.h"

#include <algorithm>

#include "QORMoldComponents.h"

namespace bomtest {
namespace {

using Access = QORMldBOMComTestAccess;

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
                                {"name": "MaterialGrade", "type": "string", "value": "H13"},
                                {"name": "Material", "type": "real", "value": 3},
                                {"name": "HeatTreat", "type": "string", "value": "Hardened"}],
             "parameters": [{"name": "RefMold", "type": "real", "value": 5},
                            {"name": "UnitPrice", "type": "string", "value": ""}]},
  "realplate": {"partNumber": "REALPLATE", "plate": true, "properties": {"bom": true},
                "parameters": [{"name": "RefMold", "type": "real", "value": 7}]})";

class BomClassificationTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile("Clamp.1:clamp Spacer.1:spacer Pillar.1:pillar Pin.1:pin Unit.1:unit Part.1:molded Bare.1:bare "
                      "Insert.1:grades RealPlate.1:realplate",
                      ClassificationProducts));
    Select("MOLD");
  }
};

// A mold reference only for plates and only from a string parameter; a unit price from a real or a
// string parameter but not an empty one; user properties match by a part of their name, the later
// match winning; the molded part (BOM flag false) is left out.
TEST_F(BomClassificationTest, EachKeptInstanceGetsItsTypeAndAttributesInTheFixedColumnOrder) {
  EXPECT_EQ(Texts(Access::LineInstanceNames(Command())),
            (Strings{"Clamp.1", "Spacer.1", "Pillar.1", "Pin.1", "Screw.1", "Bare.1", "Insert.1", "RealPlate.1"}));
  EXPECT_EQ(Texts(Access::LineTypes(Command())),
            (Strings{"Plate", "", "SupportPillar", "EjectorPin", "CapScrew", "", "", "Plate"}));
  EXPECT_EQ(Table(), (std::vector<Strings>{
                         {"1", "1", "CLAMP-01", "CP-1", "M-100", "Moldix", "1.2311", "Made", "Nitrided", "120", "120"},
                         {"2", "1", "SPACER", "", "M-200", "", "", "Bought", "", "15.5", "15.5"},
                         {"3", "1", "PILLAR", "", "", "", "", "", "", "", ""},
                         {"4", "1", "EP-6x100", "EP6", "", "", "", "Unknown", "", "", ""},
                         {"5", "1", "SHCS-M8", "", "", "Boltco", "", "", "", "", ""},
                         {"6", "1", "BARE", "", "", "", "", "", "", "", ""},
                         {"7", "1", "INSERT", "", "", "", "H13", "", "Hardened", "", ""},
                         {"8", "1", "REALPLATE", "", "", "", "", "", "", "", ""}}));
  // An empty "UnitPrice" fails and leaves no parameter for a typed price, whatever the caller held.
  QORUnicodeString price;
  QORICkeParm_var parameter;
  EXPECT_EQ(Command().GetReferenceInPart(2, document_->FindByPath("MOLD/Clamp.1"), price, parameter), S_OK);
  EXPECT_TRUE(parameter);
  EXPECT_EQ(Command().GetReferenceInPart(2, document_->FindByPath("MOLD/Insert.1"), price, parameter), E_FAIL);
  EXPECT_FALSE(parameter);
  EXPECT_EQ(price.Utf8(), "120");
}

TEST_F(BomClassificationTest, ALeftOutInstanceStillWidensTheColumns) {
  // The molded part holds the longest reference, supplier and material: 26 characters give 26 / 2 + 2.
  EXPECT_EQ(Integers(Access::LineWidths(Command())), (std::vector<int>{0, 0, 9 / 2 + 2, 15, 15, 19, 7, 8}));
}

TEST_F(BomClassificationTest, EveryListedInstanceIsPutInWorkModeUntilTheCommandEnds) {
  const Strings inWork = Texts(QORTlgServicesCacheList::ProductsInWorkMode());
  for (const char* path : {"MOLD/Unit.1", "MOLD/Unit.1/Screw.1", "MOLD/Part.1", "MOLD/Clamp.1"})
    EXPECT_NE(std::find(inWork.begin(), inWork.end(), path), inWork.end()) << path;
  QORIProduct_var part = document_->FindByPath("MOLD/Part.1");
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(part), 1);
  EndCommand();
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(part), 0);
}

// ---- which selections are analysed ----------------------------------------------------------

class BomSelectionTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile("Unit.1:unit Other.1:other Empty.1:empty",
                      R"("unit": {"partNumber": "UNIT", "instances": [{"name": "Screw.1", "of": "screw"}]},
                         "screw": {"partNumber": "SCREW"}, "other": {"partNumber": "OTHER"},
                         "empty": {"partNumber": "EMPTY", "instances": [{"name": "Out.1", "of": "out"}]},
                         "out": {"partNumber": "OUT", "properties": {"bom": false}})"));
  }
};

TEST_F(BomSelectionTest, APartOrAnAssemblyWithoutKeptInstancesLeavesRoomForAnotherChoice) {
  Select("MOLD/Other.1");
  Select("MOLD/Empty.1");
  EXPECT_FALSE(Access::AnalysedProduct(Command()));
  EXPECT_EQ(Dlg().GetNumberOfLines(), 1);
  Select("MOLD");
  EXPECT_EQ(Column(2), (Strings{"SCREW", "OTHER"}));
  EXPECT_EQ(Dlg().GetNumberOfLines(), 3);
}

TEST_F(BomSelectionTest, OnlyTheFirstSuccessfulAnalysisCounts) {
  Select("MOLD/Unit.1");
  Select("MOLD");
  EXPECT_EQ(Texts(Access::LinePartNumbers(Command())), Strings{"SCREW"});
  EXPECT_EQ(Dlg().GetNumberOfLines(), 2);
  EXPECT_TRUE(Access::AnalysedProduct(Command()) == document_->FindByPath("MOLD/Unit.1"));
}

// ---- pairing, numbering and sorting ---------------------------------------------------------

using BomLinesTest = BomCommandTest;

TEST_F(BomLinesTest, SameReferenceAndSamePartMergeWithTheFirstInstanceShown) {
  LoadMold(MoldFile("A.1:a Pin.1:pin B.1:b Mid.1:mid Pin.2:pin Pin.3:pin Last.1:last",
                    R"("a": {"partNumber": "PN-A", "properties": {"bom": true, "reference": "SHARED"}},
                       "b": {"partNumber": "PN-B", "properties": {"bom": true, "reference": "SHARED"}},
                       "pin": {"partNumber": "PIN", "component": "EjectorPin"},
                       "mid": {"partNumber": "MID"}, "last": {"partNumber": "LAST"})"));
  Select("MOLD");
  EXPECT_EQ(Column(2), (Strings{"PN-A", "PIN", "MID", "LAST"}));
  EXPECT_EQ(Column(1), (Strings{"2", "3", "1", "1"}));
  EXPECT_EQ(Texts(Access::LineIndexes(Command())), (Strings{"1", "2", "3", "4"}));
  // A head that merged nothing still forms a group; the last record never does.
  EXPECT_EQ(Texts(Access::InstanceGroups(Command())), (Strings{"A.1;B.1", "Pin.1;Pin.2;Pin.3", "Mid.1"}));
}

TEST_F(BomLinesTest, ASingleInstanceIsOneLineWithoutGroup) {
  LoadMold(MoldFile("Only.1:only", R"("only": {"partNumber": "ONLY"})"));
  Select("MOLD");
  EXPECT_EQ(Column(0), Strings{"1"});
  EXPECT_EQ(Column(1), Strings{"1"});
  EXPECT_TRUE(Texts(Access::InstanceGroups(Command())).empty());
}

// A mold of count distinct parts P1, P2, ... used once each.
std::string DistinctParts(int count) {
  std::string instances, products;
  for (int i = 1; i <= count; ++i) {
    instances += "P" + std::to_string(i) + ".1:p" + std::to_string(i) + " ";
    products += (i > 1 ? ", \"p" : "\"p") + std::to_string(i) + R"(": {"partNumber": "PART-)" + std::to_string(i) +
                "\"}";
  }
  return MoldFile(instances, products);
}

TEST_F(BomLinesTest, IntegersFollowStartAndIncrementWhileLettersSkipTheLettersNeverGiven) {
  LoadMold(DistinctParts(11));
  Dlg().SetStartAndIncrement(10, 5);
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"10", "15", "20", "25", "30", "35", "40", "45", "50", "55", "60"}));
  EndCommand();
  Dlg().SetNumberingMode(FALSE);
  Dlg().SetStartAndIncrement(10, 5);
  Select("MOLD");
  EXPECT_EQ(Column(0), (Strings{"A", "B", "C", "D", "E", "F", "G", "H", "J", "K", "L"}));
}

TEST_F(BomLinesTest, SortByTypeGroupsInTypeOrderWithBlankLinesAndNumbersInDisplayOrder) {
  LoadMold(MoldFile("Part.1:part1 Pin.1:pin Plate.1:plate1 Leader.1:leader Plate.2:plate2 Part.2:part2",
                    R"("part1": {"partNumber": "PART-1"}, "part2": {"partNumber": "PART-2"},
                       "pin": {"partNumber": "PIN", "component": "EjectorPin"},
                       "leader": {"partNumber": "LEADER", "component": "LeaderPin"},
                       "plate1": {"partNumber": "PLATE-1", "plate": true},
                       "plate2": {"partNumber": "PLATE-2", "plate": true})"));
  Dlg().SetTypeOfSort(1);
  Select("MOLD");
  Strings shown;
  for (const auto& row : Table()) shown.push_back(row[0] + ":" + row[2]);
  EXPECT_EQ(shown, (Strings{"1:PLATE-1", "2:PLATE-2", ":", "3:PIN", ":", "4:LEADER", ":", "5:PART-1", "6:PART-2"}));
  // The line lists keep the walk order.
  EXPECT_EQ(Texts(Access::LinePartNumbers(Command())),
            (Strings{"PART-1", "PIN", "PLATE-1", "LEADER", "PLATE-2", "PART-2"}));
}

// ---- keeping the numbers of a profile -------------------------------------------------------

// A profile as read: instance names, numbers (letter indices), unit prices and the highest number.
struct KeptProfile { Strings names; std::vector<int> numbers; Strings prices; int maxNumber; Strings associations; };

class BomKeepModeTest : public BomCommandTest {
 protected:
  void SetUp() override {
    BomCommandTest::SetUp();
    LoadMold(MoldFile("Plate.1:plate New.1:new Pin.1:pin Added.1:added",
                      R"("plate": {"partNumber": "PLATE", "plate": true,
                                   "parameters": [{"name": "UnitPrice", "type": "real", "value": 300}]},
                         "new": {"partNumber": "NEW"}, "pin": {"partNumber": "PIN", "component": "EjectorPin"},
                         "added": {"partNumber": "ADDED",
                                   "parameters": [{"name": "UnitPrice", "type": "real", "value": 9}]})"));
  }
  void Profile(const KeptProfile& profile) {
    QORMldBOMCom& command = Command();
    Access::ProfileInstanceNames(command) = UnicodeList(profile.names);
    for (int number : profile.numbers) Access::ProfileNumbers(command).Append(number);
    Access::ProfileUnitPrices(command) = UnicodeList(profile.prices);
    Access::ProfileMaxNumber(command) = profile.maxNumber;
    Access::ProfileAssociations(command) = UnicodeList(profile.associations);
    Dlg().SetKeepMode(TRUE);
  }
};

// Known components keep their numbers, new ones continue after the highest (a highest of zero leaves
// the counter to the start value); unit prices come from the profile, so the plate's own 300 gives
// way and the part added since shows none; a renamed instance is found through the associations.
TEST_F(BomKeepModeTest, KnownComponentsKeepTheirNumbersAndProfilePrices) {
  const struct {
    const char* name;
    KeptProfile profile;
    bool letters;
    int start;
    Strings numbers, unitPrices;  // "*": not this case's concern
  } cases[] = {
      {"integers", {{"Pin.1", "Plate.1"}, {3, 12}, {"", "7.5"}, 12, {}}, false, 1, {"12", "13", "3", "14"},
       {"7.5", "", "", ""}},
      {"highest zero", {{"Pin.1"}, {0}, {""}, 0, {}}, false, 5, {"5", "6", "0", "7"}, {"*", "*", "*", "*"}},
      // Index 8 is I, shown as J; new lines continue after index 9 (J).
      {"letters", {{"Pin.1", "Plate.1"}, {8, 0}, {"", ""}, 9, {}}, true, 1, {"A", "K", "J", "L"}, {"*", "*", "*", "*"}},
      {"renamed", {{"OldPin.1"}, {7}, {"2.5"}, 7, {"OldPin.1;Pin.1;"}}, false, 1, {"8", "9", "7", "10"},
       {"*", "*", "2.5", "*"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Profile(c.profile);
    Dlg().SetNumberingMode(c.letters ? FALSE : TRUE);
    Dlg().SetStartAndIncrement(c.start, 1);
    Select("MOLD");
    EXPECT_EQ(Column(0), c.numbers);
    Strings unitPrices = Column(9);
    for (std::size_t i = 0; i < unitPrices.size() && i < c.unitPrices.size(); ++i)
      if (c.unitPrices[i] == "*") unitPrices[i] = "*";
    EXPECT_EQ(unitPrices, c.unitPrices);
    EndCommand();
  }
}

TEST_F(BomKeepModeTest, ProfileColumnsAreAddedFilledMovedAndHidden) {
  QORMldBOMCom& command = Command();
  Profile({{"Plate.1", "Pin.1"}, {1, 2}, {"", ""}, 2, {}});
  Access::ProfileColumnKinds(command) = UnicodeList({"1"});
  Access::ProfileColumnTitles(command) = UnicodeList({"Cost"});
  Access::ProfileColumnProperties(command) = UnicodeList({""});
  Access::ProfileAddedValues(command) = UnicodeList({"plate cost", "pin cost"});
  for (int code : {0, 2, 1, 3, 4, 5, 6, 7, 8, 9, 1011, 10}) Access::ProfileColumnPositions(command).Append(code);
  Select("MOLD");

  QORListOfQORUnicodeString titles;
  Dlg().GetColumnTitles(titles);
  EXPECT_EQ(Texts(titles), (Strings{"Number", "Part Number", "Qty", "Reference", "Mold Ref", "Supplier", "Material",
                                    "Source", "Heat Treat", "Unit Price", "Cost"}));
  const auto table = Table();
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[0][10] + "|" + table[1][10] + "|" + table[2][10], "plate cost||pin cost");
}

}  // namespace
}  // namespace bomtest
