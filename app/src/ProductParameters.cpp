// Parameters and user properties of the products of a mold.
#include "ProductParameters.h"

#include <unordered_set>

namespace moldbom {

std::vector<QORICkeParm_var> ParametersOf(const QORIParmPublisher_var& publisher) {
  std::vector<QORICkeParm_var> parameters;
  if (!publisher) return parameters;
  QORListValQORISpecObject_var children;
  publisher->GetAllChildren(QORICkeParm::ClassName(), children);
  for (const QORISpecObject_var& child : children)
    if (QORICkeParm_var parameter(child); parameter) parameters.push_back(parameter);
  return parameters;
}

QORIParmPublisher_var UserPropertiesOf(const QORIProduct_var& instance) {
  const QORIPrdProperties_var properties(instance->GetReferenceProduct());
  if (!properties) return nullptr;
  QORIParmPublisher* publisher = nullptr;
  if (FAILED(properties->GetUserPropertiesPublisher(publisher, /*create=*/0))) return nullptr;
  QORIParmPublisher_var held(publisher);
  QORRelease(publisher);
  return held;
}

std::set<std::string> UserPropertyNames(const QORMoldDocument& document) {
  std::set<std::string> names;
  std::unordered_set<const void*> seen;  // user properties belong to the reference product
  document.Walk([&](const QORIProduct_var& instance, int) {
    if (!seen.insert(instance->GetReferenceProduct().Get()).second) return;
    for (const QORICkeParm_var& parameter : ParametersOf(UserPropertiesOf(instance)))
      names.insert(parameter->GetName().Utf8());
  });
  return names;
}

}  // namespace moldbom
