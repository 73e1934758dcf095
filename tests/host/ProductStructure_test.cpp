// The host's product structure as the BOM module walks it: children lists, occurrences of
// sub-assemblies, counterparts, product properties, parameters, paths, work modes and the
// reference counting of all these objects.
#include "QORKnowledge.h"
#include "QORMoldComponents.h"
#include "QORProductStructure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// A mold with a sub-assembly used twice (itself holding a sub-assembly), per-instance property
// overrides, plates with and without extension, and a part whose user properties are unreachable
// for lack of product properties.
const char* const kMold = R"({"format": "moldbom-assembly", "version": 1, "root": "mold",
 "products": {
  "mold": {"partNumber": "M-1", "instances": [
      {"name": "Plate", "of": "plate"},
      {"name": "Unit.1", "of": "unit"},
      {"name": "Pin.1", "of": "pin"},
      {"name": "Unit.2", "of": "unit", "properties": {"bom": false}},
      {"name": "Bare", "of": "bare"},
      {"name": "Spacer", "of": "spacer"}]},
  "unit": {"partNumber": "U-1", "instances": [
      {"name": "Pin.1", "of": "pin"},
      {"name": "Sub", "of": "sub"}]},
  "sub": {"partNumber": "S-1", "instances": [
      {"name": "Pin.9", "of": "pin", "properties": {"supplier": "Other"}}]},
  "pin": {"partNumber": "P-1", "component": "EjectorPin",
          "properties": {"bom": true, "reference": "EP 4", "source": "bought"},
          "parameters": [{"name": "UnitPrice", "type": "string", "value": "6.50"}]},
  "plate": {"partNumber": "PL-1", "plate": true, "properties": {},
            "userProperties": [{"name": "Material", "type": "string", "value": "1.2738"},
                               {"name": "Density", "type": "real", "value": 7.85}],
            "parameters": [{"name": "Body\\RefMold", "type": "string", "value": "A"},
                           {"name": "UnitPrice", "type": "real", "value": 12.5},
                           {"name": "Weight", "type": "real", "value": 100},
                           {"name": "Huge", "type": "real", "value": 1e21},
                           {"name": "Holes", "type": "integer", "value": 7},
                           {"name": "Nitrided", "type": "boolean", "value": true}]},
  "spacer": {"partNumber": "SP-1", "plate": "no-extension"},
  "bare": {"partNumber": "B-1",
           "userProperties": [{"name": "Material", "type": "string", "value": "unseen"}]}
 }})";

std::vector<std::string> InstancePaths(const QORListValQORBaseUnknown_var& list) {
  std::vector<std::string> paths;
  for (const QORBaseUnknown_var& item : list) paths.push_back(QORMoldDocument::InstancePath(QORIProduct_var(item)));
  return paths;
}

// Children lists are deleted by their caller.
std::unique_ptr<QORListValQORBaseUnknown_var> ChildrenOf(const QORIProduct_var& product,
                                                         const char* interfaceName = "QORIProduct") {
  return std::unique_ptr<QORListValQORBaseUnknown_var>(product->GetChildren(interfaceName));
}

std::vector<QORICkeParm_var> ParametersOf(QORIParmPublisher* publisher) {
  QORListValQORISpecObject_var children;
  publisher->GetAllChildren(QORICkeParm::ClassName(), children);
  std::vector<QORICkeParm_var> parameters;
  for (const QORISpecObject_var& child : children) parameters.emplace_back(child);
  return parameters;
}

QORICkeParm_var ParameterNamed(QORIParmPublisher* publisher, const char* name) {
  for (const QORICkeParm_var& parameter : ParametersOf(publisher))
    if (parameter->GetName() == name) return parameter;
  return nullptr;
}

class ProductStructure : public testing::Test {
 protected:
  void SetUp() override {
    baseline_ = QORMoldLiveObjectCount();
    auto result = QORMoldDocument::LoadText(kMold, "mold.json");
    ASSERT_TRUE(result.Ok()) << result.Error().Message();
    document_ = std::move(result).Value();
  }

  void TearDown() override {
    QORTlgServicesCacheList::Close();
    QORMoldDocument::SetCurrent(nullptr);
    document_.reset();
    EXPECT_EQ(QORMoldLiveObjectCount(), baseline_) << "host objects leaked";
  }

  QORIProduct_var At(const char* path) const {
    QORIProduct_var product = document_->FindByPath(path);
    EXPECT_TRUE(product) << path;
    return product;
  }

