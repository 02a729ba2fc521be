#pragma once
// What the completion scripts offer at each place of a command line, read from the command
// table: every group and command with the words that reach it, their options (an argument's
// file form is an option of its own) and how to complete each value.

#include <string>
#include <string_view>
#include <vector>

#include "core/command_table.hpp"

namespace quillo::completion {

/// A group or command and the words that reach it ("todo message add"; "" for the program).
struct Reached {
  std::string path;
  NodeRef node;
};

/// The program's group and everything below it, depth first.
std::vector<Reached> every_node(NodeRef root);

/// How to complete the value of `argument`: "files", "words W...", "listed KEY COMMAND..."
/// (the values of KEY in the items that `quillo --json COMMAND...` lists), or empty for any
/// text.
std::string value_completion(const ArgumentRef& argument);

/// One option as shells offer it.
struct OfferedOption {
  std::string_view name;  ///< "--terminal-id"
  bool takes_value = false;
  std::string help;  ///< what it does, in a few words
  std::string how;   ///< how to complete its value, as value_completion says
};

/// The options of `node`'s own arguments, file forms included, in the order of the help.
std::vector<OfferedOption> options_of(NodeRef node);

/// How to complete each positional of `node`, in order.
std::vector<std::string> positionals_of(NodeRef node);

/// What a text says, in a few words: up to the first aside or second sentence, when what comes
/// before says enough on its own.
std::string short_help(std::string_view text);

/// `text` in single quotes for bash and zsh, or for fish (whose quotes escape backslashes).
std::string single_quoted(std::string_view text);
std::string fish_quoted(std::string_view text);

}  // namespace quillo::completion
