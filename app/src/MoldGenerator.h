// Synthetic mold assemblies of a realistic mix, the same bytes for the same seed on every machine:
// the input of the benchmarks, the property tests and the browser measurements.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace moldbom {

struct GeneratedInstance {
  std::string name;
  std::size_t product = 0;  // index into GeneratedMold::products
  std::optional<std::string> reference;  // an instance-level reference replacing the part's
};

struct GeneratedProduct {
  std::string id;
  std::string partNumber;
  bool bom = true;
  std::optional<std::string> reference;
  std::optional<std::string> supplier;
  std::string source;         // "made", "bought", "unknown", or empty for none
  std::string material;       // the "Material" user property, empty for none
  std::string heatTreatment;  // the "HeatTreatment" user property, empty for none
  std::string moldReference;  // the "RefMold" parameter, empty for none
  std::optional<long> priceCents;  // the "UnitPrice" parameter
  std::string plate;          // "", "true" or "no-extension"
  std::string component;      // a tooling type, or empty
  std::vector<GeneratedInstance> instances;
};

struct GeneratedMold {
  std::vector<GeneratedProduct> products;  // the root first
};

struct MoldGeneratorOptions {
  long instances = 1000;  // occurrences below the root, sub-assemblies' included
  std::uint64_t seed = 1;
  // The revision before: some instances dropped since, some renamed, some added since.
  bool previousRevision = false;
};

// Plates, standard components (many instances of few parts, with and without reference, some
// with an instance-level reference), unique made parts, sub-assemblies several levels deep used
// more than once, parts left out of the BOM, prices, and names that are prefixes of each other.
GeneratedMold GenerateMold(const MoldGeneratorOptions& options);

// The mold in the JSON mold format, byte for byte the same for the same mold.
std::string MoldJsonText(const GeneratedMold& mold);

// Occurrences below the root, counted as the loader expands them.
long ExpandedInstanceCount(const GeneratedMold& mold);

}  // namespace moldbom
