// Instance names shared by different components, found by one walk of the product tree.
#include "DuplicateNames.h"

#include <unordered_map>
#include <utility>

#include "QORProductStructure.h"

namespace moldbom {

std::vector<std::string> DuplicateInstanceNames(const QORMoldDocument& document) {
  // A component is its part and its REFERENCE: the two things that can put it on a line of its own.
  using Component = std::pair<const void*, std::string>;
  // A name is shared as soon as one instance is another component than the first one named so.
  struct Named {
    Component first;
    bool shared = false;
  };
  std::unordered_map<std::string, Named> byName;
  std::vector<std::string> order;
  document.Walk([&](const QORIProduct_var& instance, int depth) {
    QORUnicodeString name;
    if (depth == 0 || FAILED(instance->GetPrdInstanceName(name))) return;
    QORUnicodeString reference;
    if (const QORIPrdProperties_var properties(instance); properties) properties->GetReference(reference);
    Component component{instance->GetReferenceProduct().Get(), reference.Utf8()};
    if (const auto found = byName.find(name.Utf8()); found != byName.end()) {
      found->second.shared = found->second.shared || found->second.first != component;
      return;
    }
    byName.emplace(name.Utf8(), Named{std::move(component)});
    order.push_back(name.Utf8());
  });
  std::vector<std::string> shared;
  for (const std::string& name : order)
    if (byName.at(name).shared) shared.push_back(name);
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
