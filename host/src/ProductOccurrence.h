// An occurrence of an instance in the loaded structure: one node of the tree below the root
// product, so that an assembly used twice gives its instances once under each of its uses.
#pragma once

#include "ProductSupport.h"
#include "QORMoldComponents.h"
#include "QORProductStructure.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace qorhost {

class ProductDefinition;
class ProductReference;
struct MoldProperties;

class ProductOccurrence : public QORIProduct,
                          public QORISpecObject,
                          public QORIPrdProperties,
                          public QORIMldPlate,
                          public QORIExtension,
                          public QORIMldComponent,
                          public QORIAlias,
                          public QORIPathAccess,
                          public QORIBuildPath {
 public:
  // The root occurrence: named after its product's part number.
  explicit ProductOccurrence(QORVar<ProductReference> product);
  // The occurrence of definition below father, which holds it.
  ProductOccurrence(QORVar<ProductDefinition> definition, ProductOccurrence* father);
  ~ProductOccurrence() override;

  const char* GetImplClassName() const override { return "ProductOccurrence"; }
  bool HidesInterface(const char* interfaceName) const override;

  QORListValQORBaseUnknown_var* GetChildren(const char* interfaceName) override;
  QORVar<QORIProduct> GetReferenceProduct() override;
  QORVar<QORIProduct> GetFatherProduct() override;
  QORVar<QORIProduct> FindInstance(const QORVar<QORIProduct>& reference) override;
  HRESULT GetPrdInstanceName(QORUnicodeString& name) override;
  QORUnicodeString GetPartNumber() override;

  QORISpecObject* GetFather() override;

  HRESULT GetBOMFlag(QORBoolean& inBOM) override;
  HRESULT GetReference(QORUnicodeString& reference) override;
  HRESULT GetSupplier(QORUnicodeString& supplier) override;
  HRESULT GetSource(int& source) override;
  HRESULT GetUserPropertiesPublisher(QORIParmPublisher*& publisher, int create) override;

  // The component's tooling type, or "Plate" for a plate that is no component.
  QORUnicodeString GetTypeName() override;

  QORUnicodeString GetAlias() override { return QORUnicodeString(Name()); }

  HRESULT GetPathElement(QORPathElement*& path) override;
  HRESULT ExtractPathElement(QORPathElement* context, QORPathElement*& path) override;

  void AppendChild(QORVar<ProductOccurrence> child);
  const std::vector<QORVar<ProductOccurrence>>& Children() const { return children_; }
  ProductOccurrence* Father() const { return father_; }
  // The topmost occurrence this one still hangs below (itself for the root).
  ProductOccurrence& Top();
  const std::string& Name() const;
  const QORVar<ProductReference>& Product() const { return product_; }
  // Instance names from the top occurrence down to this one, joined by "/".
  std::string InstancePath() const;
  // The occurrences of product in this subtree, depth first and each before its children; indexed
  // at the first call after the subtree last grew, so that asking for every product stays linear.
  const std::vector<ProductOccurrence*>& InstancesOf(const ProductReference* product);

 private:
  const MoldProperties* Properties() const;
  void AppendDescendants(const char* interfaceName, QORListValQORBaseUnknown_var& list) const;
  // This occurrence and its fathers, from the top down.
  QORListValQORBaseUnknown_var PathFromTop();
  void DetachFromFather() { father_ = nullptr; }

  ProductOccurrence* father_ = nullptr;
  QORVar<ProductDefinition> definition_;  // null for the root
  QORVar<ProductReference> product_;
  std::vector<QORVar<ProductOccurrence>> children_;
  // Plain pointers: the subtree owns every occurrence listed, and a handle would own its owner.
  // Built on demand, mostly for the root only: every occurrence holds the slot.
  using InstanceIndex = std::unordered_map<const ProductReference*, std::vector<ProductOccurrence*>>;
  std::unique_ptr<InstanceIndex> instancesByProduct_;
  [[no_unique_address]] LiveObjectToken live_;
};

}  // namespace qorhost