  std::unique_ptr<QORMoldDocument> document_;
  long baseline_ = 0;
};

TEST_F(ProductStructure, ChildrenListHoldsEveryLevelDepthFirstInFileOrderFilteredByInterface) {
  const std::vector<std::string> expected = {
      "M-1/Plate", "M-1/Unit.1", "M-1/Unit.1/Pin.1", "M-1/Unit.1/Sub", "M-1/Unit.1/Sub/Pin.9", "M-1/Pin.1",
      "M-1/Unit.2", "M-1/Unit.2/Pin.1", "M-1/Unit.2/Sub", "M-1/Unit.2/Sub/Pin.9", "M-1/Bare", "M-1/Spacer"};
  EXPECT_EQ(InstancePaths(*ChildrenOf(document_->Root())), expected);
  EXPECT_EQ(InstancePaths(*ChildrenOf(At("M-1/Unit.2"))),
            (std::vector<std::string>{"M-1/Unit.2/Pin.1", "M-1/Unit.2/Sub", "M-1/Unit.2/Sub/Pin.9"}));
  EXPECT_TRUE(ChildrenOf(At("M-1/Pin.1"))->Size() == 0);
  EXPECT_EQ(InstancePaths(*ChildrenOf(document_->Root(), "QORIMldPlate")),
            (std::vector<std::string>{"M-1/Plate", "M-1/Spacer"}));
  EXPECT_EQ(document_->Root()->GetChildren("QORNoSuchInterface"), nullptr);
}

// A sub-assembly used twice gives distinct occurrences of one product; all instances of a product are
// the occurrences of the children list, and of a reference product only with a current document.
TEST_F(ProductStructure, AllInstancesOfAProductAreItsOccurrencesInTheChildrenList) {
  const QORIProduct_var first = At("M-1/Unit.1/Sub/Pin.9");
  const QORIProduct_var second = At("M-1/Unit.2/Sub/Pin.9");
  EXPECT_FALSE(first == second);
  EXPECT_TRUE(first->GetReferenceProduct() == second->GetReferenceProduct());
  EXPECT_TRUE(first->GetFatherProduct() == At("M-1/Unit.1/Sub"));

  QORListValQORBaseUnknown_var instances;
  ASSERT_EQ(QORTlgServicesProduct::GetAllInstanceFromProduct(At("M-1/Pin.1"), instances), S_OK);
  EXPECT_EQ(InstancePaths(instances), (std::vector<std::string>{"M-1/Unit.1/Pin.1", "M-1/Unit.1/Sub/Pin.9", "M-1/Pin.1",
                                                                "M-1/Unit.2/Pin.1", "M-1/Unit.2/Sub/Pin.9"}));
  const auto children = ChildrenOf(document_->Root());
  for (const QORBaseUnknown_var& instance : instances) EXPECT_GT(children->Locate(instance), 0);

  const QORIProduct_var pin = document_->FindReferenceProduct("pin");
  QORListValQORBaseUnknown_var ofReference;
  EXPECT_LT(QORTlgServicesProduct::GetAllInstanceFromProduct(pin, ofReference), 0);
  QORMoldDocument::SetCurrent(document_.get());
  ASSERT_EQ(QORTlgServicesProduct::GetAllInstanceFromProduct(pin, ofReference), S_OK);
  EXPECT_EQ(ofReference.Size(), 5);
}

TEST_F(ProductStructure, CounterpartIsTheDeclaredInstanceSharedByAllItsOccurrences) {
  const QORIProduct_var pinInUnit1 = At("M-1/Unit.1/Pin.1");
  const QORIProduct_var unitReference = document_->FindReferenceProduct("unit");
  const QORIProduct_var counterpart = pinInUnit1->FindInstance(unitReference);
  ASSERT_TRUE(counterpart);
  EXPECT_FALSE(counterpart == pinInUnit1);
  EXPECT_TRUE(At("M-1/Unit.2/Pin.1")->FindInstance(unitReference) == counterpart);
  EXPECT_FALSE(At("M-1/Pin.1")->FindInstance(document_->Root()->GetReferenceProduct()) == counterpart);
  EXPECT_FALSE(pinInUnit1->FindInstance(document_->Root()->GetReferenceProduct()));
  EXPECT_FALSE(document_->Root()->FindInstance(unitReference));

  QORIMldComponent* component = nullptr;
  ASSERT_GE(QORMldServicesComponents::CastToQORIMldComponent(QORBaseUnknown_var(counterpart.Get()), component), 0);
  EXPECT_EQ(QORIExtension_var(component)->GetTypeName(), strEjectorPin);
  QORRelease(component);

  const QORIProduct_var plate = At("M-1/Plate");
  const QORIProduct_var plateCounterpart = plate->FindInstance(plate->GetFatherProduct()->GetReferenceProduct());
  ASSERT_TRUE(plateCounterpart);
  EXPECT_LT(QORMldServicesComponents::CastToQORIMldComponent(QORBaseUnknown_var(plateCounterpart.Get()), component), 0);
  EXPECT_EQ(component, nullptr);
}

