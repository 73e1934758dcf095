// A reference product: what one product id of a mold file is, shared by all its instances.
#pragma once

#include "KnowledgeParameterSet.h"
#include "KnowledgeUserProperties.h"
#include "MoldDescription.h"
#include "ProductProperties.h"
#include "ProductSupport.h"
#include "QORKnowledge.h"
#include "QORProductStructure.h"

#include <optional>
#include <string>
#include <vector>

namespace qorhost {

class ProductDefinition;

class ProductReference : public QORIProduct,
                         public QORISpecObject,
                         public QORIParmPublisher,
                         public QORIPrdProperties,
                         public QORIAlias {
 public:
  explicit ProductReference(const MoldProduct& product);
  ~ProductReference() override;

  const char* GetImplClassName() const override { return "ProductReference"; }
  bool HidesInterface(const char* interfaceName) const override;

  // QORIProduct: its children are the instances it declares, and theirs, at every level.
  QORListValQORBaseUnknown_var* GetChildren(const char* interfaceName) override;
  QORVar<QORIProduct> GetReferenceProduct() override { return QORVar<QORIProduct>(this); }
  QORVar<QORIProduct> GetFatherProduct() override { return nullptr; }
  QORVar<QORIProduct> FindInstance(const QORVar<QORIProduct>&) override { return nullptr; }
  HRESULT GetPrdInstanceName(QORUnicodeString& name) override;
  QORUnicodeString GetPartNumber() override { return QORUnicodeString(partNumber_); }

  QORISpecObject* GetFather() override { return nullptr; }

  void GetAllChildren(const char* typeName, QORListValQORISpecObject_var& children) override {
    parameters_.AppendChildren(typeName, children);
  }

  HRESULT GetBOMFlag(QORBoolean& inBOM) override;
  HRESULT GetReference(QORUnicodeString& reference) override;
  HRESULT GetSupplier(QORUnicodeString& supplier) override;
  HRESULT GetSource(int& source) override;
  HRESULT GetUserPropertiesPublisher(QORIParmPublisher*& publisher, int create) override {
    return UserPropertiesPublisher(publisher, create);
  }

  QORUnicodeString GetAlias() override { return QORUnicodeString(partNumber_); }

  // For the host: the publisher whatever the product's own properties, as instances reach it.
  HRESULT UserPropertiesPublisher(QORIParmPublisher*& publisher, int create);
  void AddDefinition(QORVar<ProductDefinition> definition);
  const std::vector<QORVar<ProductDefinition>>& Definitions() const { return definitions_; }
  // Appends the instances this product declares, and theirs, depth first, that offer the
  // interface named interfaceName.
  void AppendDefinitionsDepthFirst(const char* interfaceName, QORListValQORBaseUnknown_var& list) const;
  const std::string& Id() const { return id_; }
  const std::string& PartNumber() const { return partNumber_; }
  bool IsAssembly() const { return isAssembly_; }
  MoldPlateKind Plate() const { return plate_; }
  const std::optional<std::string>& Component() const { return component_; }
  const MoldProperties* Properties() const { return properties_.get(); }
  const SharedProperties& SharedPropertiesOf() const { return properties_; }

 private:
  std::string id_;
  std::string partNumber_;
  bool isAssembly_;
  MoldPlateKind plate_;
  std::optional<std::string> component_;
  SharedProperties properties_;
  KnowledgeParameterSet parameters_;
  QORVar<KnowledgeUserProperties> userProperties_;
  std::vector<QORVar<ProductDefinition>> definitions_;
  [[no_unique_address]] LiveObjectToken live_;
};

}  // namespace qorhost
