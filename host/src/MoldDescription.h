// The content of a mold assembly file once read and checked, before any host object is built.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qorhost {

// A knowledge value; the alternative is the parameter's type (string, real, integer, boolean).
using KnowledgeValue = std::variant<std::string, double, int, bool>;

struct MoldParameter {
  std::string name;
  KnowledgeValue value;
};

// Product properties; an absent value is one whose read fails.
struct MoldProperties {
  std::optional<bool> bom;
  std::optional<std::string> reference;
  std::optional<std::string> supplier;
  std::optional<int> source;  // 0 unknown, 1 made, 2 bought
};

struct MoldInstance {
  std::string name;
  std::string of;
  std::optional<MoldProperties> properties;
};

enum class MoldPlateKind { None, WithExtension, WithoutExtension };

struct MoldProduct {
  std::string id;
  std::string partNumber;
  std::optional<std::vector<MoldInstance>> instances;  // absent: a part
  std::optional<MoldProperties> properties;
  std::optional<std::vector<MoldParameter>> userProperties;
  std::vector<MoldParameter> parameters;
  MoldPlateKind plate = MoldPlateKind::None;
  std::optional<std::string> component;  // tooling type text
};

struct MoldDescription {
  std::string root;
  std::vector<MoldProduct> products;  // in file order
  // What the reading changed or took from elsewhere (names made valid, catalogue values), for
  // `show` to tell.
  std::vector<std::string> notes;
};

// Properties of an instance: its own values over its product's, key by key; none when neither
// has any.
std::optional<MoldProperties> MergeProperties(const std::optional<MoldProperties>& product,
                                              const std::optional<MoldProperties>& instance);

}  // namespace qorhost