// What the analysis asks of each kind of instance: plate (with the extension's type), component, part.
std::string KindOf(const QORIProduct_var& product) {
  std::string kind = QORIMldPlate_var(product) ? "plate " : "";
  if (const QORIExtension_var extension(product); extension) kind += extension->GetTypeName().Utf8() + " ";
  if (QORIMldComponent_var(product)) kind += "component ";
  return kind + (QORPrdIsAProductFromQORPart(product) ? "part" : "assembly");
}

TEST_F(ProductStructure, PlatesComponentsAndPartsOfferTheirInterfaces) {
  const std::pair<const char*, const char*> cases[] = {
      {"M-1/Plate", "plate Plate part"},          {"M-1/Spacer", "plate part"}, {"M-1/Bare", "part"},
      {"M-1/Pin.1", "EjectorPin component part"}, {"M-1/Unit.1", "assembly"},  {"M-1", "assembly"}};
  for (const auto& [path, kind] : cases) EXPECT_EQ(KindOf(At(path)), kind) << path;
  EXPECT_TRUE(QORPrdIsAProductFromQORPart(document_->FindReferenceProduct("pin")));
  EXPECT_FALSE(QORPrdIsAProductFromQORPart(nullptr));
}

// The product properties as the analysis reads them: BOM flag, reference, supplier and source,
// each "-" when its read fails; "none" without properties.
std::string PropertiesOf(const QORIProduct_var& product) {
  const QORIPrdProperties_var properties(product);
  if (!properties) return "none";
  QORBoolean inBOM = 2;
  QORUnicodeString reference, supplier;
  int source = -1;
  const bool bomRead = properties->GetBOMFlag(inBOM) == S_OK;
  const bool referenceRead = SUCCEEDED(properties->GetReference(reference));
  const bool supplierRead = SUCCEEDED(properties->GetSupplier(supplier));
  const bool sourceRead = SUCCEEDED(properties->GetSource(source));
  return std::string(bomRead ? (inBOM ? "in" : "out") : "-") + "|" + (referenceRead ? reference.Utf8() : "-") + "|" +
         (supplierRead ? supplier.Utf8() : "-") + "|" + (sourceRead ? std::to_string(source) : "-");
}

TEST_F(ProductStructure, PropertiesAreAbsentPresentOrOverriddenPerInstance) {
  const std::pair<const char*, const char*> cases[] = {
      {"M-1/Unit.1", "none"},           {"M-1/Unit.2", "out|-|-|-"},
      {"M-1/Plate", "-|-|-|-"},         {"M-1/Pin.1", "in|EP 4|-|2"},
      {"M-1/Unit.1/Sub/Pin.9", "in|EP 4|Other|2"}, {"M-1/Bare", "none"}};
  for (const auto& [path, properties] : cases) EXPECT_EQ(PropertiesOf(At(path)), properties) << path;
}

