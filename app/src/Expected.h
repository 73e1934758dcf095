// The application's names for the host's results: one error type from the host up to the drivers.
#pragma once

#include "QORExpected.h"

namespace moldbom {

using Failure = QORError;
template <class T>
using Expected = QORExpected<T>;
using Outcome = QOROutcome;

}  // namespace moldbom
