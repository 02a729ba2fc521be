#include "completion/shell_tables.hpp"

#include <algorithm>

#include "completion/offers.hpp"

namespace quillo::completion {
namespace {

// One branch of a `case`: `pattern) body ;;`.
std::string branch(std::string_view pattern, std::string_view body) {
  return "    " + std::string(pattern) + ") " + std::string(body) + " ;;\n";
}

std::string double_quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A function that runs the `case` of `subject` over `branches`, then `after`.
std::string function(std::string_view name, std::string_view subject, const std::string& branches,
                     std::string_view after = {}) {
  return std::string(name) + "() {\n  case \"" + std::string(subject) + "\" in\n" + branches +
         "  esac\n" + std::string(after) + "}\n\n";
}

// Each word of `text` in single quotes, after a space.
std::string quoted_words(std::string_view text) {
  std::string out;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    if (end > start) out += " " + single_quoted(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace

std::string shell_tables(NodeRef root) {
  const std::vector<Listing> known = listings(root);
  std::string subcommands, options, takes_value, values, positionals, described_commands,
      described_options;
  for (const ReachedNode& reached : every_node(root)) {
    const NodeRef node = reached.node;
    const std::string path = double_quoted(reached.path);
    std::string names, command_descriptions;
    node.for_each_child([&](const NodeRef& child) {
      names += (names.empty() ? "" : " ") + std::string(child.name());
      command_descriptions +=
          " " + single_quoted(std::string(child.name()) + ":" + std::string(child.help()));
    });
    if (!names.empty()) subcommands += branch(path, "echo " + double_quoted(names));
    if (!command_descriptions.empty()) {
      described_commands += branch(path, "printf '%s\\n'" + command_descriptions);
    }
    // The top level's own options are offered everywhere by the caller; --version is its alone.
    const bool global = reached.path.empty();
    std::string option_names = global ? "--version" : "";
    std::string option_descriptions =
        global ? " '--version:Display program version information and exit'" : "";
    for (const OfferedOption& option : options_of(node, known)) {
      if (!global) {
        option_names += (option_names.empty() ? "" : " ") + std::string(option.name);
        option_descriptions += " " + single_quoted(std::string(option.name) + ":" + option.help);
      }
      if (!option.takes_value) continue;
      // A global option takes its value after any path.
      const std::string key = global ? "*\" " + std::string(option.name) + "\""
                                     : double_quoted(reached.path + " " + std::string(option.name));
      takes_value += branch(key, "return 0");
      if (!option.how.empty()) values += branch(key, "echo " + double_quoted(option.how));
    }
    if (!option_names.empty()) options += branch(path, "echo " + double_quoted(option_names));
    if (!option_descriptions.empty()) {
      described_options += branch(path, "printf '%s\\n'" + option_descriptions);
    }
    const std::vector<std::string> hows = positionals_of(node, known);
    for (std::size_t i = 0; i < hows.size(); ++i) {
      if (hows[i].empty()) continue;
      positionals += branch(double_quoted(reached.path + " " + std::to_string(i + 1)),
                            "echo " + double_quoted(hows[i]));
    }
  }
  std::string globals;
  for (const OfferedOption& option : options_of(root, known)) {
    globals += " " + single_quoted(std::string(option.name) + ":" + option.help);
  }
  std::string asked;
  for (std::size_t i = 0; i < known.size(); ++i) {
    asked += branch(std::to_string(i + 1), "_quillo_ask \"$mode\"" + quoted_words(known[i].key) +
                                               " " + single_quoted(known[i].description) +
                                               " \"$@\"" + quoted_words(known[i].command));
  }
  return function("_quillo_subcommands", "$1", subcommands) +
         function("_quillo_options", "$1", options) +
         function("_quillo_takes_value", "$1 $2", takes_value, "  return 1\n") +
         "# How to complete the value of an option: files, words W..., or listed N VALUE_NAME\n"
         "# (the identifiers of _quillo_listing N).\n" +
         function("_quillo_value", "$1 $2", values) +
         "# How to complete the Nth positional of a command, as for an option's value.\n" +
         function("_quillo_positional", "$1 $2", positionals) +
         "# Subcommands, and options, with what they do, as NAME:DESCRIPTION lines.\n" +
         function("_quillo_described_commands", "$1", described_commands) +
         function("_quillo_described_options", "$1", described_options,
                  "  printf '%s\\n'" + globals + " '--help:Print this help message and exit'\n") +
         R"SH(# The identifiers the IDE holds for listing N, one a line as MODE offers them (bash: the
# value; zsh: VALUE:DESCRIPTION), asked through PROGRAM [--socket SOCKET]:
#   _quillo_listing N MODE PROGRAM [--socket SOCKET]
_quillo_listing() {
  local listing="$1" mode="$2"
  shift 2
  case "$listing" in
)SH" + asked +
         "  esac\n}\n\n" +
         R"SH(# Runs `PROGRAM... --json COMMAND...` and prints the items of its listing (MODE, KEY and
# DESCRIPTION as the awk program below says), when the IDE answers within a second; nothing,
# silently, when it is not running or does not answer.
_quillo_ask() {
  local mode="$1" key="$2" description="$3"
  shift 3
  ( "$@" --json </dev/null 2>/dev/null & pid=$!
    ( sleep 1; kill "$pid" ) >/dev/null 2>&1 & timer=$!
    wait "$pid"; kill "$timer" ) 2>/dev/null | LC_ALL=C awk )SH" +
         single_quoted(kItemsProgram) + R"SH( "$mode" "$key" "$description" 2>/dev/null
}

# A word as the shell will pass it: without its quotes or backslashes, ~/ as the home folder.
_quillo_dequote() {
  local word="$1"
  case "$word" in
    \'*\') word="${word#\'}"; word="${word%\'}" ;;
    \"*\") word="${word#\"}"; word="${word%\"}" ;;
    *) word="$(printf '%s' "$word" | sed 's/\\\(.\)/\1/g')" ;;
  esac
  case "$word" in "~/"*) word="$HOME/${word#\~/}" ;; esac
  printf '%s' "$word"
}
)SH";
}

}  // namespace quillo::completion