// A reference written on an instance overrides its product's for that instance alone (and for every
// occurrence of it), and gives an instance of a product without properties a reference of its own.
TEST(InstanceReference, OverridesTheProductsForThatInstanceAndAllItsOccurrences) {
  const auto loaded = QORMoldDocument::LoadText(R"({"format": "moldbom-assembly", "version": 1, "root": "mold",
   "products": {
    "mold": {"partNumber": "M-1", "instances": [
        {"name": "Pin.1", "of": "pin", "properties": {"reference": "EP 4 long"}},
        {"name": "Pin.2", "of": "pin"},
        {"name": "Bare", "of": "bare", "properties": {"reference": "B 7"}},
        {"name": "Unit.1", "of": "unit"}, {"name": "Unit.2", "of": "unit"}]},
    "unit": {"partNumber": "U-1", "instances": [{"name": "Pin.9", "of": "pin", "properties": {"reference": "EP 9"}}]},
    "pin": {"partNumber": "P-1", "properties": {"bom": true, "reference": "EP 4", "source": "bought"}},
    "bare": {"partNumber": "B-1"}}})", "instance-reference.json");
  ASSERT_TRUE(loaded) << loaded.Why();
  const QORMoldDocument& document = *loaded.Value();
  const std::pair<const char*, const char*> cases[] = {
      {"M-1/Pin.1", "in|EP 4 long|-|2"}, {"M-1/Pin.2", "in|EP 4|-|2"},          {"M-1/Bare", "-|B 7|-|-"},
      {"M-1/Unit.1/Pin.9", "in|EP 9|-|2"}, {"M-1/Unit.2/Pin.9", "in|EP 9|-|2"}};
  for (const auto& [path, properties] : cases) {
    const QORIProduct_var instance = document.FindByPath(path);
    ASSERT_TRUE(instance) << path;
    EXPECT_EQ(PropertiesOf(instance), properties) << path;
  }
  const QORIProduct_var pin1 = document.FindByPath("M-1/Pin.1");
  EXPECT_EQ(PropertiesOf(pin1->FindInstance(document.Root()->GetReferenceProduct())), "in|EP 4 long|-|2")
      << "the declared instance, as component services see it";
  EXPECT_EQ(PropertiesOf(pin1->GetReferenceProduct()), "in|EP 4|-|2");
  EXPECT_EQ(PropertiesOf(document.FindByPath("M-1/Bare")->GetReferenceProduct()), "none");
}

// A product with user properties but without product properties keeps them out of reach; the
// publisher of user properties is made only on request.
TEST_F(ProductStructure, UserPropertiesAreReachedThroughTheReferenceProductsProperties) {
  const QORIPrdProperties_var plateProperties(At("M-1/Plate")->GetReferenceProduct());
  ASSERT_TRUE(plateProperties);
  QORIParmPublisher* publisher = nullptr;
  ASSERT_EQ(plateProperties->GetUserPropertiesPublisher(publisher, /*create=*/0), S_OK);
  ASSERT_NE(publisher, nullptr);
  const QORICkeParm_var material = ParameterNamed(publisher, "Material");
  ASSERT_TRUE(material);
  EXPECT_EQ(material->Show(), "1.2738");
  QORISpecObject* father = QORISpecObject_var(material)->GetFather();
  EXPECT_TRUE(QORBaseUnknown::IsSameObject(father, publisher));
  QORRelease(father);
  QORRelease(publisher);
  EXPECT_FALSE(QORIPrdProperties_var(At("M-1/Bare")->GetReferenceProduct()));

  const QORIPrdProperties_var pin(At("M-1/Pin.1")->GetReferenceProduct());
  ASSERT_EQ(pin->GetUserPropertiesPublisher(publisher, /*create=*/0), S_OK);
  EXPECT_EQ(publisher, nullptr);
  ASSERT_EQ(pin->GetUserPropertiesPublisher(publisher, /*create=*/1), S_OK);
  ASSERT_NE(publisher, nullptr);
  QORIParmPublisher* again = nullptr;
  ASSERT_EQ(pin->GetUserPropertiesPublisher(again, /*create=*/0), S_OK);
  EXPECT_EQ(again, publisher);
  QORRelease(again);
  QORRelease(publisher);
}

TEST_F(ProductStructure, ParametersHaveTypesTextsAndNamesRelativeToTheirPublisher) {
  const struct { const char *name, *relativeName; QORIType_var (*type)(); const char* text; } cases[] = {
      {"Body\\RefMold", "RefMold", &QORParmDictionary::StringType, "A"},
      {"UnitPrice", "UnitPrice", &QORParmDictionary::RealType, "12.5"},
      {"Weight", "Weight", &QORParmDictionary::RealType, "100"},
      {"Huge", "Huge", &QORParmDictionary::RealType, "1e+21"},
      {"Holes", "Holes", &QORParmDictionary::IntegerType, "7"},
      {"Nitrided", "Nitrided", &QORParmDictionary::BooleanType, "true"},
  };
  const QORIParmPublisher_var plate(At("M-1/Plate")->GetReferenceProduct());
  ASSERT_TRUE(plate);
  ASSERT_EQ(ParametersOf(plate.Get()).size(), std::size(cases));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QORICkeParm_var parameter = ParameterNamed(plate.Get(), c.name);
    ASSERT_TRUE(parameter);
    EXPECT_TRUE(parameter->GetType() == c.type());
    EXPECT_EQ(parameter->Show(), c.text);
    EXPECT_EQ(parameter->GetValue()->Show(), c.text);
    QORISpecObject* father = QORISpecObject_var(parameter)->GetFather();
    const QORIParmPublisher_var publisher(father);
    QORRelease(father);
    ASSERT_TRUE(publisher);
    EXPECT_EQ(parameter->GetRelativeName(publisher.Get()), c.relativeName);
  }
  // Relative to any other publisher the name stays whole.
  const QORIParmPublisher_var pin(At("M-1/Pin.1")->GetReferenceProduct());
  EXPECT_EQ(ParameterNamed(plate.Get(), "Body\\RefMold")->GetRelativeName(pin.Get()), "Body\\RefMold");
}

