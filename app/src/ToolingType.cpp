// Tooling types of the instances of a mold.
#include "ToolingType.h"

#include "QORMoldComponents.h"

namespace moldbom {

std::optional<std::string> ComponentTypeOf(const QORIProduct_var& instance) {
  const QORIProduct_var father = instance->GetFatherProduct();
  const QORIProduct_var counterpart = father ? instance->FindInstance(father->GetReferenceProduct()) : nullptr;
  QORIMldComponent* component = nullptr;
  if (!counterpart || FAILED(QORMldServicesComponents::CastToQORIMldComponent(QORBaseUnknown_var(counterpart.Get()), component)))
    return std::nullopt;
  const QORIExtension_var extension(component);
  QORRelease(component);
  return extension ? extension->GetTypeName().Utf8() : std::string();
}

std::string ToolingTypeOf(const QORIProduct_var& instance) {
  if (std::optional<std::string> component = ComponentTypeOf(instance)) return *component;
  const QORIMldPlate_var plate(instance);
  return plate && QORIExtension_var(plate) ? "Plate" : std::string();
}

}  // namespace moldbom
