#pragma once
// Every command of the real grammar, for tests generated from the tree rather than a list.

#include <string>
#include <vector>

#include "core/grammar.hpp"

namespace testing_support {

struct GrammarNode {
  std::vector<std::string> path;  ///< the words that reach it: {"todo", "message", "add"}
  const quillo::grammar::NodeBase* node;
};

/// The root and everything below it, depth first, each group built in full.
inline std::vector<GrammarNode> walk(const quillo::grammar::NodeBase& root,
                                     std::vector<std::string> path = {}) {
  std::vector<GrammarNode> nodes{{path, &root}};
  for (std::size_t i = 0; i < root.child_count(); ++i) {
    const auto& child = root.child(i).full();
    auto child_path = path;
    child_path.push_back(child.name);
    const auto below = walk(child, child_path);
    nodes.insert(nodes.end(), below.begin(), below.end());
  }
  return nodes;
}

}  // namespace testing_support
