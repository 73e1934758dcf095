// Checks a parsed mold assembly file strictly and turns it into a mold description.
#pragma once

#include "MoldDescription.h"
#include "MoldJson.h"

#include <cstddef>
#include <string>

namespace qorhost {

// Limits on what the root product expands to, so that a small file cannot exhaust memory or the
// stack.
inline constexpr long kMoldMaxOccurrences = 200000;
inline constexpr int kMoldMaxAssemblyDepth = 256;

// What the root product of a checked, acyclic description expands to: its occurrences (counted up
// to one past kMoldMaxOccurrences) and its nesting depth.
struct MoldExpansion {
  long occurrences = 0;
  int depth = 0;
};
MoldExpansion ExpansionOfRoot(const MoldDescription& description);

// Parses and checks a mold file's text; fileName names it in errors, which give line and column.
QORExpected<MoldDescription> ReadMoldFile(const std::string& text, const std::string& fileName);

}  // namespace qorhost
