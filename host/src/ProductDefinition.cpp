// Declared instances: the counterparts of occurrences in their parent's reference product.
#include "ProductDefinition.h"

#include "ProductProperties.h"
#include "ProgressMeter.h"
#include "ProductReference.h"

#include <cstring>

namespace qorhost {
namespace {

// Most instances have no properties of their own: they share their product's rather than copy them.
SharedProperties PropertiesOf(const ProductReference& product, const std::optional<MoldProperties>& own) {
  if (!own) return product.SharedPropertiesOf();
  const std::optional<MoldProperties> ofProduct =
      product.Properties() ? std::optional<MoldProperties>(*product.Properties()) : std::nullopt;
  return std::make_shared<const MoldProperties>(*MergeProperties(ofProduct, own));
}

}  // namespace

ProductDefinition::ProductDefinition(const MoldInstance& instance, ProductReference* owner,
                                     QORVar<ProductReference> product)
    : name_(instance.name),
      owner_(owner),
      product_(std::move(product)),
      properties_(PropertiesOf(*product_.Get(), instance.properties)) {}

bool ProductDefinition::HidesInterface(const char* interfaceName) const {
  const bool isComponent = product_->Component().has_value();
  if (std::strcmp(interfaceName, QORIPrdProperties::ClassName()) == 0) return !properties_;
  if (std::strcmp(interfaceName, QORIMldComponent::ClassName()) == 0) return !isComponent;
  if (std::strcmp(interfaceName, QORIExtension::ClassName()) == 0) return !isComponent;
  return false;
}

QORListValQORBaseUnknown_var* ProductDefinition::GetChildren(const char* interfaceName) {
  QOR_HOST_CALL();
  if (!OffersInterfaceNamed(this, interfaceName)) return nullptr;
  auto* list = new QORListValQORBaseUnknown_var;
  product_->AppendDefinitionsDepthFirst(interfaceName, *list);
  ProgressBeginAnalysis(interfaceName, list->Size());
  return list;
}

QORVar<QORIProduct> ProductDefinition::GetReferenceProduct() { QOR_HOST_CALL(); return QORVar<QORIProduct>(product_); }

QORVar<QORIProduct> ProductDefinition::GetFatherProduct() {
  QOR_HOST_CALL();
  if (!owner_) return nullptr;
  return QORVar<QORIProduct>(owner_);
}

QORVar<QORIProduct> ProductDefinition::FindInstance(const QORVar<QORIProduct>& reference) {
  QOR_HOST_CALL();
  if (!IsDeclaredBy(reference.Get())) return nullptr;
  return QORVar<QORIProduct>(this);
}

bool ProductDefinition::IsDeclaredBy(const QORBaseUnknown* reference) const {
  return owner_ && reference && QORBaseUnknown::IsSameObject(owner_, reference);
}

HRESULT ProductDefinition::GetPrdInstanceName(QORUnicodeString& name) {
  QOR_HOST_CALL();
  name = QORUnicodeString(name_);
  return S_OK;
}

QORUnicodeString ProductDefinition::GetPartNumber() {
  QOR_HOST_CALL();
  return QORUnicodeString(product_->PartNumber());
}

QORISpecObject* ProductDefinition::GetFather() {
  QOR_HOST_CALL();
  if (!owner_) return nullptr;
  QORISpecObject* father = owner_;
  father->AddRef();
  return father;
}

HRESULT ProductDefinition::GetBOMFlag(QORBoolean& inBOM) { QOR_HOST_CALL(); return ReadBOMFlag(properties_.get(), inBOM); }
HRESULT ProductDefinition::GetReference(QORUnicodeString& reference) {
  QOR_HOST_CALL();
  return ReadReference(properties_.get(), reference);
}
HRESULT ProductDefinition::GetSupplier(QORUnicodeString& supplier) {
  QOR_HOST_CALL();
  return ReadSupplier(properties_.get(), supplier);
}
HRESULT ProductDefinition::GetSource(int& source) { QOR_HOST_CALL(); return ReadSource(properties_.get(), source); }
HRESULT ProductDefinition::GetUserPropertiesPublisher(QORIParmPublisher*& publisher, int create) {
  QOR_HOST_CALL();
  return product_->UserPropertiesPublisher(publisher, create);
}

QORUnicodeString ProductDefinition::GetTypeName() {
  QOR_HOST_CALL();
  return QORUnicodeString(product_->Component().value_or(""));
}

}  // namespace qorhost
