// The parameters and user properties of a product, reached as the module reaches them.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "QORKnowledge.h"
#include "QORProductStructure.h"

class QORMoldDocument;

namespace moldbom {

std::vector<QORICkeParm_var> ParametersOf(const QORIParmPublisher_var& publisher);

// Through the reference product's own product properties; null when it has none.
QORIParmPublisher_var UserPropertiesOf(const QORIProduct_var& instance);

// Every user-property name of the mold's instances, sorted.
std::set<std::string> UserPropertyNames(const QORMoldDocument& document);

}  // namespace moldbom
