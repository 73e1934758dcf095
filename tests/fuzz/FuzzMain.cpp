// The libFuzzer entry point of one target, chosen when the target is built.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return moldbom::fuzz::MOLDBOM_FUZZ_TARGET(data, size);
}
