// Reading back the scene the kernel wrote: the glTF container's JSON chunk, nothing of its buffers.
#include "SceneMap.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace moldview {
namespace {

using Json = nlohmann::json;

std::uint32_t Word(std::string_view bytes, std::size_t at) {
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < 4; ++i) word |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return word;
}

constexpr std::uint32_t kMagic = 0x46546C67;      // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"

QORError Bad(const std::string& what) { return QORError("scene.glb", 0, 0, what); }

}  // namespace

QORExpected<std::vector<std::string>> GlbNodePaths(std::string_view glb) {
  if (glb.size() < 20 || Word(glb, 0) != kMagic || Word(glb, 4) != 2) return Bad("not a binary glTF 2 file");
  const std::uint32_t chunkLength = Word(glb, 12);
  if (Word(glb, 16) != kJsonChunk || chunkLength > glb.size() - 20) return Bad("the JSON chunk is missing or cut short");
  const Json scene = Json::parse(glb.substr(20, chunkLength), nullptr, /*allow_exceptions=*/false);
  if (scene.is_discarded() || !scene.is_object()) return Bad("the JSON chunk does not parse");
  const Json nodes = scene.value("nodes", Json::array());
  std::vector<std::string> paths(nodes.size());
  std::vector<bool> reached(nodes.size(), false);
  struct Pending {
    std::size_t node;
    std::string parent;
  };
  std::vector<Pending> stack;
  for (const Json& sceneEntry : scene.value("scenes", Json::array()))
    for (const Json& root : sceneEntry.value("nodes", Json::array()))
      if (root.is_number_unsigned()) stack.push_back({root.get<std::size_t>(), {}});
  while (!stack.empty()) {
    const Pending pending = std::move(stack.back());
    stack.pop_back();
    // A node reached twice would make the tree a graph; glTF forbids it, so a second visit is refused.
    if (pending.node >= nodes.size() || reached[pending.node]) return Bad("node " + std::to_string(pending.node) + " is not a tree node");
    reached[pending.node] = true;
    const Json& node = nodes[pending.node];
    const std::string name = node.contains("name") && node["name"].is_string() ? node["name"].get<std::string>() : "";
    paths[pending.node] = pending.parent.empty() ? name : pending.parent + "/" + name;
    for (const Json& child : node.value("children", Json::array()))
      if (child.is_number_unsigned()) stack.push_back({child.get<std::size_t>(), paths[pending.node]});
  }
  return paths;
}

std::vector<TreeOccurrence> TreeOccurrences(const qorhost::MoldDescription& description) {
  std::unordered_map<std::string, const qorhost::MoldProduct*> products;
  for (const qorhost::MoldProduct& product : description.products) products.emplace(product.id, &product);
  std::vector<TreeOccurrence> tree;
  const auto root = products.find(description.root);
  if (root == products.end()) return tree;
  struct Pending {
    const qorhost::MoldProduct* product;
    std::string path;
  };
  std::vector<Pending> stack{{root->second, root->second->partNumber}};
  while (!stack.empty()) {
    Pending pending = std::move(stack.back());
    stack.pop_back();
    const bool part = !pending.product->instances || pending.product->instances->empty();
    tree.push_back({pending.path, part});
    if (part) continue;
    // Pushed in reverse so that siblings come out in file order.
    for (auto it = pending.product->instances->rbegin(); it != pending.product->instances->rend(); ++it)
      if (const auto of = products.find(it->of); of != products.end()) stack.push_back({of->second, pending.path + "/" + it->name});
  }
  return tree;
}

std::string SceneMapJson(const std::vector<std::string>& nodePaths, const std::vector<TreeOccurrence>& tree,
                         std::vector<std::string> skipped) {
  Json nodes = Json::object();
  for (std::size_t i = 0; i < nodePaths.size(); ++i)
    if (!nodePaths[i].empty() && !nodes.contains(nodePaths[i])) nodes[nodePaths[i]] = i;
  for (const TreeOccurrence& occurrence : tree)
    if (occurrence.part && !nodes.contains(occurrence.path)) skipped.push_back(occurrence.path + " is not drawn");
  return Json{{"nodes", std::move(nodes)}, {"skipped", std::move(skipped)}}.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace moldview
