// Time service of the host: the current instant, fixed by SOURCE_DATE_EPOCH when it is set, and
// its text in the local time zone.
#include "QORSystemServices.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace {

// Seconds since 1970 when SOURCE_DATE_EPOCH holds a plain decimal number, as reproducible-build
// tools define it; anything else is ignored.
std::optional<std::time_t> SourceDateEpoch() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text) return std::nullopt;
  const std::string_view digits(text);
  long long seconds = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
  if (error != std::errc() || end != digits.data() + digits.size() || seconds < 0)
    return std::nullopt;
  return static_cast<std::time_t>(seconds);
}

}  // namespace

QORTime::QORTime() : instant_(SourceDateEpoch().value_or(std::time(nullptr))) {}

QORTime::QORTime(std::time_t instant) : instant_(instant) {}

QORUnicodeString QORTime::ConvertToString(const char* format, int /*flags*/) const {
  if (!format || !*format) return {};
  std::tm local{};
  if (!::localtime_r(&instant_, &local)) return {};
  // strftime gives 0 both for a buffer too small and for an empty result, so the buffer grows
  // a few times before the result is taken as empty.
  std::vector<char> buffer(128 + 4 * std::strlen(format));
  for (int attempt = 0; attempt < 4; ++attempt) {
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &local);
    if (length > 0) return QORUnicodeString(std::string(buffer.data(), length));
    buffer.resize(buffer.size() * 4);
  }
  return {};
}
