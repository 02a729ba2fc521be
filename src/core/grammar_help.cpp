// The help screens, laid out by the command-line library: the only translation unit that
// includes it (it is slow to compile), and only help needs it.
#include <deque>
#include <string>

#include <CLI/CLI.hpp>

#include "core/grammar.hpp"

namespace quillo::grammar {
namespace {

// The library wants a place to store each value, although help parses nothing.
struct Storage {
  std::deque<std::string> texts;
  bool flag = false;
};

void describe(CLI::App& app, const Argument& argument, Storage& storage) {
  if (argument.type == ValueType::Flag) {
    app.add_flag(argument.option, storage.flag, argument.help);
    return;
  }
  CLI::Option* option = app.add_option(argument.name(), storage.texts.emplace_back(), argument.help);
  // A positional is shown by its value name already; an option shows it after its name.
  option->type_name(argument.option.empty() ? std::string() : argument.value_name);
  if (argument.required_as_typed()) option->required();
  if (argument.default_value) option->default_str(*argument.default_value);
  if (!argument.file_option.empty()) {
    app.add_option(argument.file_option, storage.texts.emplace_back(), argument.file_option_help())
        ->type_name("FILE");
  }
}

// Every line after the first indented as deep as the first.
std::string indented(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\n  ") : std::string(1, c);
  return out;
}

}  // namespace

std::string help_text(const Program& program, std::span<const std::size_t> path) {
  const NodeBase* node = program.root;
  std::string prefix;  // the words before the command's own name in its usage line
  for (std::size_t index : path) {
    prefix += prefix.empty() ? program.name : " " + node->name;
    node = &node->child(index).full();
  }
  CLI::App app(node->help, path.empty() ? program.name : node->name);
  if (path.empty()) app.set_version_flag("-V,--version", program.name + " " + program.version);
  Storage storage;
  for (const Argument& argument : node->arguments) describe(app, argument, storage);
  for (std::size_t i = 0; i < node->child_count(); ++i) {
    app.add_subcommand(node->child(i).name, node->child(i).help);
  }
  if (node->child_count() > 0) app.require_subcommand(1);
  if (!node->examples.empty()) {
    std::string footer = node->examples.size() > 1 ? "Examples:" : "Example:";
    for (const Example& example : node->examples) {
      footer.append("\n  $ ").append(example.command);
      if (*example.output != '\0') footer.append("\n  ").append(indented(example.output));
    }
    app.footer(footer);
  }
  return app.help(prefix);
}

}  // namespace quillo::grammar
