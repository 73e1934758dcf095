// A mold description from the product structure of an ISO 10303-21 assembly: products, their
// assembly occurrences, make-or-buy, material and user-defined attributes.
#pragma once

#include "MoldDescription.h"
#include "StepReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

namespace qorhost {

// Which entity of the file each element of an instance path stands for, so that what other
// readers make of the same file (its geometry) can be named as the product tree names it.
struct StepInstanceNames {
  std::string root;                      // the root's part number: the first element of every path
  std::uint64_t rootDefinition = 0;      // the root's product definition; 0 when several roots were joined
  std::unordered_map<std::uint64_t, std::string> occurrences;  // assembly occurrence to instance name
  std::unordered_map<std::uint64_t, std::string> roots;  // joined root's product definition to its instance name
};

// fileStem names the root when the file holds several root assemblies; names, when given,
// receives how the instances were named.
std::variant<MoldDescription, StepError> ReadStepMold(std::string_view text, const std::string& fileStem,
                                                      StepInstanceNames* names = nullptr);

// A CAD product is in the BOM unless its file or the catalogue says otherwise.
void SetDefaultBomFlags(MoldDescription& description);

}  // namespace qorhost
