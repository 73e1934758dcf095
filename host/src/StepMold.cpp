// Mapping of an exchange file's product structure onto a mold description. The structure records
// must be well formed; property records that do not have the expected shape are passed over,
// since CAD systems attach many kinds of them.
#include "StepMold.h"

#include "MoldAttributes.h"
#include "MoldLoader.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <span>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace qorhost {
namespace {

using Kind = StepValue::Kind;
using TypeList = std::span<const std::string_view>;

constexpr std::string_view kDefinitionTypes[] = {"PRODUCT_DEFINITION", "PRODUCT_DEFINITION_WITH_ASSOCIATED_DOCUMENTS"};
constexpr std::string_view kFormationTypes[] = {"PRODUCT_DEFINITION_FORMATION",
                                                "PRODUCT_DEFINITION_FORMATION_WITH_SPECIFIED_SOURCE"};
constexpr std::string_view kProductTypes[] = {"PRODUCT"};
constexpr std::string_view kOccurrence = "NEXT_ASSEMBLY_USAGE_OCCURRENCE";
constexpr std::string_view kPropertyDefinition = "PROPERTY_DEFINITION";

constexpr std::string_view kKeptTypes[] = {
    "PRODUCT",
    "PRODUCT_DEFINITION_FORMATION",
    "PRODUCT_DEFINITION_FORMATION_WITH_SPECIFIED_SOURCE",
    "PRODUCT_DEFINITION",
    "PRODUCT_DEFINITION_WITH_ASSOCIATED_DOCUMENTS",
    "NEXT_ASSEMBLY_USAGE_OCCURRENCE",
    "PRODUCT_DEFINITION_SHAPE",
    "PROPERTY_DEFINITION",
    "PROPERTY_DEFINITION_REPRESENTATION",
    "REPRESENTATION",
    "GENERAL_PROPERTY",
    "GENERAL_PROPERTY_ASSOCIATION",
    "DESCRIPTIVE_REPRESENTATION_ITEM",
    "VALUE_REPRESENTATION_ITEM",
    "MEASURE_REPRESENTATION_ITEM",
    "INTEGER_REPRESENTATION_ITEM",
    "REAL_REPRESENTATION_ITEM",
    "BOOLEAN_REPRESENTATION_ITEM",
};

bool IsKeptType(std::string_view type) {
  // Most instances are geometry; their type names rarely start like the kept ones.
  if (type.empty() || (type[0] != 'P' && type[0] != 'N' && type[0] != 'R' && type[0] != 'G' && type[0] != 'D' &&
                       type[0] != 'V' && type[0] != 'M' && type[0] != 'I' && type[0] != 'B'))
    return false;
  return std::find(std::begin(kKeptTypes), std::end(kKeptTypes), type) != std::end(kKeptTypes);
}

bool IsOneOf(std::string_view type, TypeList types) { return std::find(types.begin(), types.end(), type) != types.end(); }

std::string Folded(std::string_view text) {
  std::string folded;
  for (const char c : text)
    if (c != ' ' && c != '_' && c != '-') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string Text(const StepRecord& record, std::size_t index) {
  if (index >= record.parameters.size() || !record.parameters[index].Is(Kind::String)) return {};
  return record.parameters[index].text;
}

std::uint64_t ReferenceAt(const StepRecord& record, std::size_t index) {
  if (index >= record.parameters.size() || !record.parameters[index].Is(Kind::Reference)) return 0;
  return record.parameters[index].entity;
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// A name the host can carry: "/" and ";" separate instance names in paths and groups, line ends
// and NUL cannot sit in a table cell or a profile line.
std::string ValidName(std::string_view name) {
  std::string valid;
  for (const char c : name) {
    if (c == '/' || c == ';') valid += '_';
    else if (c == '\r' || c == '\n' || c == '\0') valid += ' ';
    else valid += c;
  }
  return valid;
}

struct Node {
  const StepRecord* definition = nullptr;
  std::string productId;
  std::optional<int> source;
  std::vector<const StepRecord*> occurrences;  // this product's own, in file order
  bool used = false;
};

class Builder {
 public:
  Builder(const StepFile& file, std::string fileStem, StepInstanceNames* names)
      : file_(file), fileStem_(std::move(fileStem)), names_(names) {}

  std::variant<MoldDescription, StepError> Build() {
    if (!ReadStructure() || !CheckAcyclic() || !BuildProducts() || !CheckExpansion()) return *error_;
    ReadProperties();
    return std::move(description_);
  }

 private:
  bool Fail(const StepRecord& record, std::size_t offset, std::string what) {
    if (!error_) error_ = StepError{offset, record.entity, std::move(what)};
    return false;
  }

  // The record that parameter index of record refers to, which must be of one of types.
  const StepRecord* Target(const StepRecord& record, std::size_t index, TypeList types, const char* role) {
    if (index >= record.parameters.size()) {
      Fail(record, record.offset, record.type + " has no " + role + " (parameter " + std::to_string(index + 1) + ")");
      return nullptr;
    }
    const StepValue& value = record.parameters[index];
    if (!value.Is(Kind::Reference)) {
      Fail(record, value.offset, std::string("the ") + role + " of " + record.type + " must be a reference");
      return nullptr;
    }
    const StepRecord* target = file_.Find(value.entity);
    if (!target || !IsOneOf(target->type, types)) {
      Fail(record, value.offset, std::string("the ") + role + " of " + record.type + ", #" + std::to_string(value.entity) +
                                     ", is not a " + std::string(types.front()));
      return nullptr;
    }
    return target;
  }

  // ---- products and occurrences -----------------------------------------------------------

  Node* NodeOf(const StepRecord& definition) {
    if (const auto found = nodeIndex_.find(definition.entity); found != nodeIndex_.end()) return &nodes_[found->second];
    const StepRecord* formation = Target(definition, 2, kFormationTypes, "formation");
    if (!formation) return nullptr;
    const StepRecord* product = Target(*formation, 2, kProductTypes, "product");
    if (!product) return nullptr;
    Node node;
    node.definition = &definition;
    node.productId = Text(*product, 0);
    if (node.productId.empty()) node.productId = Text(*product, 1);
    if (node.productId.empty()) node.productId = "product #" + std::to_string(product->entity);
    if (formation->type == kFormationTypes[1] && formation->parameters.size() > 3 &&
        formation->parameters[3].Is(Kind::Enumeration)) {
      const std::string& makeOrBuy = formation->parameters[3].text;
      node.source = makeOrBuy == "MADE" ? 1 : makeOrBuy == "BOUGHT" ? 2 : 0;
    }
    nodeIndex_.emplace(definition.entity, nodes_.size());
    nodes_.push_back(std::move(node));
    return &nodes_.back();
  }

  bool ReadStructure() {
    bool anyOccurrence = false;
    for (const StepRecord& record : file_.records) {
      if (record.type != kOccurrence) continue;
      anyOccurrence = true;
      const StepRecord* relating = Target(record, 3, kDefinitionTypes, "relating product definition");
      const StepRecord* related = relating ? Target(record, 4, kDefinitionTypes, "related product definition") : nullptr;
      if (!related || !NodeOf(*relating) || !NodeOf(*related)) return false;
      nodes_[nodeIndex_.at(relating->entity)].occurrences.push_back(&record);
      nodes_[nodeIndex_.at(related->entity)].used = true;
      occurrenceOwner_.emplace(record.entity, relating->entity);
    }
    // A file without any assembly still shows its products, under the file's root.
    if (!anyOccurrence)
      for (const StepRecord& record : file_.records)
        if (IsOneOf(record.type, kDefinitionTypes) && !NodeOf(record)) return false;
    std::vector<std::size_t> order(nodes_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return nodes_[a].definition->offset < nodes_[b].definition->offset; });
    std::vector<Node> sorted;
    sorted.reserve(nodes_.size());
    for (const std::size_t i : order) sorted.push_back(std::move(nodes_[i]));
    nodes_ = std::move(sorted);
    for (std::size_t i = 0; i < nodes_.size(); ++i) nodeIndex_[nodes_[i].definition->entity] = i;
    return true;
  }

  std::size_t ChildOf(const StepRecord& occurrence) const { return nodeIndex_.at(ReferenceAt(occurrence, 4)); }

  // Depth-first without recursion; the occurrence that closes a cycle is reported.
  bool CheckAcyclic() {
    enum class State { Unvisited, Active, Done };
    std::vector<State> state(nodes_.size(), State::Unvisited);
    struct Step {
      std::size_t node;
      std::size_t next;
    };
    for (std::size_t start = 0; start < nodes_.size(); ++start) {
      if (state[start] != State::Unvisited) continue;
      std::vector<Step> stack{{start, 0}};
      state[start] = State::Active;
      while (!stack.empty()) {
        const Node& node = nodes_[stack.back().node];
        if (stack.back().next == node.occurrences.size()) {
          state[stack.back().node] = State::Done;
          stack.pop_back();
          continue;
        }
        const StepRecord& occurrence = *node.occurrences[stack.back().next++];
        const std::size_t child = ChildOf(occurrence);
        if (state[child] == State::Active) {
          std::string path;
          bool inCycle = false;
          for (const Step& step : stack) {
            inCycle = inCycle || step.node == child;
            if (inCycle) path += nodes_[step.node].productId + " > ";
          }
          return Fail(occurrence, occurrence.offset,
                      "product " + Quoted(nodes_[child].productId) + " contains itself: " + path + nodes_[child].productId);
        }
        if (state[child] == State::Unvisited) {
          state[child] = State::Active;
          stack.push_back({child, 0});
        }
      }
    }
    return true;
  }

  // ---- the description ----------------------------------------------------------------------

  std::string UniqueProductId(const std::string& wanted, const StepRecord& definition) {
    if (productIds_.insert(wanted).second) return wanted;
    std::string id = wanted + " #" + std::to_string(definition.entity);
    productIds_.insert(id);
    return id;
  }

  // The name of a new instance among its siblings: valid for the host and unique.
  std::string InstanceName(const std::string& raw, const std::string& fallback, const std::string& owner,
                           std::unordered_set<std::string>& siblings, std::unordered_map<std::string, int>& running) {
    std::string name = raw;
    if (IsBlank(name)) {
      name = fallback + "." + std::to_string(++running[fallback]);
      while (siblings.contains(name)) name = fallback + "." + std::to_string(++running[fallback]);
      description_.notes.push_back("an unnamed instance of " + Quoted(fallback) + " in " + Quoted(owner) +
                                   " is named " + Quoted(name));
    }
    if (std::string valid = ValidName(name); valid != name) {
      description_.notes.push_back("instance " + Quoted(name) + " of " + Quoted(owner) + " is named " + Quoted(valid) +
                                   " (\"/\" and \";\" become \"_\"; line ends and NUL become spaces)");
      name = std::move(valid);
    }
    if (siblings.contains(name)) {
      int copy = 2;
      while (siblings.contains(name + " (" + std::to_string(copy) + ")")) ++copy;
      const std::string unique = name + " (" + std::to_string(copy) + ")";
      description_.notes.push_back("instance " + Quoted(name) + " of " + Quoted(owner) + " is named " + Quoted(unique) +
                                   ": an earlier instance has its name");
      name = unique;
    }
    siblings.insert(name);
    return name;
  }

  bool BuildProducts() {
    ids_.resize(nodes_.size());
    for (std::size_t i = 0; i < nodes_.size(); ++i) ids_[i] = UniqueProductId(nodes_[i].productId, *nodes_[i].definition);
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      MoldProduct& product = description_.products.emplace_back();
      product.id = ids_[i];
      product.partNumber = ValidName(nodes_[i].productId);
      if (product.partNumber != nodes_[i].productId)
        description_.notes.push_back("part number " + Quoted(nodes_[i].productId) + " is written " + Quoted(product.partNumber));
      // Every CAD product has product properties; the BOM flag is settled once the catalogue has spoken.
      product.properties = MoldProperties{std::nullopt, std::nullopt, std::nullopt, nodes_[i].source};
      if (nodes_[i].occurrences.empty()) continue;
      auto& instances = product.instances.emplace();
      std::unordered_set<std::string> siblings;
      std::unordered_map<std::string, int> running;
      for (const StepRecord* occurrence : nodes_[i].occurrences) {
        const std::size_t child = ChildOf(*occurrence);
        std::string raw = Text(*occurrence, 1);
        if (IsBlank(raw)) raw = Text(*occurrence, 0);
        MoldInstance& instance = instances.emplace_back();
        instance.name = InstanceName(raw, nodes_[child].productId, nodes_[i].productId, siblings, running);
        instance.of = ids_[child];
        instanceOf_.emplace(occurrence->entity, std::make_pair(i, instances.size() - 1));
        if (names_) names_->occurrences.emplace(occurrence->entity, instance.name);
      }
    }
    return ChooseRoot();
  }

  // Roots use others and are used by none; several share one root named after the file.
  bool ChooseRoot() {
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
      if (!nodes_[i].used && !nodes_[i].occurrences.empty()) roots.push_back(i);
    if (roots.empty())
      for (std::size_t i = 0; i < nodes_.size(); ++i) roots.push_back(i);
    if (roots.size() == 1) {
      description_.root = ids_[roots.front()];
      if (names_) {
        names_->root = description_.products[roots.front()].partNumber;
        names_->rootDefinition = nodes_[roots.front()].definition->entity;
      }
      return true;
    }
    MoldProduct root;
    root.id = UniqueProductId(fileStem_.empty() ? "assembly" : fileStem_, *nodes_.front().definition);
    root.partNumber = ValidName(root.id);
    auto& instances = root.instances.emplace();
    std::unordered_set<std::string> siblings;
    std::unordered_map<std::string, int> running;
    for (const std::size_t i : roots) {
      instances.push_back(MoldInstance{InstanceName(nodes_[i].productId, nodes_[i].productId, root.id, siblings, running),
                                       ids_[i], std::nullopt});
      if (names_) names_->roots.emplace(nodes_[i].definition->entity, instances.back().name);
    }
    if (names_) names_->root = root.partNumber;
    description_.notes.push_back("the file holds " + std::to_string(roots.size()) + " root products; they are placed in " +
                                 Quoted(root.id));
    description_.root = root.id;
    description_.products.push_back(std::move(root));
    return true;
  }

  bool CheckExpansion() {
    const MoldExpansion expansion = ExpansionOfRoot(description_);
    const StepRecord& anchor = *nodes_.front().definition;
    if (expansion.occurrences > kMoldMaxOccurrences)
      return Fail(anchor, anchor.offset, "the assembly expands to more than " + std::to_string(kMoldMaxOccurrences) + " instances");
    if (expansion.depth > kMoldMaxAssemblyDepth)
      return Fail(anchor, anchor.offset, "the assembly is nested more than " + std::to_string(kMoldMaxAssemblyDepth) + " levels deep");
    return true;
  }

  // ---- properties ---------------------------------------------------------------------------

  struct Attribute {
    std::string name;
    KnowledgeValue value;
  };

  static std::optional<KnowledgeValue> MeasureValue(const StepValue& value) {
    const StepValue* inner = &value;
    if (value.Is(Kind::Typed) && value.items.size() == 1) inner = &value.items.front();
    if (inner->Is(Kind::Integer)) return KnowledgeValue(static_cast<int>(std::clamp<std::int64_t>(inner->integer, INT_MIN, INT_MAX)));
    if (inner->Is(Kind::Real)) return KnowledgeValue(inner->real);
    if (inner->Is(Kind::String)) return KnowledgeValue(inner->text);
    if (inner->Is(Kind::Enumeration) && (inner->text == "T" || inner->text == "F")) return KnowledgeValue(inner->text == "T");
    return std::nullopt;
  }

  std::optional<Attribute> ItemAttribute(const StepRecord& item) const {
    if (item.parameters.size() < 2 || !item.parameters[0].Is(Kind::String) || item.parameters[0].text.empty())
      return std::nullopt;
    const std::string& name = item.parameters[0].text;
    const StepValue& value = item.parameters[1];
    if (item.type == "DESCRIPTIVE_REPRESENTATION_ITEM") {
      if (!value.Is(Kind::String)) return std::nullopt;
      return Attribute{name, value.text};
    }
    std::optional<KnowledgeValue> converted = MeasureValue(value);
    if (!converted) return std::nullopt;
    if (item.type == "INTEGER_REPRESENTATION_ITEM" && !std::holds_alternative<int>(*converted)) return std::nullopt;
    if (item.type == "BOOLEAN_REPRESENTATION_ITEM" && !std::holds_alternative<bool>(*converted)) return std::nullopt;
    if (item.type == "REAL_REPRESENTATION_ITEM" && std::holds_alternative<int>(*converted))
      converted = static_cast<double>(std::get<int>(*converted));
    return Attribute{name, *converted};
  }

  // The items of the representations attached to a property definition.
  std::vector<const StepRecord*> ItemsOf(const StepRecord& property, const std::string& representationName = {}) const {
    std::vector<const StepRecord*> items;
    const auto range = representations_.equal_range(property.entity);
    for (auto it = range.first; it != range.second; ++it) {
      const StepRecord* representation = file_.Find(it->second);
      if (!representation || representation->type != "REPRESENTATION" || representation->parameters.size() < 2) continue;
      if (!representationName.empty() && Folded(Text(*representation, 0)) != representationName) continue;
      for (const StepValue& ref : representation->parameters[1].items)
        if (const StepRecord* item = ref.Is(Kind::Reference) ? file_.Find(ref.entity) : nullptr) items.push_back(item);
    }
    return items;
  }

  void IndexPropertyRecords() {
    for (const StepRecord& record : file_.records) {
      if (record.type == "PROPERTY_DEFINITION_REPRESENTATION") {
        if (const std::uint64_t property = ReferenceAt(record, 0), representation = ReferenceAt(record, 1); property && representation)
          representations_.emplace(property, representation);
      } else if (record.type == "GENERAL_PROPERTY_ASSOCIATION") {
        const StepRecord* general = file_.Find(ReferenceAt(record, 2));
        if (general && general->type == "GENERAL_PROPERTY" && Folded(Text(*general, 1)) == "userdefinedattribute")
          userDefined_.insert(ReferenceAt(record, 3));
      }
    }
  }

  // The product definition or occurrence a property definition describes, through a shape if need be.
  const StepRecord* Described(const StepRecord& property) const {
    const StepRecord* target = file_.Find(ReferenceAt(property, 2));
    if (target && target->type == "PRODUCT_DEFINITION_SHAPE") target = file_.Find(ReferenceAt(*target, 2));
    return target;
  }

  void ReadProperties() {
    IndexPropertyRecords();
    for (const StepRecord& property : file_.records) {
      if (property.type != kPropertyDefinition) continue;
      const StepRecord* target = Described(property);
      if (!target) continue;
      const std::string name = Folded(Text(property, 0));
      if (name == "materialproperty") {
        const bool namesMaterial = Folded(Text(property, 1)) == "materialname";
        for (const StepRecord* item : ItemsOf(property, namesMaterial ? std::string() : "materialname")) {
          if (item->type != "DESCRIPTIVE_REPRESENTATION_ITEM") continue;
          std::string material = Text(*item, 0);
          if (material.empty()) material = Text(*item, 1);
          Apply(*target, Attribute{"Material", material});
          break;
        }
        continue;
      }
      if (name != "userdefinedattribute" && !userDefined_.contains(property.entity)) continue;
      for (const StepRecord* item : ItemsOf(property))
        if (const std::optional<Attribute> attribute = ItemAttribute(*item)) Apply(*target, *attribute);
    }
  }

  void Apply(const StepRecord& target, const Attribute& attribute) {
    const std::optional<MoldAttribute> known = MoldAttributeNamed(attribute.name);
    if (const auto node = nodeIndex_.find(target.entity); node != nodeIndex_.end()) {
      MoldProduct& product = description_.products[node->second];
      if (known) {
        const std::optional<std::string> problem = SetMoldAttribute(product, *known, attribute.value);
        if (!problem) return;
        description_.notes.push_back("attribute " + Quoted(attribute.name) + " of " + Quoted(product.partNumber) +
                                     " is kept as a user property: " + *problem);
      }
      auto& properties = product.userProperties ? *product.userProperties : product.userProperties.emplace();
      const auto same = std::find_if(properties.begin(), properties.end(),
                                     [&](const MoldParameter& p) { return p.name == attribute.name; });
      if (same != properties.end()) same->value = attribute.value;
      else properties.push_back(MoldParameter{attribute.name, attribute.value});
      return;
    }
    const auto instance = instanceOf_.find(target.entity);
    if (instance == instanceOf_.end()) return;
    const auto [owner, index] = instance->second;
    MoldInstance& occurrence = (*description_.products[owner].instances)[index];
    const std::optional<std::string> problem =
        known ? SetInstanceAttribute(occurrence, *known, attribute.value) : std::optional<std::string>("it is no BOM attribute");
    if (problem)
      description_.notes.push_back("attribute " + Quoted(attribute.name) + " of instance " + Quoted(occurrence.name) +
                                   " is not read: " + *problem);
  }

  const StepFile& file_;
  std::string fileStem_;
  StepInstanceNames* names_;
  std::vector<Node> nodes_;
  std::unordered_map<std::uint64_t, std::size_t> nodeIndex_;  // product definition to node
  std::unordered_map<std::uint64_t, std::uint64_t> occurrenceOwner_;
  std::unordered_map<std::uint64_t, std::pair<std::size_t, std::size_t>> instanceOf_;  // occurrence to (product, instance)
  std::unordered_multimap<std::uint64_t, std::uint64_t> representations_;  // property definition to representation
  std::unordered_set<std::uint64_t> userDefined_;
  std::vector<std::string> ids_;
  std::unordered_set<std::string> productIds_;
  MoldDescription description_;
  std::optional<StepError> error_;
};

}  // namespace

void SetDefaultBomFlags(MoldDescription& description) {
  for (MoldProduct& product : description.products)
    if (product.properties && !product.properties->bom) product.properties->bom = true;
}

std::variant<MoldDescription, StepError> ReadStepMold(std::string_view text, const std::string& fileStem,
                                                      StepInstanceNames* names) {
  auto read = ReadStep(text, IsKeptType);
  if (auto* error = std::get_if<StepError>(&read)) return std::move(*error);
  const StepFile& file = std::get<StepFile>(read);
  bool anyDefinition = false;
  for (const StepRecord& record : file.records) anyDefinition = anyDefinition || IsOneOf(record.type, kDefinitionTypes);
  if (!anyDefinition) return StepError{0, 0, "the file holds no product (no PRODUCT_DEFINITION)"};
  return Builder(file, fileStem, names).Build();
}

}  // namespace qorhost
