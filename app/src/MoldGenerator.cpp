// Synthetic molds from a seed: a small PRNG of our own and integer arithmetic only, so that a seed
// gives the same bytes whatever the machine and its standard library.
#include "MoldGenerator.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace moldbom {
namespace {

// splitmix64: tiny, fast, and fully specified, unlike the standard distributions.
class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  long Below(long n) { return n <= 1 ? 0 : static_cast<long>(Next() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <class T>
  const T& Pick(const std::vector<T>& items) { return items[static_cast<std::size_t>(Below(static_cast<long>(items.size())))]; }
  template <class T>
  void Shuffle(std::vector<T>& items) {
    for (std::size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[static_cast<std::size_t>(Below(static_cast<long>(i)))]);
  }

 private:
  std::uint64_t state_;
};

struct FamilyKind {
  std::string_view base;  // instance names are base.N
  std::string_view type;  // tooling type, empty for plain parts
};

// Bases that are prefixes of one another ("Pin", "Pin.1", "PinA"), so that whole-name matching is
// put to the test across families as well as within one (Pin.1 and Pin.10).
constexpr std::array<FamilyKind, 21> kFamilies = {{
    {"EjectorPin", "EjectorPin"}, {"Screw", "CapScrew"},     {"Pin", "CorePin"},
    {"Pin.1", "DowelPin"},        {"LeaderPin", "LeaderPin"}, {"Bushing", "Bushing"},
    {"Ejector", "Ejector"},       {"Spring", "Spring"},       {"ScrewM", "CapScrew"},
    {"Plug", "Plug"},             {"SupportPillar", "SupportPillar"}, {"PinA", ""},
    {"StopPin", "StopPin"},       {"ORing", "ORing"},         {"SpruePuller", "SpruePuller"},
    {"EjectorSleeve", "EjectorSleeve"}, {"Bush", "Sleeve"},   {"Baffle", "Baffle"},
    {"LockScrew", "LockScrew"},   {"Washer", ""},             {"Plug1", "Plug"},
}};
constexpr std::array<std::string_view, 6> kMadeBases = {"Insert", "Core", "Cavity", "Slide", "Lifter", "Electrode"};
constexpr std::array<std::string_view, 4> kLeftOutBases = {"MoldedPart", "Hose", "Cable", "Label"};
const std::vector<std::string> kSuppliers = {"Vestrand Normteile", "Haskel Tooling", "Orbe Components", "Mardin"};
const std::vector<std::string> kMaterials = {"1.2311", "1.1730", "1.2083", "C45", "1.2344"};
const std::vector<std::string> kHeatTreatments = {"none", "nitrided", "hardened 52 HRC", "through hardened"};

struct Family {
  std::string base;
  std::vector<std::size_t> parts;
};

class Builder {
 public:
  explicit Builder(const MoldGeneratorOptions& options)
      : rng_(options.seed), size_(options.instances < 0 ? 0 : options.instances), seed_(options.seed) {}

  void Build() {
    GeneratedProduct root;
    root.id = "mold";
    root.partNumber = "GEN-" + std::to_string(seed_);
    root.source = "made";
    mold_.products.push_back(std::move(root));
    MakeFamilies();

    long remaining = size_;
    std::vector<GeneratedInstance> plates = Plates(remaining);
    std::vector<GeneratedInstance> subs = SubAssemblies(remaining);
    std::vector<GeneratedInstance> made = MadeParts(std::min(remaining, remaining / 25 + rng_.Below(3)), "", 0);
    remaining -= static_cast<long>(made.size());
    std::vector<GeneratedInstance> leftOut = LeftOutParts(std::min(remaining, remaining / 60 + rng_.Below(2)));
    remaining -= static_cast<long>(leftOut.size());
    std::vector<GeneratedInstance> standard = StandardInstances(remaining, "");

    // Half the molds list their parts as a designer builds them, half in no order at all: the
    // order decides which instance heads a line.
    std::vector<GeneratedInstance>& top = mold_.products[0].instances;
    for (auto* part : {&plates, &made, &standard, &subs, &leftOut}) top.insert(top.end(), part->begin(), part->end());
    if (rng_.Chance(50)) rng_.Shuffle(top);
  }

  GeneratedMold Take() { return std::move(mold_); }

