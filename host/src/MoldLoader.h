// Checks a parsed mold assembly file strictly and turns it into a mold description.
#pragma once

#include "MoldDescription.h"
#include "MoldJson.h"

#include <cstddef>
#include <string>
#include <variant>

namespace qorhost {

struct MoldReadError {
  std::size_t offset = 0;
  std::string what;
};

// Limits on what the root product expands to, so that a small file cannot exhaust memory or the
// stack.
inline constexpr long kMoldMaxOccurrences = 200000;
inline constexpr int kMoldMaxAssemblyDepth = 256;

std::variant<MoldDescription, MoldReadError> ReadMoldDescription(const MoldJsonValue& top);

}  // namespace qorhost