TEST_F(ProductStructure, ValuatingARealKeepsEachParametersType) {
  const QORIParmPublisher_var plate(At("M-1/Plate")->GetReferenceProduct());
  const QORIParmPublisher_var pin(At("M-1/Pin.1")->GetReferenceProduct());
  const struct { QORICkeParm_var parameter; double value; const char* text; } cases[] = {
      {ParameterNamed(plate.Get(), "UnitPrice"), 99.5, "99.5"},
      {ParameterNamed(pin.Get(), "UnitPrice"), 100, "100"},
      {ParameterNamed(plate.Get(), "Holes"), 2.6, "3"},
      {ParameterNamed(plate.Get(), "Nitrided"), 0, "false"},
  };
  for (const auto& c : cases) {
    const QORIType_var typeBefore = c.parameter->GetType();
    c.parameter->Valuate(c.value);
    EXPECT_EQ(c.parameter->Show(), c.text);
    EXPECT_TRUE(c.parameter->GetType() == typeBefore);
  }
}

// The root is named after its part number, every other instance after its name.
TEST_F(ProductStructure, InstancePathsLeadBackToTheirOccurrences) {
  const QORIProduct_var root = document_->Root();
  QORUnicodeString name;
  ASSERT_EQ(root->GetPrdInstanceName(name), S_OK);
  EXPECT_EQ(name, "M-1");
  EXPECT_EQ(QORIAlias_var(root)->GetAlias(), "M-1");
  EXPECT_FALSE(root->GetFatherProduct());
  EXPECT_EQ(QORIAlias_var(At("M-1/Unit.2/Sub"))->GetAlias(), "Sub");
  int visited = 0;
  document_->Walk([&](const QORIProduct_var& instance, int depth) {
    ++visited;
    const std::string path = QORMoldDocument::InstancePath(instance);
    EXPECT_TRUE(document_->FindByPath(path) == instance) << path;
    EXPECT_EQ(static_cast<int>(std::count(path.begin(), path.end(), '/')), depth) << path;
  });
  EXPECT_EQ(visited, 13);
  for (const char* missing : {"M-1/Unit.3", "M-1/Unit.1/", "X-1/Unit.1"}) EXPECT_FALSE(document_->FindByPath(missing));
}

TEST_F(ProductStructure, PathElementRunsFromTheRootAndExtendsTheEditorsContext) {
  const QORIProduct_var pin = At("M-1/Unit.2/Sub/Pin.9");
  QORPathElement* path = nullptr;
  ASSERT_EQ(QORIPathAccess_var(pin)->GetPathElement(path), S_OK);
  std::vector<std::string> aliases;
  path->InitToTopElement();
  for (QORBaseUnknown_var element = path->NextChildElement(); element; element = path->NextChildElement())
    aliases.push_back(QORIAlias_var(element)->GetAlias().Utf8());
  EXPECT_EQ(aliases, (std::vector<std::string>{"M-1", "Unit.2", "Sub", "Pin.9"}));
  QORRelease(path);

  const QORIBuildPath_var builder(pin);
  ASSERT_EQ(builder->ExtractPathElement(document_->ContextPath().Get(), path), S_OK);
  EXPECT_EQ(path->GetSize(), 4);
  QORRelease(path);
  EXPECT_LT(builder->ExtractPathElement(nullptr, path), 0);

  auto other = QORMoldDocument::LoadText(kMold, "other.json");
  ASSERT_TRUE(other.Ok());
  EXPECT_LT(builder->ExtractPathElement(other.Value()->ContextPath().Get(), path), 0);
  EXPECT_EQ(path, nullptr);
}