  // Counters, families and products are those of the current revision, so that renamed and added
  // instances get names the current one does not use.
  void MakePreviousRevision(std::uint64_t seed) {
    Prng revision(seed ^ 0xA5A5F00DCAFEULL);
    std::vector<GeneratedInstance>& top = mold_.products[0].instances;
    std::vector<GeneratedInstance> kept;
    // Small molds change more, so that a few instances already show every kind of change.
    const long percent = size_ < 200 ? 12 : 3;
    for (GeneratedInstance& instance : top) {
      const bool leaf = mold_.products[instance.product].instances.empty();
      const long roll = leaf ? revision.Below(100) : 100;
      if (roll < percent) continue;  // added since the previous revision
      if (roll < 2 * percent) instance.name += "r";  // renamed since; current names all end in a digit
      kept.push_back(std::move(instance));
    }
    const long droppedSince = std::max(1L, size_ / 40);
    for (long k = 0; k < droppedSince && !families_.empty(); ++k) {
      const Family& family = families_[static_cast<std::size_t>(revision.Below(static_cast<long>(families_.size())))];
      GeneratedInstance instance{NextName(family.base, revision), revision.Pick(family.parts), std::nullopt};
      const auto at = kept.begin() + revision.Below(static_cast<long>(kept.size()) + 1);
      kept.insert(at, std::move(instance));
    }
    top = std::move(kept);
  }

 private:
  std::size_t AddProduct(GeneratedProduct product) {
    mold_.products.push_back(std::move(product));
    return mold_.products.size() - 1;
  }

  // Mostly base.1, base.2, …; now and then a jump to ten times the last number plus a digit, so that
  // a mold of a few instances already holds Pin.1, Pin.19 and Pin.194.
  std::string NextName(const std::string& base, Prng& rng) {
    long& last = counters_[base];
    last = last >= 1 && last < 100000 && rng.Chance(12) ? last * 10 + rng.Below(10) : last + 1;
    return base + "." + std::to_string(last);
  }

  std::optional<long> Price() {
    if (rng_.Chance(12)) return std::nullopt;
    return rng_.Chance(20) ? 100 * (1 + rng_.Below(900)) : 5 + rng_.Below(200000);
  }

  void CommonProperties(GeneratedProduct& product) {
    product.supplier = rng_.Pick(kSuppliers);
    if (rng_.Chance(60)) product.material = rng_.Pick(kMaterials);
    if (rng_.Chance(40)) product.heatTreatment = rng_.Pick(kHeatTreatments);
    product.priceCents = Price();
  }

  void MakeFamilies() {
    const long count = std::min<long>(kFamilies.size(), 2 + rng_.Below(4) + size_ / 3000);
    std::vector<std::string> references;
    for (long f = 0; f < count; ++f) {
      const FamilyKind& kind = kFamilies[static_cast<std::size_t>(f)];
      Family family{std::string(kind.base), {}};
      const long parts = 1 + rng_.Below(rng_.Chance(15) ? 4 : 3);
      for (long p = 0; p < parts; ++p) {
        GeneratedProduct product;
        product.id = "std-" + std::to_string(f) + "-" + std::to_string(p);
        product.partNumber = "GEN-S" + std::to_string(f) + "-" + std::to_string(p);
        // Two parts of one part number that differ by reference make two lines.
        if (p > 0 && rng_.Chance(10)) product.partNumber = mold_.products[family.parts.back()].partNumber;
        if (rng_.Chance(75)) {
          // A reference shared with another family's part merges the two into one line.
          product.reference = !references.empty() && rng_.Chance(8) ? rng_.Pick(references)
                                                                    : std::string(kind.base) + " " + std::to_string(4 + 2 * p) + "x" +
                                                                          std::to_string(40 + 20 * rng_.Below(10));
          references.push_back(*product.reference);
        }
        product.source = rng_.Chance(90) ? "bought" : "unknown";
        product.component = std::string(kind.type);
        CommonProperties(product);
        family.parts.push_back(AddProduct(std::move(product)));
      }
      families_.push_back(std::move(family));
    }
  }

  std::vector<GeneratedInstance> Plates(long& remaining) {
    std::vector<GeneratedInstance> instances;
    const long kinds = std::min(remaining, 1 + rng_.Below(6) + size_ / 5000);
    for (long k = 0; k < kinds && remaining > 0; ++k) {
      GeneratedProduct plate;
      plate.id = "plate-" + std::to_string(k);
      plate.partNumber = "GEN-P" + std::to_string(k);
      plate.plate = rng_.Chance(12) ? "no-extension" : "true";
      if (rng_.Chance(80)) plate.reference = "PL 346 " + std::to_string(296 + 10 * k) + " 27";
      if (rng_.Chance(85)) plate.moldReference = "P" + std::to_string(k);
      plate.source = rng_.Chance(70) ? "bought" : "made";
      CommonProperties(plate);
      const std::size_t index = AddProduct(std::move(plate));
      // Insulation sheets and spacer blocks come in pairs of one part.
      for (long n = rng_.Chance(20) ? 2 : 1; n > 0 && remaining > 0; --n, --remaining)
        instances.push_back({NextName("Plate", rng_), index, std::nullopt});
    }
    return instances;
  }

