// The tooling-type names that mold components may carry, for checks and messages.
#pragma once

#include <string>
#include <string_view>

namespace qorhost {

bool IsToolingTypeName(std::string_view name);
// "AnglePin, Baffle, …", in the host's type order.
std::string ToolingTypeNameList();

}  // namespace qorhost
