// The user-property set of a reference product.
#include "KnowledgeUserProperties.h"

namespace qorhost {

KnowledgeUserProperties::KnowledgeUserProperties(const std::vector<MoldParameter>& properties, QORISpecObject* owner)
    : owner_(owner), parameters_(properties, this) {}

QORISpecObject* KnowledgeUserProperties::GetFather() {
  if (owner_) owner_->AddRef();
  return owner_;
}

}  // namespace qorhost
