// The bodies of the fuzz targets: each takes one input of any bytes and must neither crash, leak
// nor hang. The libFuzzer entry points and the replay of past crashers in the tests both call them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace moldbom::fuzz {

// A mold assembly file read by the JSON mold loader; a mold it accepts is walked as the drivers do.
int MoldJson(const std::uint8_t* data, std::size_t size);
// A profile read by the BOM command twice: as a reference profile copied onto a new profile, and
// as the profile itself in whatever mode it names; each run analyses the sample mold and closes.
int Profile(const std::uint8_t* data, std::size_t size);
// A journal replayed against the sample mold, its files kept inside a scratch folder.
int Journal(const std::uint8_t* data, std::size_t size);

// An exchange file read by the STEP reader and mapped to a mold description.
int Step(const std::uint8_t* data, std::size_t size);

// The target of a name ("mold-json", "profile", "journal", "step"), or null.
using Target = int (*)(const std::uint8_t*, std::size_t);
Target FindTarget(std::string_view name);

}  // namespace moldbom::fuzz
