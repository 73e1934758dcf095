// Which node of a binary glTF scene draws which occurrence of the product tree, by instance path.
#pragma once

#include "MoldDescription.h"
#include "QORExpected.h"

#include <string>
#include <string_view>
#include <vector>

namespace moldview {

// Each node's path: the names of its ancestors from the scene's root and its own, joined by "/"
// as instance paths are; empty for a node no scene reaches.
QORExpected<std::vector<std::string>> GlbNodePaths(std::string_view glb);

struct TreeOccurrence {
  std::string path;
  bool part = false;  // a leaf of the tree: what the view draws
};

// The occurrences below and including the root, depth first, as the product tree holds them.
std::vector<TreeOccurrence> TreeOccurrences(const qorhost::MoldDescription& description);

// The mapping the page reads: {"nodes": {path: node index}, "skipped": [sentence, ...]}. Parts of
// the tree that no node draws join what was skipped.
std::string SceneMapJson(const std::vector<std::string>& nodePaths, const std::vector<TreeOccurrence>& tree,
                         std::vector<std::string> skipped);

}  // namespace moldview
