// Product analysis of the BOM command: classification, attributes and work mode.
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

TEST_F(BomClassificationTest, EveryListedInstanceIsPutInWorkModeUntilTheCommandEnds) {
  const Strings inWork = Texts(QORTlgServicesCacheList::ProductsInWorkMode());
  for (const char* path : {"MOLD/Unit.1", "MOLD/Unit.1/Screw.1", "MOLD/Part.1", "MOLD/Clamp.1"})
    EXPECT_NE(std::find(inWork.begin(), inWork.end(), path), inWork.end()) << path;
  QORIProduct_var part = document_->FindByPath("MOLD/Part.1");
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(part), 1);
  EndCommand();
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(part), 0);
}

}  // namespace
}  // namespace bomtest
