// An instance as its parent product declares it: one entry of a product's "instances", shared by
// every occurrence of that entry. It is the counterpart that component services recognise.
#pragma once

#include "MoldDescription.h"
#include "ProductProperties.h"
#include "ProductSupport.h"
#include "QORMoldComponents.h"
#include "QORProductStructure.h"

#include <optional>
#include <string>

namespace qorhost {

class ProductReference;

class ProductDefinition : public QORIProduct,
                          public QORISpecObject,
                          public QORIPrdProperties,
                          public QORIMldComponent,
                          public QORIExtension,
                          public QORIAlias {
 public:
  // owner declares the instance and holds it; product is what it is an instance of.
  ProductDefinition(const MoldInstance& instance, ProductReference* owner, QORVar<ProductReference> product);

  const char* GetImplClassName() const override { return "ProductDefinition"; }
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

  // The component's tooling type.
  QORUnicodeString GetTypeName() override;

  QORUnicodeString GetAlias() override { return QORUnicodeString(name_); }

  void DetachFromOwner() { owner_ = nullptr; }
  bool IsDeclaredBy(const QORBaseUnknown* reference) const;
  const std::string& Name() const { return name_; }
  const QORVar<ProductReference>& Product() const { return product_; }
  // The instance's own properties over its product's.
  const MoldProperties* Properties() const { return properties_.get(); }

 private:
  std::string name_;
  ProductReference* owner_;
  QORVar<ProductReference> product_;
  SharedProperties properties_;
  [[no_unique_address]] LiveObjectToken live_;
};

}  // namespace qorhost
