// The host's product structure as the BOM module reads it: product properties and their
// per-instance overrides, and objects that outlive their document.
#include "QORKnowledge.h"
#include "QORProductStructure.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A mold with a sub-assembly used twice (itself holding a sub-assembly), per-instance property
// overrides, a plate and a part without product properties.
const char* const kMold = R"({"format": "moldbom-assembly", "version": 1, "root": "mold",
 "products": {
  "mold": {"partNumber": "M-1", "instances": [
      {"name": "Plate", "of": "plate"},
      {"name": "Unit.1", "of": "unit"},
      {"name": "Pin.1", "of": "pin"},
      {"name": "Unit.2", "of": "unit", "properties": {"bom": false}},
      {"name": "Bare", "of": "bare"}]},
  "unit": {"partNumber": "U-1", "instances": [
      {"name": "Pin.1", "of": "pin"},
      {"name": "Sub", "of": "sub"}]},
  "sub": {"partNumber": "S-1", "instances": [
      {"name": "Pin.9", "of": "pin", "properties": {"supplier": "Other"}}]},
  "pin": {"partNumber": "P-1", "component": "EjectorPin",
          "properties": {"bom": true, "reference": "EP 4", "source": "bought"},
          "parameters": [{"name": "UnitPrice", "type": "string", "value": "6.50"}]},
  "plate": {"partNumber": "PL-1", "plate": true, "properties": {}},
  "bare": {"partNumber": "B-1"}
 }})";

// Children lists are deleted by their caller.
std::unique_ptr<QORListValQORBaseUnknown_var> ChildrenOf(const QORIProduct_var& product) {
  return std::unique_ptr<QORListValQORBaseUnknown_var>(product->GetChildren("QORIProduct"));
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

}  // namespace
