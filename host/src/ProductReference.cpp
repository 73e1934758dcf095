// Reference products: part number, product properties, parameters and the instances declared.
#include "ProductReference.h"

#include "ProductDefinition.h"
#include "ProductProperties.h"
#include "ProgressMeter.h"

#include <cstring>

namespace qorhost {

ProductReference::ProductReference(const MoldProduct& product)
    : id_(product.id),
      partNumber_(product.partNumber),
      isAssembly_(product.instances.has_value()),
      plate_(product.plate),
      component_(product.component),
      properties_(product.properties ? std::make_shared<const MoldProperties>(*product.properties) : nullptr),
      parameters_(product.parameters, this) {
  if (product.userProperties) userProperties_ = MakeHostObject<KnowledgeUserProperties>(*product.userProperties, this);
}

ProductReference::~ProductReference() {
  for (const QORVar<ProductDefinition>& definition : definitions_) definition->DetachFromOwner();
  if (userProperties_) userProperties_->DetachFromOwner();
}

bool ProductReference::HidesInterface(const char* interfaceName) const {
  return !properties_ && std::strcmp(interfaceName, QORIPrdProperties::ClassName()) == 0;
}

QORListValQORBaseUnknown_var* ProductReference::GetChildren(const char* interfaceName) {
  QOR_HOST_CALL();
  if (!OffersInterfaceNamed(this, interfaceName)) return nullptr;
  auto* list = new QORListValQORBaseUnknown_var;
  AppendDefinitionsDepthFirst(interfaceName, *list);
  ProgressBeginAnalysis(interfaceName, list->Size());
  return list;
}

void ProductReference::AppendDefinitionsDepthFirst(const char* interfaceName, QORListValQORBaseUnknown_var& list) const {
  for (const QORVar<ProductDefinition>& definition : definitions_) {
    if (OffersInterfaceNamed(definition.Get(), interfaceName).value_or(false))
      list.Append(QORBaseUnknown_var(definition.Get()));
    definition->Product()->AppendDefinitionsDepthFirst(interfaceName, list);
  }
}

HRESULT ProductReference::GetPrdInstanceName(QORUnicodeString& name) {
  QOR_HOST_CALL();
  name = QORUnicodeString(partNumber_);
  return S_OK;
}

HRESULT ProductReference::GetBOMFlag(QORBoolean& inBOM) { QOR_HOST_CALL(); return ReadBOMFlag(properties_.get(), inBOM); }
HRESULT ProductReference::GetReference(QORUnicodeString& reference) {
  QOR_HOST_CALL();
  return ReadReference(properties_.get(), reference);
}
HRESULT ProductReference::GetSupplier(QORUnicodeString& supplier) {
  QOR_HOST_CALL();
  return ReadSupplier(properties_.get(), supplier);
}
HRESULT ProductReference::GetSource(int& source) { QOR_HOST_CALL(); return ReadSource(properties_.get(), source); }

HRESULT ProductReference::UserPropertiesPublisher(QORIParmPublisher*& publisher, int create) {
  QOR_HOST_CALL();
  if (!userProperties_ && create) userProperties_ = MakeHostObject<KnowledgeUserProperties>(std::vector<MoldParameter>{}, this);
  publisher = userProperties_.Get();
  if (publisher) publisher->AddRef();
  return S_OK;
}

void ProductReference::AddDefinition(QORVar<ProductDefinition> definition) { definitions_.push_back(std::move(definition)); }

}  // namespace qorhost
