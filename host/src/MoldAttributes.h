// The BOM's attributes of a product under the names that CAD attributes and catalogue columns
// give them, and how a value of each lands in a mold description.
#pragma once

#include "MoldDescription.h"

#include <optional>
#include <string>
#include <string_view>

namespace qorhost {

enum class MoldAttribute { Reference, Supplier, MoldReference, UnitPrice, ToolingType, Plate, Bom, Source, Material, HeatTreatment };

// The attribute a name stands for, case-insensitive and ignoring spaces, "_" and "-"
// ("Unit Price", "unit_price", "UnitPrice"); none for other names.
std::optional<MoldAttribute> MoldAttributeNamed(std::string_view name);
// "reference", "unit price", … for messages and notes.
const char* MoldAttributeLabel(MoldAttribute attribute);

// Whether the product already says something for the attribute.
bool HasMoldAttribute(const MoldProduct& product, MoldAttribute attribute);
// Sets the attribute from a value; the reason when the value does not fit it (a price that is no
// number, an unknown tooling type, …).
std::optional<std::string> SetMoldAttribute(MoldProduct& product, MoldAttribute attribute, const KnowledgeValue& value);
// The same for the attributes an instance can carry (reference, supplier, BOM flag, source).
std::optional<std::string> SetInstanceAttribute(MoldInstance& instance, MoldAttribute attribute, const KnowledgeValue& value);

}  // namespace qorhost
