#pragma once
// What the completion scripts offer at each place of a command line, read from the command
// table: every group and command with the words that reach it, their options (an argument's
// file form is an option of its own) and how to complete each value.

#include <string>
#include <string_view>
#include <vector>

#include "core/command_table.hpp"

namespace quillo::completion {

/// A value that names something the IDE holds, listed by a command of its own.
struct Listing {
  std::string_view command;      ///< "terminal list"
  std::string_view key;          ///< the member of each listed item that holds the value
  std::string_view description;  ///< how shells describe an item ("{title}  {cwd}")
  bool operator==(const Listing& other) const = default;
};

/// Every listing that some argument below `root` reads, each once; an argument's listing is
/// known by its number, from 1.
std::vector<Listing> listings(NodeRef root);

/// How to complete the value of `argument`: "files", "words W...", "listed N VALUE_NAME"
/// (the Nth of `known`), or empty for any text.
std::string value_completion(const ArgumentRef& argument, const std::vector<Listing>& known);

/// One option as shells offer it.
struct OfferedOption {
  std::string_view name;  ///< "--terminal-id"
  bool takes_value = false;
  std::string help;  ///< what it does, in a few words
  std::string how;   ///< how to complete its value, as value_completion says
};

/// The options of `node`'s own arguments, file forms included, in the order of the help.
std::vector<OfferedOption> options_of(NodeRef node, const std::vector<Listing>& known);

/// How to complete each positional of `node`, in order.
std::vector<std::string> positionals_of(NodeRef node, const std::vector<Listing>& known);

/// What a text says, in a few words: up to the first aside or second sentence, when what comes
/// before says enough on its own.
std::string short_help(std::string_view text);

/// `text` in single quotes for bash and zsh, or for fish (whose quotes escape backslashes).
std::string single_quoted(std::string_view text);
std::string fish_quoted(std::string_view text);

/// A program for awk that reads the JSON text `quillo --json` prints for a listing and prints
/// its items one a line, as a shell offers them; its arguments are the shell's name, the
/// listing's key and its description (its own comment says more).
extern const char kItemsProgram[];

}  // namespace quillo::completion
