// The parameters one publisher holds.
#include "KnowledgeParameterSet.h"

namespace qorhost {

KnowledgeParameterSet::KnowledgeParameterSet(const std::vector<MoldParameter>& parameters, QORISpecObject* publisher) {
  parameters_.reserve(parameters.size());
  for (const MoldParameter& parameter : parameters)
    parameters_.push_back(MakeHostObject<KnowledgeParameter>(parameter, publisher));
}

KnowledgeParameterSet::~KnowledgeParameterSet() {
  for (const QORVar<KnowledgeParameter>& parameter : parameters_) parameter->DetachFromPublisher();
}

void KnowledgeParameterSet::AppendChildren(const char* typeName, QORListValQORISpecObject_var& children) const {
  QOR_HOST_CALL();
  for (const QORVar<KnowledgeParameter>& parameter : parameters_)
    if (OffersInterfaceNamed(parameter.Get(), typeName).value_or(false))
      children.Append(QORISpecObject_var(parameter.Get()));
}

}  // namespace qorhost
