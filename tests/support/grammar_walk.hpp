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

inline bool is_integer(const quillo::grammar::Argument& argument) {
  using quillo::grammar::ValueType;
  return argument.type == ValueType::Uint32 || argument.type == ValueType::Int64;
}

/// Words for one argument: its option (if any) and a good value (if it takes one).
inline void append(std::vector<std::string>& args, const quillo::grammar::Argument& argument) {
  if (!argument.option.empty()) args.push_back(argument.option);
  if (argument.type != quillo::grammar::ValueType::Flag) args.push_back(is_integer(argument) ? "1" : "{}");
}

/// The path and every required argument but `left_out` (and the positionals after it, which
/// would take its place); `everything` adds every argument.
inline std::vector<std::string> args_for(const GrammarNode& leaf, bool everything = false,
                                         const quillo::grammar::Argument* left_out = nullptr) {
  std::vector<std::string> args = leaf.path;
  bool positionals_end = false;
  for (const auto& argument : leaf.node->arguments) {
    const bool positional = argument.option.empty();
    if (&argument == left_out) {
      positionals_end = positional;
      continue;
    }
    if ((argument.required || everything) && !(positional && positionals_end)) append(args, argument);
  }
  return args;
}

}  // namespace testing_support
