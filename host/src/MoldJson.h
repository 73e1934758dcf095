// JSON read into a tree that keeps where each value and key starts, so that a mold file's
// semantic errors can name their line and column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "QORExpected.h"

namespace qorhost {

struct MoldJsonMember;

struct MoldJsonValue {
  enum class Kind { Null, Boolean, Integer, Real, String, Array, Object };

  Kind kind = Kind::Null;
  std::size_t offset = 0;  // byte offset of the value's first character
  bool boolean = false;
  std::int64_t integer = 0;
  double real = 0;  // also set for integers
  std::string text;
  std::vector<MoldJsonValue> items;
  std::vector<MoldJsonMember> members;  // in file order; keys are unique

  bool Is(Kind k) const { return kind == k; }
  // The member named key, or null.
  const MoldJsonValue* Find(std::string_view key) const;
  // "a string", "an object", … for messages.
  const char* KindName() const;
};

struct MoldJsonMember {
  std::string key;
  std::size_t keyOffset = 0;
  MoldJsonValue value;
};

// Deeper nesting is refused: no mold file needs it, and it would exhaust the stack.
inline constexpr std::size_t kMoldJsonMaxDepth = 64;

// Takes the products of a mold file out of the tree while it is parsed, so that a large mold is
// never held whole as JSON. Each item of a product's "instances" array goes to instance (with the
// product's key and the item's index) and the array keeps none; then the product itself goes to
// product and the tree keeps only its kind and offset. Only the members of the top object's
// "products" object and their "instances" arrays are taken so.
struct MoldJsonStream {
  std::function<void(const std::string& product, std::size_t index, const MoldJsonValue& item)> instance;
  std::function<void(const MoldJsonMember& product)> product;
};

// Parses strict JSON (no comments, no trailing data, no duplicate keys); fileName only names the
// file in errors.
QORExpected<MoldJsonValue> ParseMoldJson(const std::string& text, const std::string& fileName,
                                         const MoldJsonStream* stream = nullptr);

// The error of a mold file at a byte offset of its text, placed by line and column.
QORError MoldErrorAt(const std::string& fileName, const std::string& text, std::size_t offset, std::string what);

}  // namespace qorhost
