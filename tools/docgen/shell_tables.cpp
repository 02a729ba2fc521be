#include "shell_tables.hpp"

#include <sstream>

namespace docgen {
namespace {

std::string words_of(const std::vector<std::string>& words) {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// A case pattern that matches "PATH OPTION"; a global option matches after any path.
std::string pattern(const Command& command, const std::string& option, bool global) {
  if (global) return "*\" " + option + "\"";
  return "\"" + command.joined_path() + " " + option + "\"";
}

}  // namespace

std::string single_quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string short_help(const Option& option) {
  const std::string text = option.help.empty() ? option.value_name : option.help;
  // Up to the first aside or second sentence, when what comes before says enough on its own.
  constexpr std::size_t kEnough = 16;
  for (std::size_t at = 0; at < text.size(); ++at) {
    for (const std::string_view separator : {" (", ". ", "; "}) {
      if (at >= kEnough && std::string_view(text).substr(at).starts_with(separator)) return text.substr(0, at);
    }
  }
  return text;
}

std::string value_completion(const Option& option) {
  if (option.path) return "files";
  if (!option.choices.empty()) return "words " + words_of(option.choices);
  if (option.listed) return "listed " + option.listed->key + " " + option.listed->command;
  return "";
}

std::string positional_completion(const Positional& positional) {
  if (positional.path) return "files";
  if (positional.listed) return "listed " + positional.listed->key + " " + positional.listed->command;
  return "";
}

std::string shell_tables(const Command& root) {
  const auto commands = all_commands(root);
  std::ostringstream subcommands, options, takes_value, values, positionals, described_commands,
      described_options;
  for (const Command* command : commands) {
    const std::string path = "\"" + command->joined_path() + "\"";
    std::vector<std::string> names;
    for (const auto& sub : command->subcommands) names.push_back(sub.path.back());
    if (!names.empty()) subcommands << "    " << path << ") echo \"" << words_of(names) << "\" ;;\n";
    const bool global = command == &root;
    // The top level's own options are offered everywhere by the caller; --version is its alone.
    std::vector<std::string> option_names;
    if (global) option_names.push_back("--version");
    std::string command_descriptions, option_descriptions;
    for (const auto& sub : command->subcommands) {
      command_descriptions += " " + single_quoted(sub.path.back() + ":" + sub.help);
    }
    if (global) option_descriptions += " '--version:Display program version information and exit'";
    for (const Option& option : command->options) {
      if (!global) {
        option_names.push_back(option.name);
        option_descriptions += " " + single_quoted(option.name + ":" + short_help(option));
      }
      if (option.value_name.empty()) continue;
      const std::string key = pattern(*command, option.name, global);
      takes_value << "    " << key << ") return 0 ;;\n";
      if (const std::string how = value_completion(option); !how.empty()) {
        values << "    " << key << ") echo \"" << how << "\" ;;\n";
      }
    }
    if (!option_names.empty()) options << "    " << path << ") echo \"" << words_of(option_names) << "\" ;;\n";
    if (!command_descriptions.empty()) {
      described_commands << "    " << path << ") printf '%s\\n'" << command_descriptions << " ;;\n";
    }
    if (!option_descriptions.empty()) {
      described_options << "    " << path << ") printf '%s\\n'" << option_descriptions << " ;;\n";
    }
    for (std::size_t i = 0; i < command->positionals.size(); ++i) {
      if (const std::string how = positional_completion(command->positionals[i]); !how.empty()) {
        positionals << "    \"" << command->joined_path() << " " << i + 1 << "\") echo \"" << how << "\" ;;\n";
      }
    }
  }
  std::string globals;
  for (const Option& option : root.options) globals += " " + single_quoted(option.name + ":" + short_help(option));
  std::ostringstream out;
  out << "_quillo_subcommands() {\n  case \"$1\" in\n" << subcommands.str() << "  esac\n}\n\n"
      << "_quillo_options() {\n  case \"$1\" in\n" << options.str() << "  esac\n}\n\n"
      << "_quillo_takes_value() {\n  case \"$1 $2\" in\n" << takes_value.str()
      << "  esac\n  return 1\n}\n\n"
      << "# How to complete the value of an option: files, words W..., or listed KEY COMMAND...\n"
      << "_quillo_value() {\n  case \"$1 $2\" in\n" << values.str() << "  esac\n}\n\n"
      << "# How to complete the Nth positional of a command, as for an option's value.\n"
      << "_quillo_positional() {\n  case \"$1 $2\" in\n" << positionals.str() << "  esac\n}\n\n"
      << "# Subcommands, and options, with what they do, as NAME:DESCRIPTION lines.\n"
      << "_quillo_described_commands() {\n  case \"$1\" in\n" << described_commands.str() << "  esac\n}\n\n"
      << "_quillo_described_options() {\n  case \"$1\" in\n" << described_options.str() << "  esac\n  printf '%s\\n'"
      << globals << " '--help:Print this help message and exit'\n}\n\n"
      << R"SH(# What the IDE holds: the values of KEY in what `quillo --json COMMAND...` prints, when it
# answers within a second; nothing, silently, when it is not running or does not answer.
_quillo_listed() {
  local key="$1"
  shift
  ( "$@" --json </dev/null 2>/dev/null & pid=$!
    ( sleep 1; kill "$pid" ) >/dev/null 2>&1 & timer=$!
    wait "$pid"; kill "$timer" ) 2>/dev/null | tr ',{}[]' '\n\n\n\n\n' | sed -n "s/^\"$key\":\"\(.*\)\"\$/\1/p"
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
  return out.str();
}

}  // namespace docgen