TEST_F(ProductStructure, CacheListReturnsItsProductsToVisualisationMode) {
  const QORIProduct_var before = At("M-1/Bare");
  ASSERT_EQ(QORTlgServicesFunction::ModifyWorkMode(before, 1), S_OK);  // no list open: not recorded
  QORTlgServicesCacheList::Init();
  ASSERT_EQ(QORTlgServicesFunction::ModifyWorkMode(At("M-1/Unit.2/Pin.1"), 1), S_OK);
  ASSERT_EQ(QORTlgServicesFunction::ModifyWorkMode(At("M-1/Plate"), 1), S_OK);
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(At("M-1/Plate")), 1);
  EXPECT_EQ(QORTlgServicesCacheList::WorkModeOf(At("M-1/Unit.1/Pin.1")), 0);
  EXPECT_EQ(QORTlgServicesCacheList::ProductsInWorkMode(),
            (QORListOfQORUnicodeString{"M-1/Bare", "M-1/Unit.2/Pin.1", "M-1/Plate"}));

  QORTlgServicesCacheList::GoToVisuMode();
  EXPECT_EQ(QORTlgServicesCacheList::ProductsInWorkMode(), (QORListOfQORUnicodeString{"M-1/Bare"}));
  QORTlgServicesCacheList::Close();
  ASSERT_EQ(QORTlgServicesFunction::ModifyWorkMode(before, 0), S_OK);
  EXPECT_EQ(QORTlgServicesCacheList::ProductsInWorkMode().Size(), 0);
  EXPECT_LT(QORTlgServicesFunction::ModifyWorkMode(nullptr, 1), 0);
}

TEST_F(ProductStructure, ObjectsHeldPastTheirDocumentStayUsableAndAreFreedWhenReleased) {
  QORIProduct_var pin = At("M-1/Unit.1/Sub/Pin.9");
  QORICkeParm_var price = ParameterNamed(QORIParmPublisher_var(pin->GetReferenceProduct()).Get(), "UnitPrice");
  std::unique_ptr<QORListValQORBaseUnknown_var> children = ChildrenOf(document_->Root());
  document_.reset();

  // The children list still holds the father; once it goes, the pin hangs below nothing.
  EXPECT_TRUE(pin->GetFatherProduct() == children->Items()[3]);
  children.reset();
  EXPECT_FALSE(pin->GetFatherProduct());
  EXPECT_EQ(QORMoldDocument::InstancePath(pin), "Pin.9");
  EXPECT_EQ(pin->GetPartNumber(), "P-1");
  EXPECT_EQ(price->Show(), "6.50");
  EXPECT_GT(QORMoldLiveObjectCount(), baseline_);
  pin = nullptr;
  price = nullptr;
  // TearDown checks that nothing is left.
}

// Mold files and the type column name tooling types by these texts.
TEST(ToolingTypes, EachTextIsTheConstantsNameWithoutStr) {
#define QOR_TOOLING_TYPE(name) std::pair<const QORUnicodeString*, const char*>(&str##name, #name)
  for (const auto& [constant, text] :
       {QOR_TOOLING_TYPE(AnglePin), QOR_TOOLING_TYPE(Baffle), QOR_TOOLING_TYPE(Bushing), QOR_TOOLING_TYPE(CapScrew),
        QOR_TOOLING_TYPE(CorePin), QOR_TOOLING_TYPE(CountScrew), QOR_TOOLING_TYPE(DowelPin), QOR_TOOLING_TYPE(Ejector),
        QOR_TOOLING_TYPE(EjectorPin), QOR_TOOLING_TYPE(EjectorSleeve), QOR_TOOLING_TYPE(EyeBolt),
        QOR_TOOLING_TYPE(FlatEjector), QOR_TOOLING_TYPE(Insert), QOR_TOOLING_TYPE(KnockOut),
        QOR_TOOLING_TYPE(LeaderPin), QOR_TOOLING_TYPE(LocatingRing), QOR_TOOLING_TYPE(LockScrew),
        QOR_TOOLING_TYPE(ORing), QOR_TOOLING_TYPE(Plug), QOR_TOOLING_TYPE(Retainer), QOR_TOOLING_TYPE(Sleeve),
        QOR_TOOLING_TYPE(Slider), QOR_TOOLING_TYPE(Spring), QOR_TOOLING_TYPE(SprueBushing),
        QOR_TOOLING_TYPE(SpruePuller), QOR_TOOLING_TYPE(StopPin), QOR_TOOLING_TYPE(SupportPillar),
        QOR_TOOLING_TYPE(UserComponent)})
    EXPECT_EQ(*constant, text);
#undef QOR_TOOLING_TYPE
}

}  // namespace
