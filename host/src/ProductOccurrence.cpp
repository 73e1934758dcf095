// Occurrences: the instances of the loaded tree, with their properties, plates, components and
// paths.
#include "ProductOccurrence.h"

#include "ProductDefinition.h"
#include "ProgressMeter.h"
#include "ProductProperties.h"
#include "ProductReference.h"

#include <algorithm>
#include <cstring>

namespace qorhost {
namespace {

bool IsNamed(const char* interfaceName, const char* className) { return std::strcmp(interfaceName, className) == 0; }

}  // namespace

ProductOccurrence::ProductOccurrence(QORVar<ProductReference> product)
    : product_(std::move(product)) {}

ProductOccurrence::ProductOccurrence(QORVar<ProductDefinition> definition, ProductOccurrence* father)
    : father_(father), definition_(definition), product_(definition->Product()) {}

// The root is named after its product's part number, the others after their declared instance.
const std::string& ProductOccurrence::Name() const { return definition_ ? definition_->Name() : product_->PartNumber(); }

ProductOccurrence::~ProductOccurrence() {
  for (const QORVar<ProductOccurrence>& child : children_) child->DetachFromFather();
}

bool ProductOccurrence::HidesInterface(const char* interfaceName) const {
  const bool isComponent = product_->Component().has_value();
  const MoldPlateKind plate = product_->Plate();
  if (IsNamed(interfaceName, QORIPrdProperties::ClassName())) return !Properties();
  if (IsNamed(interfaceName, QORIMldPlate::ClassName())) return plate == MoldPlateKind::None;
  if (IsNamed(interfaceName, QORIMldComponent::ClassName())) return !isComponent;
  if (IsNamed(interfaceName, QORIExtension::ClassName()))
    return !isComponent && plate != MoldPlateKind::WithExtension;
  return false;
}

const MoldProperties* ProductOccurrence::Properties() const {
  return definition_ ? definition_->Properties() : product_->Properties();
}

QORListValQORBaseUnknown_var* ProductOccurrence::GetChildren(const char* interfaceName) {
  QOR_HOST_CALL();
  if (!OffersInterfaceNamed(this, interfaceName)) return nullptr;
  auto* list = new QORListValQORBaseUnknown_var;
  AppendDescendants(interfaceName, *list);
  ProgressBeginAnalysis(interfaceName, list->Size());
  return list;
}

// Depth first, each occurrence before its own children: the order in which a user reads the
// product tree.
void ProductOccurrence::AppendDescendants(const char* interfaceName, QORListValQORBaseUnknown_var& list) const {
  for (const QORVar<ProductOccurrence>& child : children_) {
    if (OffersInterfaceNamed(child.Get(), interfaceName).value_or(false)) list.Append(QORBaseUnknown_var(child.Get()));
    child->AppendDescendants(interfaceName, list);
  }
}

void ProductOccurrence::AppendChild(QORVar<ProductOccurrence> child) {
  child->instancesByProduct_.reset();
  children_.push_back(std::move(child));
  for (ProductOccurrence* at = this; at; at = at->father_) at->instancesByProduct_.reset();
}

const std::vector<ProductOccurrence*>& ProductOccurrence::InstancesOf(const ProductReference* product) {
  if (!instancesByProduct_) {
    instancesByProduct_ = std::make_unique<InstanceIndex>();
    std::vector<ProductOccurrence*> pending{this};
    while (!pending.empty()) {
      ProductOccurrence* at = pending.back();
      pending.pop_back();
      (*instancesByProduct_)[at->product_.Get()].push_back(at);
      for (auto child = at->children_.rbegin(); child != at->children_.rend(); ++child) pending.push_back(child->Get());
    }
  }
  static const std::vector<ProductOccurrence*> none;
  const auto found = instancesByProduct_->find(product);
  return found == instancesByProduct_->end() ? none : found->second;
}

QORVar<QORIProduct> ProductOccurrence::GetReferenceProduct() { QOR_HOST_CALL(); return QORVar<QORIProduct>(product_); }

QORVar<QORIProduct> ProductOccurrence::GetFatherProduct() {
  QOR_HOST_CALL();
  if (!father_) return nullptr;
  return QORVar<QORIProduct>(father_);
}

QORVar<QORIProduct> ProductOccurrence::FindInstance(const QORVar<QORIProduct>& reference) {
  QOR_HOST_CALL();
  if (!definition_ || !definition_->IsDeclaredBy(reference.Get())) return nullptr;
  return QORVar<QORIProduct>(definition_);
}

HRESULT ProductOccurrence::GetPrdInstanceName(QORUnicodeString& name) {
  QOR_HOST_CALL();
  name = QORUnicodeString(Name());
  return S_OK;
}

QORUnicodeString ProductOccurrence::GetPartNumber() {
  QOR_HOST_CALL();
  return QORUnicodeString(product_->PartNumber());
}

QORISpecObject* ProductOccurrence::GetFather() {
  QOR_HOST_CALL();
  if (!father_) return nullptr;
  QORISpecObject* father = father_;
  father->AddRef();
  return father;
}

HRESULT ProductOccurrence::GetBOMFlag(QORBoolean& inBOM) { QOR_HOST_CALL(); return ReadBOMFlag(Properties(), inBOM); }
HRESULT ProductOccurrence::GetReference(QORUnicodeString& reference) {
  QOR_HOST_CALL();
  return ReadReference(Properties(), reference);
}
HRESULT ProductOccurrence::GetSupplier(QORUnicodeString& supplier) {
  QOR_HOST_CALL();
  return ReadSupplier(Properties(), supplier);
}
HRESULT ProductOccurrence::GetSource(int& source) { QOR_HOST_CALL(); return ReadSource(Properties(), source); }
HRESULT ProductOccurrence::GetUserPropertiesPublisher(QORIParmPublisher*& publisher, int create) {
  QOR_HOST_CALL();
  return product_->UserPropertiesPublisher(publisher, create);
}

QORUnicodeString ProductOccurrence::GetTypeName() {
  QOR_HOST_CALL();
  return QORUnicodeString(product_->Component().value_or("Plate"));
}

ProductOccurrence& ProductOccurrence::Top() {
  ProductOccurrence* top = this;
  while (top->father_) top = top->father_;
  return *top;
}

// Highlighting a line asks this for each of its components: one allocation, filled from the bottom.
QORListValQORBaseUnknown_var ProductOccurrence::PathFromTop() {
  int depth = 0;
  for (const ProductOccurrence* at = this; at; at = at->father_) ++depth;
  QORListValQORBaseUnknown_var path;
  path.Reserve(static_cast<std::size_t>(depth));
  for (int i = 0; i < depth; ++i) path.Append(nullptr);
  int index = depth;
  for (ProductOccurrence* at = this; at; at = at->father_) path[index--] = QORBaseUnknown_var(at);
  return path;
}

std::string ProductOccurrence::InstancePath() const {
  std::vector<const ProductOccurrence*> upward;
  for (const ProductOccurrence* at = this; at; at = at->father_) upward.push_back(at);
  std::string path;
  for (auto it = upward.rbegin(); it != upward.rend(); ++it) {
    if (!path.empty()) path += '/';
    path += (*it)->Name();
  }
  return path;
}

HRESULT ProductOccurrence::GetPathElement(QORPathElement*& path) {
  QOR_HOST_CALL();
  path = new QORPathElement(PathFromTop());
  return path ? S_OK : E_FAIL;
}

// The context (an editor's path) must be the start of this occurrence's own path; the result is
// the whole path, so that the editor can address the occurrence from its top element.
HRESULT ProductOccurrence::ExtractPathElement(QORPathElement* context, QORPathElement*& path) {
  QOR_HOST_CALL();
  path = nullptr;
  if (!context) return E_FAIL;
  QORListValQORBaseUnknown_var full = PathFromTop();
  const QORListValQORBaseUnknown_var& prefix = context->Elements();
  if (prefix.Size() > full.Size()) return E_FAIL;
  for (int i = 1; i <= prefix.Size(); ++i)
    if (!QORBaseUnknown::IsSameObject(prefix[i].Get(), full[i].Get())) return E_FAIL;
  path = new QORPathElement(std::move(full));
  return path ? S_OK : E_FAIL;
}

}  // namespace qorhost
