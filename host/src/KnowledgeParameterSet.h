// The parameters one publisher holds, in publishing order.
#pragma once

#include "KnowledgeParameter.h"

#include <vector>

namespace qorhost {

class KnowledgeParameterSet {
 public:
  KnowledgeParameterSet() = default;
  KnowledgeParameterSet(const std::vector<MoldParameter>& parameters, QORISpecObject* publisher);
  // Parameters still held elsewhere lose their father.
  ~KnowledgeParameterSet();
  KnowledgeParameterSet(const KnowledgeParameterSet&) = delete;
  KnowledgeParameterSet& operator=(const KnowledgeParameterSet&) = delete;

  // Appends the parameters that offer the interface named typeName.
  void AppendChildren(const char* typeName, QORListValQORISpecObject_var& children) const;
  const std::vector<QORVar<KnowledgeParameter>>& Parameters() const { return parameters_; }

 private:
  std::vector<QORVar<KnowledgeParameter>> parameters_;
};

}  // namespace qorhost
