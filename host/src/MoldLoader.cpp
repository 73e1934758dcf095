// Reading of mold assembly files (format "moldbom-assembly", version 1): every key, type and
// reference is checked, and the first problem found is reported where it lies.
#include "MoldLoader.h"

#include "ToolingTypes.h"

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace qorhost {
namespace {

using Kind = MoldJsonValue::Kind;
using KeyList = std::initializer_list<std::string_view>;

constexpr std::string_view kFormat = "moldbom-assembly";
constexpr std::int64_t kVersion = 1;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string Joined(KeyList keys) {
  std::string list;
  for (std::string_view key : keys) {
    if (!list.empty()) list += ", ";
    list += key;
  }
  return list;
}

std::optional<int> SourceCode(std::string_view text) {
  if (text == "unknown") return 0;
  if (text == "made") return 1;
  if (text == "bought") return 2;
  return std::nullopt;
}

class MoldReader {
 public:
  MoldReader(const std::string& text, const std::string& fileName) : text_(text), fileName_(fileName) {}

  // Products and their instances arrive while the file is parsed, before the top object's other
  // members may have been seen. Problems are therefore kept and told at the end in the order a
  // reading of the whole tree would meet them: the top object's first, then a reference to a
  // product the file never declares, then the first problem of a product.
  void OnInstance(const std::string& productId, std::size_t index, const MoldJsonValue& item) {
    if (productError_ || streamed_.error) return;
    const std::string owner = "product " + Quoted(productId);
    MoldInstance& instance = streamed_.instances.emplace_back();
    if (!ReadInstance(item, index + 1, owner, instance)) {
      streamed_.error = TakeError();
      return;
    }
    if (!streamed_.names.insert(instance.name).second) {
      Fail(item.Find("name")->offset, owner + " has two instances named " + Quoted(instance.name));
      streamed_.error = TakeError();
      return;
    }
    streamed_.ofOffsets.push_back(item.Find("of")->offset);
  }

  void OnProduct(const MoldJsonMember& member) {
    index_.emplace(member.key, ofOffsets_.size());
    ofOffsets_.emplace_back();
    if (!productError_ && !ReadProduct(member, description_.products.emplace_back())) productError_ = TakeError();
    streamed_ = {};
  }

  QORExpected<MoldDescription> Finish(const MoldJsonValue& top) {
    if (!ReadTop(top) || !CheckRootExpansion(description_)) return *error_;
    return std::move(description_);
  }

 private:
  bool Fail(std::size_t offset, std::string what) {
    if (!error_) error_ = MoldErrorAt(fileName_, text_, offset, std::move(what));
    return false;
  }

  std::optional<QORError> TakeError() { return std::exchange(error_, std::nullopt); }

  bool CheckKeys(const MoldJsonValue& object, KeyList known, const std::string& where) {
    for (const MoldJsonMember& member : object.members) {
      const bool isKnown = std::find(known.begin(), known.end(), member.key) != known.end();
      if (!isKnown)
        return Fail(member.keyOffset,
                    "unknown key " + Quoted(member.key) + " in " + where + " (known keys: " + Joined(known) + ")");
    }
    return true;
  }

  bool ExpectKind(const MoldJsonValue& value, Kind kind, const char* kindName, std::string_view key,
                  const std::string& where) {
    if (value.Is(kind)) return true;
    return Fail(value.offset, Quoted(key) + " in " + where + " must be " + kindName + ", not " + value.KindName());
  }

  // The required member key of object, or null after reporting it missing.
  const MoldJsonValue* Require(const MoldJsonValue& object, std::string_view key, const std::string& where) {
    const MoldJsonValue* value = object.Find(key);
    if (!value) Fail(object.offset, where + " has no " + Quoted(key));
    return value;
  }

  bool ReadText(const MoldJsonValue& value, std::string_view key, const std::string& where, std::string& out) {
    if (!ExpectKind(value, Kind::String, "a string", key, where)) return false;
    out = value.text;
    return true;
  }

  // ---- the file -------------------------------------------------------------------------------

  bool ReadTop(const MoldJsonValue& top) {
    MoldDescription& description = description_;
    const std::string where = "the file";
    if (!top.Is(Kind::Object))
      return Fail(top.offset, std::string("a mold assembly file holds one JSON object, not ") + top.KindName());
    if (!CheckKeys(top, {"format", "version", "root", "products"}, where)) return false;
    if (!ReadFormat(top) || !ReadVersion(top)) return false;
    const MoldJsonValue* root = Require(top, "root", where);
    if (!root || !ReadText(*root, "root", where, description.root)) return false;
    const MoldJsonValue* products = Require(top, "products", where);
    if (!products || !ExpectKind(*products, Kind::Object, "an object", "products", where)) return false;
    if (!index_.contains(description.root))
      return Fail(root->offset, "\"root\" names product " + Quoted(description.root) + ", which is not among the products");
    rootOffset_ = root->offset;
    for (const UnresolvedOf& of : unresolved_) {
      const MoldProduct& product = description.products[of.product];
      const MoldInstance& instance = (*product.instances)[of.instance];
      if (!index_.contains(instance.of))
        return Fail(of.offset, "instance " + Quoted(instance.name) + " of product " + Quoted(product.id) +
                                   " refers to unknown product " + Quoted(instance.of));
    }
    if (productError_) {
      error_ = std::move(productError_);
      return false;
    }
    return CheckAcyclic(description);
  }

  bool ReadFormat(const MoldJsonValue& top) {
    const MoldJsonValue* format = top.Find("format");
    if (!format) return Fail(top.offset, "not a mold assembly file: the file has no \"format\"");
    if (!ExpectKind(*format, Kind::String, "a string", "format", "the file")) return false;
    if (format->text == kFormat) return true;
    return Fail(format->offset, "not a mold assembly file: \"format\" is " + Quoted(format->text) + ", expected " +
                                    Quoted(kFormat));
  }

  bool ReadVersion(const MoldJsonValue& top) {
    const MoldJsonValue* version = Require(top, "version", "the file");
    if (!version || !ExpectKind(*version, Kind::Integer, "an integer", "version", "the file")) return false;
    if (version->integer == kVersion) return true;
    return Fail(version->offset, "unsupported version " + std::to_string(version->integer) +
                                     ": this program reads version " + std::to_string(kVersion));
  }

  // ---- products -------------------------------------------------------------------------------

  bool ReadProduct(const MoldJsonMember& member, MoldProduct& product) {
    product.id = member.key;
    const std::string where = "product " + Quoted(product.id);
    const MoldJsonValue& object = member.value;
    if (!object.Is(Kind::Object))
      return Fail(object.offset, where + " must be an object, not " + object.KindName());
    if (!CheckKeys(object, {"partNumber", "instances", "properties", "userProperties", "parameters", "plate", "component"},
                   where))
      return false;
    const MoldJsonValue* partNumber = Require(object, "partNumber", where);
    if (!partNumber || !ReadText(*partNumber, "partNumber", where, product.partNumber)) return false;
    if (const MoldJsonValue* v = object.Find("instances"); v && !ReadInstances(*v, where, product)) return false;
    if (const MoldJsonValue* v = object.Find("properties"); v) {
      product.properties.emplace();
      if (!ReadProperties(*v, "the properties of " + where, *product.properties)) return false;
    }
    if (const MoldJsonValue* v = object.Find("userProperties"); v) {
      product.userProperties.emplace();
      if (!ReadParameters(*v, "userProperties", "user property", where, *product.userProperties)) return false;
    }
    if (const MoldJsonValue* v = object.Find("parameters"); v &&
        !ReadParameters(*v, "parameters", "parameter", where, product.parameters))
      return false;
    if (const MoldJsonValue* v = object.Find("plate"); v && !ReadPlate(*v, where, product)) return false;
    if (const MoldJsonValue* v = object.Find("component"); v && !ReadComponent(*v, where, product)) return false;
    return true;
  }

  bool ReadPlate(const MoldJsonValue& value, const std::string& where, MoldProduct& product) {
    if (value.Is(Kind::Boolean) && value.boolean) {
      product.plate = MoldPlateKind::WithExtension;
      return true;
    }
    if (value.Is(Kind::String) && value.text == "no-extension") {
      product.plate = MoldPlateKind::WithoutExtension;
      return true;
    }
    return Fail(value.offset, "\"plate\" in " + where + " must be true or \"no-extension\"");
  }

  bool ReadComponent(const MoldJsonValue& value, const std::string& where, MoldProduct& product) {
    if (!ExpectKind(value, Kind::String, "a string", "component", where)) return false;
    if (!IsToolingTypeName(value.text))
      return Fail(value.offset, "unknown tooling type " + Quoted(value.text) + " in " + where + " (known types: " +
                                    ToolingTypeNameList() + ")");
    product.component = value.text;
    return true;
  }

  // ---- instances ------------------------------------------------------------------------------

  // The items were read as they were parsed (OnInstance); their problems count from here.
  bool ReadInstances(const MoldJsonValue& array, const std::string& owner, MoldProduct& product) {
    if (!ExpectKind(array, Kind::Array, "an array", "instances", owner)) return false;
    const std::size_t index = index_.at(product.id);
    for (const UnresolvedOf& of : streamed_.unresolved) unresolved_.push_back({index, of.instance, of.offset});
    product.instances = std::move(streamed_.instances);
    ofOffsets_[index] = std::move(streamed_.ofOffsets);
    if (!streamed_.error) return true;
    error_ = std::move(streamed_.error);
    return false;
  }

  bool ReadInstance(const MoldJsonValue& item, std::size_t ordinal, const std::string& owner, MoldInstance& instance) {
    std::string where = "instance " + std::to_string(ordinal) + " of " + owner;
    if (!item.Is(Kind::Object)) return Fail(item.offset, where + " must be an object, not " + item.KindName());
    if (const MoldJsonValue* name = item.Find("name"); name && name->Is(Kind::String))
      where = "instance " + Quoted(name->text) + " of " + owner;
    if (!CheckKeys(item, {"name", "of", "properties"}, where)) return false;
    const MoldJsonValue* name = Require(item, "name", where);
    if (!name || !ReadText(*name, "name", where, instance.name) || !CheckInstanceName(*name, where)) return false;
    const MoldJsonValue* of = Require(item, "of", where);
    if (!of || !ReadText(*of, "of", where, instance.of)) return false;
    // A product declared further on is known only at the end.
    if (!index_.contains(instance.of)) streamed_.unresolved.push_back({0, ordinal - 1, of->offset});
    if (const MoldJsonValue* v = item.Find("properties"); v) {
      instance.properties.emplace();
      if (!ReadProperties(*v, "the properties of " + where, *instance.properties)) return false;
    }
    return true;
  }

  // Instance paths join names with "/" and the BOM's instance groups with ";".
  bool CheckInstanceName(const MoldJsonValue& name, const std::string& where) {
    if (name.text.empty()) return Fail(name.offset, where + " has an empty name");
    if (name.text.find('/') != std::string::npos)
      return Fail(name.offset, "the name of " + where + " contains \"/\", which separates instance names in paths");
    if (name.text.find(';') != std::string::npos)
      return Fail(name.offset, "the name of " + where + " contains \";\", which separates instance names in groups");
    return true;
  }

  // ---- properties and parameters ------------------------------------------------------------

  bool ReadProperties(const MoldJsonValue& object, const std::string& where, MoldProperties& properties) {
    if (!object.Is(Kind::Object)) return Fail(object.offset, where + " must be an object, not " + object.KindName());
    if (!CheckKeys(object, {"bom", "reference", "supplier", "source"}, where)) return false;
    if (const MoldJsonValue* v = object.Find("bom"); v) {
      if (!ExpectKind(*v, Kind::Boolean, "a boolean", "bom", where)) return false;
      properties.bom = v->boolean;
    }
    if (const MoldJsonValue* v = object.Find("reference"); v && !ReadText(*v, "reference", where, properties.reference.emplace()))
      return false;
    if (const MoldJsonValue* v = object.Find("supplier"); v && !ReadText(*v, "supplier", where, properties.supplier.emplace()))
      return false;
    if (const MoldJsonValue* v = object.Find("source"); v) {
      if (!ExpectKind(*v, Kind::String, "a string", "source", where)) return false;
      properties.source = SourceCode(v->text);
      if (!properties.source)
        return Fail(v->offset, "\"source\" in " + where + " must be \"unknown\", \"made\" or \"bought\", not " + Quoted(v->text));
    }
    return true;
  }

  bool ReadParameters(const MoldJsonValue& array, std::string_view key, const std::string& noun, const std::string& owner,
                      std::vector<MoldParameter>& parameters) {
    if (!ExpectKind(array, Kind::Array, "an array", key, owner)) return false;
    for (std::size_t i = 0; i < array.items.size(); ++i)
      if (!ReadParameter(array.items[i], noun + " " + std::to_string(i + 1) + " of " + owner, noun, owner,
                         parameters.emplace_back()))
        return false;
    return true;
  }

  bool ReadParameter(const MoldJsonValue& item, std::string where, const std::string& noun, const std::string& owner,
                     MoldParameter& parameter) {
    if (!item.Is(Kind::Object)) return Fail(item.offset, where + " must be an object, not " + item.KindName());
    if (const MoldJsonValue* name = item.Find("name"); name && name->Is(Kind::String) && !name->text.empty())
      where = noun + " " + Quoted(name->text) + " of " + owner;
    if (!CheckKeys(item, {"name", "type", "value"}, where)) return false;
    const MoldJsonValue* name = Require(item, "name", where);
    if (!name || !ReadText(*name, "name", where, parameter.name)) return false;
    if (parameter.name.empty()) return Fail(name->offset, where + " has an empty name");
    const MoldJsonValue* type = Require(item, "type", where);
    if (!type || !ExpectKind(*type, Kind::String, "a string", "type", where)) return false;
    const MoldJsonValue* value = Require(item, "value", where);
    return value && ReadValue(*type, *value, where, parameter.value);
  }

  bool ReadValue(const MoldJsonValue& type, const MoldJsonValue& value, const std::string& where, KnowledgeValue& out) {
    const std::string& t = type.text;
    const auto mismatch = [&](const char* expected) {
      return Fail(value.offset, "\"value\" in " + where + " must be " + expected + " for type " + Quoted(t) + ", not " +
                                    value.KindName());
    };
    if (t == "string") {
      if (!value.Is(Kind::String)) return mismatch("a string");
      out = value.text;
      return true;
    }
    if (t == "real") {
      if (!value.Is(Kind::Real) && !value.Is(Kind::Integer)) return mismatch("a number");
      out = value.real;
      return true;
    }
    if (t == "integer") {
      if (!value.Is(Kind::Integer)) return mismatch("an integer");
      if (value.integer < INT_MIN || value.integer > INT_MAX)
        return Fail(value.offset, "\"value\" in " + where + " lies outside the 32-bit integer range");
      out = static_cast<int>(value.integer);
      return true;
    }
    if (t == "boolean") {
      if (!value.Is(Kind::Boolean)) return mismatch("a boolean");
      out = value.boolean;
      return true;
    }
    return Fail(type.offset, "\"type\" in " + where + " must be \"string\", \"real\", \"integer\" or \"boolean\", not " +
                                 Quoted(t));
  }

  // ---- the structure as a whole ---------------------------------------------------------------

  static const std::vector<MoldInstance>& InstancesOf(const MoldProduct& product) {
    static const std::vector<MoldInstance> none;
    return product.instances ? *product.instances : none;
  }

  // Depth-first search without recursion, since a long chain of products must not exhaust the
  // stack; the first instance that closes a cycle is reported.
  bool CheckAcyclic(const MoldDescription& description) {
    enum class State { Unvisited, Active, Done };
    std::vector<State> state(description.products.size(), State::Unvisited);
    struct Step {
      std::size_t product;
      std::size_t next;
    };
    for (std::size_t start = 0; start < description.products.size(); ++start) {
      if (state[start] != State::Unvisited) continue;
      std::vector<Step> stack{{start, 0}};
      state[start] = State::Active;
      while (!stack.empty()) {
        const std::size_t current = stack.back().product;
        const std::vector<MoldInstance>& instances = InstancesOf(description.products[current]);
        if (stack.back().next == instances.size()) {
          state[current] = State::Done;
          stack.pop_back();
          continue;
        }
        const std::size_t i = stack.back().next++;
        const std::size_t child = index_.at(instances[i].of);
        if (state[child] == State::Active) return FailCycle(description, stack, child, ofOffsets_[current][i]);
        if (state[child] == State::Unvisited) {
          state[child] = State::Active;
          stack.push_back({child, 0});
        }
      }
    }
    return true;
  }

  template <class Stack>
  bool FailCycle(const MoldDescription& description, const Stack& stack, std::size_t closing, std::size_t offset) {
    std::string path;
    bool inCycle = false;
    for (const auto& step : stack) {
      inCycle = inCycle || step.product == closing;
      if (inCycle) path += description.products[step.product].id + " > ";
    }
    path += description.products[closing].id;
    return Fail(offset, "product " + Quoted(description.products[closing].id) + " contains itself: " + path);
  }

  bool CheckRootExpansion(const MoldDescription& description) {
    const MoldExpansion expansion = ExpansionOfRoot(description);
    const std::string where = "the assembly under root product " + Quoted(description.root);
    if (expansion.occurrences > kMoldMaxOccurrences)
      return Fail(rootOffset_, where + " expands to more than " + std::to_string(kMoldMaxOccurrences) + " instances");
    if (expansion.depth > kMoldMaxAssemblyDepth)
      return Fail(rootOffset_, where + " is nested more than " + std::to_string(kMoldMaxAssemblyDepth) + " levels deep");
    return true;
  }

  // Where an instance names a product not yet declared when it was read.
  struct UnresolvedOf {
    std::size_t product;
    std::size_t instance;
    std::size_t offset;
  };
  // The instances of the product being parsed.
  struct StreamedInstances {
    std::vector<MoldInstance> instances;
    std::vector<std::size_t> ofOffsets;
    std::unordered_set<std::string> names;
    std::vector<UnresolvedOf> unresolved;
    std::optional<QORError> error;
  };

  const std::string& text_;
  const std::string& fileName_;
  std::optional<QORError> error_;
  MoldDescription description_;
  StreamedInstances streamed_;
  std::vector<UnresolvedOf> unresolved_;
  std::optional<QORError> productError_;
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<std::vector<std::size_t>> ofOffsets_;
  std::size_t rootOffset_ = 0;
};

}  // namespace

// Computed per product once (post-order, without recursion), so that shared sub-assemblies cost
// nothing more.
MoldExpansion ExpansionOfRoot(const MoldDescription& description) {
  const std::size_t n = description.products.size();
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t i = 0; i < n; ++i) index.emplace(description.products[i].id, i);
  std::vector<long> count(n, 0);
  std::vector<int> depth(n, 0);
  std::vector<bool> done(n, false);
  struct Step {
    std::size_t product;
    std::size_t next;
  };
  static const std::vector<MoldInstance> none;
  const std::size_t root = index.at(description.root);
  std::vector<Step> stack{{root, 0}};
  while (!stack.empty()) {
    const std::size_t current = stack.back().product;
    const MoldProduct& product = description.products[current];
    const std::vector<MoldInstance>& instances = product.instances ? *product.instances : none;
    if (stack.back().next < instances.size()) {
      const std::size_t child = index.at(instances[stack.back().next++].of);
      if (!done[child]) stack.push_back({child, 0});
      continue;
    }
    long total = 1;
    int deepest = 0;
    for (const MoldInstance& instance : instances) {
      const std::size_t child = index.at(instance.of);
      total = std::min(total + count[child], kMoldMaxOccurrences + 1);
      deepest = std::max(deepest, depth[child]);
    }
    count[current] = total;
    depth[current] = deepest + 1;
    done[current] = true;
    stack.pop_back();
  }
  return {count[root], depth[root]};
}

QORExpected<MoldDescription> ReadMoldFile(const std::string& text, const std::string& fileName) {
  MoldReader reader(text, fileName);
  MoldJsonStream stream;
  stream.instance = [&](const std::string& product, std::size_t index, const MoldJsonValue& item) {
    reader.OnInstance(product, index, item);
  };
  stream.product = [&](const MoldJsonMember& product) { reader.OnProduct(product); };
  QORExpected<MoldJsonValue> top = ParseMoldJson(text, fileName, &stream);
  if (!top) return top.Error();
  return reader.Finish(top.Value());
}

std::optional<MoldProperties> MergeProperties(const std::optional<MoldProperties>& product,
                                              const std::optional<MoldProperties>& instance) {
  if (!product) return instance;
  if (!instance) return product;
  MoldProperties merged = *product;
  if (instance->bom) merged.bom = instance->bom;
  if (instance->reference) merged.reference = instance->reference;
  if (instance->supplier) merged.supplier = instance->supplier;
  if (instance->source) merged.source = instance->source;
  return merged;
}

}  // namespace qorhost
