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
std::string pattern(const Command& command, const Option& option, bool global) {
  if (global) return "*\" " + option.name + "\"";
  return "\"" + command.joined_path() + " " + option.name + "\"";
}

}  // namespace

std::string shell_tables(const Command& root) {
  const auto commands = all_commands(root);
  std::ostringstream subcommands, options, takes_value, value_words, value_files, positional_files;
  for (const Command* command : commands) {
    const std::string path = "\"" + command->joined_path() + "\"";
    std::vector<std::string> names;
    for (const auto& sub : command->subcommands) names.push_back(sub.path.back());
    if (!names.empty()) subcommands << "    " << path << ") echo \"" << words_of(names) << "\" ;;\n";
    const bool global = command == &root;
    // The top level's own options are offered everywhere by the caller; --version is its alone.
    std::vector<std::string> option_names;
    if (global) option_names.push_back("--version");
    for (const Option& option : command->options) {
      if (!global) option_names.push_back(option.name);
      if (option.value_name.empty()) continue;
      const std::string key = pattern(*command, option, global);
      takes_value << "    " << key << ") return 0 ;;\n";
      if (option.path) value_files << "    " << key << ") return 0 ;;\n";
      if (!option.choices.empty()) {
        value_words << "    " << key << ") echo \"" << words_of(option.choices) << "\" ;;\n";
      }
    }
    if (!option_names.empty()) options << "    " << path << ") echo \"" << words_of(option_names) << "\" ;;\n";
    for (const Positional& positional : command->positionals) {
      if (positional.path) {
        positional_files << "    " << path << ") return 0 ;;\n";
        break;
      }
    }
  }
  std::ostringstream out;
  out << "_quillo_subcommands() {\n  case \"$1\" in\n" << subcommands.str() << "  esac\n}\n\n"
      << "_quillo_options() {\n  case \"$1\" in\n" << options.str() << "  esac\n}\n\n"
      << "_quillo_takes_value() {\n  case \"$1 $2\" in\n" << takes_value.str()
      << "  esac\n  return 1\n}\n\n"
      << "_quillo_value_words() {\n  case \"$1 $2\" in\n" << value_words.str() << "  esac\n}\n\n"
      << "_quillo_value_files() {\n  case \"$1 $2\" in\n" << value_files.str()
      << "  esac\n  return 1\n}\n\n"
      << "_quillo_positional_files() {\n  case \"$1\" in\n" << positional_files.str()
      << "  esac\n  return 1\n}\n";
  return out.str();
}

}  // namespace docgen
