// What kind of tooling an instance of a mold is, as the host's component services tell it.
#pragma once

#include <optional>
#include <string>

#include "QORProductStructure.h"

namespace moldbom {

// The type name the component services give the instance's counterpart in its parent (empty when
// its extension names none); none when the instance is no mold component.
std::optional<std::string> ComponentTypeOf(const QORIProduct_var& instance);

// "Plate" for a plate with an extension, a mold component's type name in place of that, else
// empty: the type a BOM line of the instance sorts by.
std::string ToolingTypeOf(const QORIProduct_var& instance);

}  // namespace moldbom
