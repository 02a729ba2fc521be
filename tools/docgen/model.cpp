// Reads the grammar from the command-line library's tree, the one the parser uses.
#include "model.hpp"

#include <CLI/CLI.hpp>

#include <regex>

#include "cli.hpp"

namespace docgen {
namespace {

bool is_path_like(const std::string& value_name) {
  return value_name == "PATH" || value_name == "FILE" || value_name == "CWD" ||
         value_name == "SOCKET" || value_name == "FILE_PREFIX";
}

Command read(const CLI::App& app, std::vector<std::string> path) {
  Command command;
  command.path = path;
  command.help = app.get_description();
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_group().empty() || (option->get_lnames().empty() && !option->get_positional())) {
      continue;  // hidden, or short-only
    }
    const std::string long_name = option->get_lnames().empty() ? "" : "--" + option->get_lnames().front();
    if (long_name == "--help" || long_name == "--version") continue;
    if (option->get_positional()) {
      command.positionals.push_back({option->get_name(), option->get_description(), option->get_required()});
      continue;
    }
    const bool flag = option->get_expected_min() == 0;
    command.options.push_back({long_name, flag ? "" : option->get_type_name(), option->get_description(),
                               option->get_default_str(), option->get_required()});
  }
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    auto sub_path = path;
    sub_path.push_back(sub->get_name());
    command.subcommands.push_back(read(*sub, sub_path));
  }
  return command;
}

void collect(const Command& command, std::vector<const Command*>& out) {
  out.push_back(&command);
  for (const Command& sub : command.subcommands) collect(sub, out);
}

}  // namespace

std::string Command::joined_path() const {
  std::string text;
  for (const auto& word : path) text += (text.empty() ? "" : " ") + word;
  return text;
}

Command read_grammar() {
  const auto root = quillo::command_tree();
  Command program;
  quillo::grammar::visit_command_tree({"quillo", "0.1.0", &root},
                                      [&program](const CLI::App& app) { program = read(app, {}); });
  return program;
}

std::vector<const Command*> all_commands(const Command& root) {
  std::vector<const Command*> out;
  collect(root, out);
  return out;
}

ValueCompletion completion_of(const std::string& value_name, const std::string& help) {
  ValueCompletion completion;
  completion.files = is_path_like(value_name);
  // Words in double quotes: "roost" (default) or "project".
  static const std::regex quoted("\"([A-Za-z][A-Za-z0-9_-]*)\"");
  for (auto it = std::sregex_iterator(help.begin(), help.end(), quoted); it != std::sregex_iterator(); ++it) {
    completion.words.push_back((*it)[1]);
  }
  if (!completion.words.empty()) return completion;
  // A list after a colon: "Filter by status: active, resolved, stale, all".
  static const std::regex listed(":\\s*([A-Za-z][A-Za-z0-9_-]*(?:,\\s*[A-Za-z][A-Za-z0-9_-]*)+)\\s*$");
  std::smatch match;
  if (std::regex_search(help, match, listed)) {
    static const std::regex word("[A-Za-z][A-Za-z0-9_-]*");
    const std::string list = match[1];
    for (auto it = std::sregex_iterator(list.begin(), list.end(), word); it != std::sregex_iterator(); ++it) {
      completion.words.push_back(it->str());
    }
  }
  return completion;
}

}  // namespace docgen