  std::vector<GeneratedInstance> MadeParts(long count, const std::string& prefix, long level) {
    std::vector<GeneratedInstance> instances;
    for (long k = 0; k < count; ++k) {
      GeneratedProduct part;
      const std::size_t number = mold_.products.size();
      part.id = "made-" + std::to_string(number);
      part.partNumber = "GEN-M" + std::to_string(number) + (level > 0 ? "-L" + std::to_string(level) : "");
      part.source = "made";
      if (rng_.Chance(15)) part.reference = "DRW-" + std::to_string(number);
      CommonProperties(part);
      const std::size_t index = AddProduct(std::move(part));
      instances.push_back({NextName(prefix + std::string(kMadeBases[static_cast<std::size_t>(rng_.Below(kMadeBases.size()))]), rng_),
                           index, std::nullopt});
    }
    return instances;
  }

  std::vector<GeneratedInstance> LeftOutParts(long count) {
    std::vector<GeneratedInstance> instances;
    std::optional<std::size_t> last;
    for (long k = 0; k < count; ++k) {
      if (!last || rng_.Chance(60)) {
        GeneratedProduct part;
        part.id = "nobom-" + std::to_string(mold_.products.size());
        part.partNumber = "GEN-X" + std::to_string(mold_.products.size());
        part.bom = false;
        if (rng_.Chance(50)) part.reference = "NB " + std::to_string(k);
        part.source = "unknown";
        CommonProperties(part);
        last = AddProduct(std::move(part));
      }
      instances.push_back({NextName(std::string(kLeftOutBases[static_cast<std::size_t>(rng_.Below(kLeftOutBases.size()))]), rng_),
                           *last, std::nullopt});
    }
    return instances;
  }

  std::vector<GeneratedInstance> StandardInstances(long count, const std::string& prefix) {
    std::vector<GeneratedInstance> instances;
    if (families_.empty()) return instances;
    const long familyCount = static_cast<long>(families_.size());
    for (long k = 0; k < count; ++k) {
      // Skewed towards the first families: a few parts carry most instances.
      const Family& family = families_[static_cast<std::size_t>(rng_.Below(rng_.Below(familyCount) + 1))];
      GeneratedInstance instance{NextName(prefix + family.base, rng_), rng_.Pick(family.parts), std::nullopt};
      const std::optional<std::string>& partReference = mold_.products[instance.product].reference;
      // A few instances carry a reference of their own; an empty one groups them by part instead.
      if (rng_.Chance(4))
        instance.reference = rng_.Chance(25) ? std::string()
                                             : partReference.value_or(family.base) + " cut to " + std::to_string(20 + rng_.Below(200));
      instances.push_back(std::move(instance));
    }
    return instances;
  }

  // A chain of sub-assemblies, each holding standard parts, perhaps a made part of its own and the
  // next level (once or twice); the top one is used several times by the root, so that its
  // instances' names repeat.
  std::vector<GeneratedInstance> SubAssemblies(long& remaining) {
    std::vector<GeneratedInstance> uses;
    if (remaining < 4 || !rng_.Chance(70)) return uses;
    const long depth = 1 + rng_.Below(4);
    const long target = std::max(3L, remaining / 5);
    const long leafCap = std::clamp(target / (depth * 8), 2L, 200L);
    struct Level {
      long leaves, made, inner;
    };
    std::vector<Level> levels;
    for (long d = 0; d < depth; ++d)
      levels.push_back({1 + rng_.Below(leafCap), rng_.Chance(40) ? 1L : 0L, d + 1 < depth ? 1 + rng_.Below(2) : 0});
    std::vector<long> sizes(levels.size() + 1, 0);
    for (std::size_t d = levels.size(); d-- > 0;)
      sizes[d] = levels[d].leaves + levels[d].made + levels[d].inner * (1 + sizes[d + 1]);
    const long count = std::min(target, remaining) / (1 + sizes[0]);
    if (count < 1) return uses;

    std::optional<std::size_t> inner;
    for (std::size_t d = levels.size(); d-- > 0;) {
      const std::string prefix = "SA" + std::to_string(d + 1) + "-";
      GeneratedProduct assembly;
      assembly.id = "sub-" + std::to_string(d + 1);
      assembly.partNumber = "GEN-SA" + std::to_string(d + 1);
      assembly.source = "made";
      std::vector<GeneratedInstance> children = StandardInstances(levels[d].leaves, prefix);
      for (GeneratedInstance& part : MadeParts(levels[d].made, prefix, static_cast<long>(d) + 1)) children.push_back(std::move(part));
      for (long n = 0; n < levels[d].inner; ++n) children.push_back({NextName("Unit" + std::to_string(d + 2), rng_), *inner, std::nullopt});
      assembly.instances = std::move(children);
      inner = AddProduct(std::move(assembly));
    }
    for (long n = 0; n < count; ++n) uses.push_back({NextName("Unit1", rng_), *inner, std::nullopt});
    remaining -= count * (1 + sizes[0]);
    return uses;
  }

