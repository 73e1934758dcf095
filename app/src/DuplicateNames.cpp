// Instance names shared by different components, found by one walk of the product tree.
#include "DuplicateNames.h"

#include <map>
#include <set>
#include <utility>

#include "QORProductStructure.h"

namespace moldbom {

std::vector<std::string> DuplicateInstanceNames(const QORMoldDocument& document) {
  // A component is its part and its REFERENCE: the two things that can put it on a line of its own.
  using Component = std::pair<const void*, std::string>;
  std::map<std::string, std::set<Component>> componentsByName;
  std::vector<std::string> order;
  document.Walk([&](const QORIProduct_var& instance, int depth) {
    QORUnicodeString name;
    if (depth == 0 || FAILED(instance->GetPrdInstanceName(name))) return;
    QORUnicodeString reference;
    if (const QORIPrdProperties_var properties(instance); properties) properties->GetReference(reference);
    std::set<Component>& components = componentsByName[name.Utf8()];
    if (components.empty()) order.push_back(name.Utf8());
    components.emplace(instance->GetReferenceProduct().Get(), reference.Utf8());
  });
  std::vector<std::string> shared;
  for (const std::string& name : order)
    if (componentsByName[name].size() > 1) shared.push_back(name);
  return shared;
}

std::optional<std::string> DuplicateNamesWarning(const QORMoldDocument& document) {
  const std::vector<std::string> names = DuplicateInstanceNames(document);
  if (names.empty()) return std::nullopt;
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return "warning: different components share the instance name" + std::string(names.size() > 1 ? "s " : " ") + list +
         "; a profile keeps numbers and unit prices by name, so they would share them";
}

}  // namespace moldbom
