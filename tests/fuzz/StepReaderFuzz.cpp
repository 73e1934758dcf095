// libFuzzer target: any bytes through the exchange-file reader and its mapping to a mold must give a
// description or an error, never a crash, a leak or undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "StepMold.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto read = qorhost::ReadStepMold(text, "fuzz");
  if (auto* description = std::get_if<qorhost::MoldDescription>(&read)) qorhost::SetDefaultBomFlags(*description);
  return 0;
}
