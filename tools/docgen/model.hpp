#pragma once
// The grammar as the documentation tools see it: every command with its arguments, read from
// the program's own command tree, so nothing is written twice and nothing can drift.

#include <optional>
#include <string>
#include <vector>

namespace docgen {

struct Example {
  std::string command;
  std::string output;
};

/// What completion offers for a value that names something the IDE holds: the values of `key`
/// in the JSON that `quillo --json COMMAND` prints.
struct Listed {
  std::string command;
  std::string key;
};

struct Option {
  std::string name;        ///< "--terminal-id"
  std::string value_name;  ///< "TERMINAL_ID"; empty for a flag
  std::string help;
  std::string default_value;
  bool required = false;
  bool path = false;                 ///< the value names a file or folder
  std::vector<std::string> choices;  ///< words to offer for the value
  std::optional<Listed> listed;
};

struct Positional {
  std::string name;  ///< "PATH"
  std::string help;
  bool required = false;
  bool path = false;
  std::optional<Listed> listed;
};

struct Command {
  std::vector<std::string> path;  ///< {"todo", "message", "add"}; empty for the program
  std::string help;
  std::vector<Option> options;  ///< long options of this level, -h/--help and -V left out
  std::vector<Positional> positionals;
  std::vector<Command> subcommands;
  std::vector<Example> examples;

  /// "todo message add" ("" for the program).
  std::string joined_path() const;
};

/// The program's whole grammar.
Command read_grammar();

/// Every command of the tree, the program first, depth first.
std::vector<const Command*> all_commands(const Command& root);

}  // namespace docgen