  Prng rng_;
  long size_;
  std::uint64_t seed_;
  GeneratedMold mold_;
  std::vector<Family> families_;
  std::unordered_map<std::string, long> counters_;
};

std::string& AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out += '"';
}

std::string PriceText(long cents) {
  std::string fraction = std::to_string(cents % 100);
  if (fraction.size() < 2) fraction.insert(0, "0");
  return std::to_string(cents / 100) + "." + fraction;
}

void AppendProduct(std::string& out, const GeneratedMold& mold, const GeneratedProduct& product) {
  out += "    ";
  AppendQuoted(out, product.id);
  out += ": {\"partNumber\": ";
  AppendQuoted(out, product.partNumber);
  if (!product.instances.empty()) {
    out += ", \"instances\": [";
    for (std::size_t i = 0; i < product.instances.size(); ++i) {
      const GeneratedInstance& instance = product.instances[i];
      out += i ? ",\n      {\"name\": " : "\n      {\"name\": ";
      AppendQuoted(out, instance.name);
      out += ", \"of\": ";
      AppendQuoted(out, mold.products[instance.product].id);
      if (instance.reference) {
        out += ", \"properties\": {\"reference\": ";
        AppendQuoted(out, *instance.reference);
        out += "}";
      }
      out += "}";
    }
    out += "]";
  }
  out += ", \"properties\": {\"bom\": ";
  out += product.bom ? "true" : "false";
  if (product.reference) AppendQuoted(out += ", \"reference\": ", *product.reference);
  if (product.supplier) AppendQuoted(out += ", \"supplier\": ", *product.supplier);
  if (!product.source.empty()) AppendQuoted(out += ", \"source\": ", product.source);
  out += "}";
  std::vector<std::pair<std::string_view, const std::string*>> userProperties;
  if (!product.material.empty()) userProperties.emplace_back("Material", &product.material);
  if (!product.heatTreatment.empty()) userProperties.emplace_back("HeatTreatment", &product.heatTreatment);
  if (!userProperties.empty()) {
    out += ", \"userProperties\": [";
    for (std::size_t i = 0; i < userProperties.size(); ++i) {
      AppendQuoted(out += i ? ", {\"name\": " : "{\"name\": ", userProperties[i].first);
      AppendQuoted(out += ", \"type\": \"string\", \"value\": ", *userProperties[i].second);
      out += "}";
    }
    out += "]";
  }
  if (!product.moldReference.empty() || product.priceCents) {
    out += ", \"parameters\": [";
    if (!product.moldReference.empty())
      AppendQuoted(out += "{\"name\": \"RefMold\", \"type\": \"string\", \"value\": ", product.moldReference) += "}";
    if (product.priceCents)
      out += std::string(product.moldReference.empty() ? "" : ", ") + "{\"name\": \"UnitPrice\", \"type\": \"real\", \"value\": " +
             PriceText(*product.priceCents) + "}";
    out += "]";
  }
  if (product.plate == "true") out += ", \"plate\": true";
  if (product.plate == "no-extension") out += ", \"plate\": \"no-extension\"";
  if (!product.component.empty()) AppendQuoted(out += ", \"component\": ", product.component);
  out += "}";
}

long ExpandedSize(const GeneratedMold& mold, std::size_t product, std::vector<long>& memo) {
  if (memo[product] >= 0) return memo[product];
  long size = 0;
  for (const GeneratedInstance& instance : mold.products[product].instances) size += 1 + ExpandedSize(mold, instance.product, memo);
  return memo[product] = size;
}

}  // namespace

GeneratedMold GenerateMold(const MoldGeneratorOptions& options) {
  Builder builder(options);
  builder.Build();
  if (options.previousRevision) builder.MakePreviousRevision(options.seed);
  return builder.Take();
}

std::string MoldJsonText(const GeneratedMold& mold) {
  std::string out = "{\"format\": \"moldbom-assembly\", \"version\": 1, \"root\": ";
  AppendQuoted(out, mold.products.empty() ? "mold" : mold.products[0].id);
  out += ", \"products\": {\n";
  for (std::size_t p = 0; p < mold.products.size(); ++p) {
    AppendProduct(out, mold, mold.products[p]);
    out += p + 1 < mold.products.size() ? ",\n" : "\n";
  }
  out += "}}\n";
  return out;
}

long ExpandedInstanceCount(const GeneratedMold& mold) {
  if (mold.products.empty()) return 0;
  std::vector<long> memo(mold.products.size(), -1);
  return ExpandedSize(mold, 0, memo);
}

}  // namespace moldbom
