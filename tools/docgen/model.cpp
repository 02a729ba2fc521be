// Reads the grammar from the program's own command tree, the one the parser uses.
#include "model.hpp"

#include "cli.hpp"

namespace docgen {
namespace {

using quillo::grammar::Argument;
using quillo::grammar::NodeBase;
using quillo::grammar::ValueType;

Command read(const NodeBase& node, std::vector<std::string> path) {
  Command command;
  command.path = path;
  command.help = node.help;
  for (const Argument& argument : node.arguments) {
    const bool is_path = argument.type == ValueType::Path;
    std::optional<Listed> listed;
    if (argument.listed_by) listed = Listed{argument.listed_by->command, argument.listed_by->key};
    if (argument.option.empty()) {
      command.positionals.push_back(
          {argument.value_name, argument.help, argument.required_as_typed(), is_path, listed});
    } else {
      command.options.push_back({argument.option, argument.value_name, argument.help,
                                 argument.default_value.value_or(""), argument.required_as_typed(),
                                 is_path, argument.choices, listed});
    }
    if (!argument.file_option.empty()) {
      command.options.push_back(
          {argument.file_option, "FILE", argument.file_option_help(), "", false, true, {}, {}});
    }
  }
  for (const auto& example : node.examples) command.examples.push_back({example.command, example.output});
  for (std::size_t i = 0; i < node.child_count(); ++i) {
    const NodeBase& child = node.child(i).full();
    auto child_path = path;
    child_path.push_back(child.name);
    command.subcommands.push_back(read(child, child_path));
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

Command read_grammar() { return read(quillo::command_tree(), {}); }

std::vector<const Command*> all_commands(const Command& root) {
  std::vector<const Command*> out;
  collect(root, out);
  return out;
}

}  // namespace docgen
