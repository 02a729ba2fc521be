#pragma once
// Every command of the real table, for tests generated from the declarations rather than a list.

#include <string>
#include <vector>

#include "cli.hpp"

namespace testing_support {

struct GrammarNode {
  std::vector<std::string> path;  ///< the words that reach it: {"todo", "message", "add"}
  quillo::NodeRef node;
};

/// The root and everything below it, depth first.
inline std::vector<GrammarNode> walk(quillo::NodeRef root = quillo::program().root,
                                     std::vector<std::string> path = {}) {
  std::vector<GrammarNode> nodes{{path, root}};
  root.for_each_child([&](const quillo::NodeRef& child) {
    auto child_path = path;
    child_path.emplace_back(child.name());
    const auto below = walk(child, child_path);
    nodes.insert(nodes.end(), below.begin(), below.end());
  });
  return nodes;
}

/// The commands that send a request, and the methods they send.
inline std::vector<std::string> declared_methods() {
  std::vector<std::string> methods;
  quillo::for_each_command(quillo::program().root, [&](quillo::NodeRef command) {
    if (!command.method().empty()) methods.emplace_back(command.method());
  });
  return methods;
}

inline bool is_integer(const quillo::ArgumentRef& argument) {
  using quillo::ValueType;
  return argument.type() == ValueType::Uint32 || argument.type() == ValueType::Int64;
}

/// A good value for an argument: the first of its usual words (which a check may require),
/// else text that is also good JSON, else an integer.
inline std::string good_value(const quillo::ArgumentRef& argument) {
  if (!argument.choices().empty()) return std::string(argument.choices().substr(0, argument.choices().find(' ')));
  return is_integer(argument) ? "1" : "{}";
}

/// Words for one argument: its option (if any) and a good value (if it takes one).
inline void append(std::vector<std::string>& args, const quillo::ArgumentRef& argument) {
  if (!argument.is_positional()) args.emplace_back(argument.option());
  if (argument.type() != quillo::ValueType::Flag) args.push_back(good_value(argument));
}

/// The path and every required argument but `left_out` (and the positionals after it, which
/// would take its place); `everything` adds every argument.
inline std::vector<std::string> args_for(const GrammarNode& leaf, bool everything = false,
                                         const quillo::ArgumentRef* left_out = nullptr) {
  std::vector<std::string> args = leaf.path;
  bool positionals_end = false;
  for (std::size_t i = 0; i < leaf.node.argument_count(); ++i) {
    const quillo::ArgumentRef argument = leaf.node.argument(i);
    const bool positional = argument.is_positional();
    if (left_out != nullptr && argument == *left_out) {
      positionals_end = positional;
      continue;
    }
    if ((argument.required() || everything) && !(positional && positionals_end)) append(args, argument);
  }
  return args;
}

}  // namespace testing_support
