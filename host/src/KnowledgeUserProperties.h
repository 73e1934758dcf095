// The user-property set of a reference product: a publisher of its user properties.
#pragma once

#include "KnowledgeParameterSet.h"
#include "QORKnowledge.h"

namespace qorhost {

class KnowledgeUserProperties : public QORIParmPublisher, public QORISpecObject {
 public:
  // owner holds the set and detaches it when it goes away.
  KnowledgeUserProperties(const std::vector<MoldParameter>& properties, QORISpecObject* owner);

  const char* GetImplClassName() const override { return "KnowledgeUserProperties"; }
  void GetAllChildren(const char* typeName, QORListValQORISpecObject_var& children) override {
    parameters_.AppendChildren(typeName, children);
  }
  QORISpecObject* GetFather() override;

  void DetachFromOwner() { owner_ = nullptr; }
  const KnowledgeParameterSet& Parameters() const { return parameters_; }

 private:
  QORISpecObject* owner_;
  KnowledgeParameterSet parameters_;
  LiveObjectToken live_;
};

}  // namespace qorhost
