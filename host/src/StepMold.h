// A mold description from the product structure of an ISO 10303-21 assembly: products, their
// assembly occurrences, make-or-buy, material and user-defined attributes.
#pragma once

#include "MoldDescription.h"
#include "StepReader.h"

#include <string>
#include <string_view>
#include <variant>

namespace qorhost {

// fileStem names the root when the file holds several root assemblies.
std::variant<MoldDescription, StepError> ReadStepMold(std::string_view text, const std::string& fileStem);

// A CAD product is in the BOM unless its file or the catalogue says otherwise.
void SetDefaultBomFlags(MoldDescription& description);

}  // namespace qorhost
