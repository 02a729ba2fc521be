// Reads the grammar from the program's own command table, the one the parser uses.
#include "model.hpp"

#include "cli.hpp"

namespace docgen {
namespace {

using quillo::ArgumentRef;
using quillo::NodeRef;
using quillo::ValueType;

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = std::min(text.find(' ', start), text.size());
    if (end > start) out.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

Command read(const NodeRef& node, std::vector<std::string> path) {
  Command command;
  command.path = path;
  command.help = node.help();
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    const ArgumentRef argument = node.argument(i);
    const bool is_path = argument.type() == ValueType::Path;
    std::optional<Listed> listed;
    if (!argument.listed_by().empty()) listed = Listed{std::string(argument.listed_by()), std::string(argument.listed_key())};
    if (argument.is_positional()) {
      command.positionals.push_back(
          {std::string(argument.value_name()), std::string(argument.help()), argument.required_as_typed(), is_path, listed});
    } else {
      command.options.push_back({std::string(argument.option()), std::string(argument.value_name()),
                                 std::string(argument.help()), std::string(argument.default_value().value_or("")),
                                 argument.required_as_typed(), is_path, words(argument.choices()), listed});
    }
    if (!argument.file_option().empty()) {
      command.options.push_back(
          {std::string(argument.file_option()), "FILE", argument.file_option_help(), "", false, true, {}, {}});
    }
  }
  for (std::size_t i = 0; i < node.example_count(); ++i) {
    command.examples.push_back({std::string(node.example(i).command), std::string(node.example(i).output)});
  }
  for (std::size_t i = 0; i < node.child_count(); ++i) {
    const NodeRef child = node.child(i);
    auto child_path = path;
    child_path.emplace_back(child.name());
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

Command read_grammar() { return read(quillo::program().root, {}); }

std::vector<const Command*> all_commands(const Command& root) {
  std::vector<const Command*> out;
  collect(root, out);
  return out;
}

}  // namespace docgen
