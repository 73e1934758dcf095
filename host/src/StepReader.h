// A reader of ISO 10303-21 exchange files that keeps only the entity instances its caller asks
// for and skips the rest (the geometry) without building anything for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace qorhost {

struct StepValue {
  enum class Kind : std::uint8_t { Unset, Derived, Integer, Real, String, Enumeration, Binary, Reference, List, Typed };

  Kind kind = Kind::Unset;
  std::size_t offset = 0;  // byte offset of the value's first character
  std::int64_t integer = 0;
  double real = 0;           // also set for integers
  std::uint64_t entity = 0;  // a reference's entity number
  std::string text;          // string (decoded to UTF-8), enumeration, binary digits, type of a typed value
  std::vector<StepValue> items;  // a list's items, or a typed value's parameters

  bool Is(Kind k) const { return kind == k; }
  bool IsNumber() const { return kind == Kind::Integer || kind == Kind::Real; }
};

// One kept entity instance; of a complex instance, the first part whose type was asked for.
struct StepRecord {
  std::uint64_t entity = 0;
  std::size_t offset = 0;  // of the "#"
  std::string type;
  std::vector<StepValue> parameters;
};

struct StepFile {
  std::vector<StepRecord> records;  // in file order
  std::unordered_map<std::uint64_t, std::size_t> index;  // entity number to record

  const StepRecord* Find(std::uint64_t entity) const;
};

struct StepError {
  std::size_t offset = 0;
  std::uint64_t entity = 0;  // 0 outside any entity instance
  std::string what;
};

inline constexpr std::size_t kStepMaxDepth = 64;

// Whether the file starts, after spaces and comments, with "ISO-10303-21;".
bool LooksLikeStep(std::string_view text);

// One pass over the file. keepType says which entity types to keep; every reference made by a
// kept instance must name an instance of the file.
std::variant<StepFile, StepError> ReadStep(std::string_view text, bool (*keepType)(std::string_view type));

}  // namespace qorhost
