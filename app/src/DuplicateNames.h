// Instance names that stand for different components: a profile keeps numbers and unit prices by
// instance name alone, so such names would share them.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QORMoldDocument;

namespace moldbom {

// Each name carried by instances of different parts, or of one part with different REFERENCE
// texts, once, in walk order. Repeats of one part's instance (a sub-assembly used several times)
// are one component and not listed.
std::vector<std::string> DuplicateInstanceNames(const QORMoldDocument& document);

// The warning every driver shows on load, or none when no name is shared.
std::optional<std::string> DuplicateNamesWarning(const QORMoldDocument& document);

}  // namespace moldbom
