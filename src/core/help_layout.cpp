#include "core/help_layout.hpp"

namespace quillo {
namespace {

// Names stand in a column this wide (their indentation included); a longer name puts its
// description on the next line.
constexpr std::size_t kNameColumn = 30;

void append_row(std::string& out, std::string_view name, std::string_view description) {
  const std::size_t start = out.size();
  out.append("  ").append(name);
  const std::size_t width = out.size() - start;
  if (width < kNameColumn) {
    out.append(kNameColumn - width, ' ');
  } else if (!description.empty()) {
    out.append("\n").append(kNameColumn, ' ');
  }
  out.append(description).append("\n");
}

std::string positional_label(const ArgumentRef& argument) {
  std::string label(argument.value_name());
  if (argument.required_as_typed()) label += " REQUIRED";
  return label;
}

std::string option_label(const ArgumentRef& argument) {
  std::string label(argument.option());
  if (argument.type() != ValueType::Flag) label.append(" ").append(argument.value_name());
  if (const auto fallback = argument.default_value()) label.append("=").append(*fallback);
  if (argument.required_as_typed()) label += " REQUIRED";
  return label;
}

void append_options(std::string& out, const NodeRef& node) {
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    const ArgumentRef argument = node.argument(i);
    if (!argument.is_positional()) append_row(out, option_label(argument), argument.help());
    if (!argument.file_option().empty()) {
      append_row(out, std::string(argument.file_option()) + " FILE", argument.file_option_help());
    }
  }
}

// Every line of an example's output indented as deep as the command above it.
void append_examples(std::string& out, const NodeRef& node) {
  out.append(node.example_count() > 1 ? "Examples:" : "Example:");
  for (std::size_t i = 0; i < node.example_count(); ++i) {
    const Example example = node.example(i);
    out.append("\n  $ ").append(example.command);
    if (example.output.empty()) continue;
    out.append("\n  ");
    for (const char c : example.output) {
      out += c;
      if (c == '\n') out.append("  ");
    }
  }
  out.append("\n");
}

}  // namespace

std::string help_text(const Program& program, std::span<const NodeRef> path) {
  const NodeRef node = path.back();
  std::string out(node.help());
  out.append("\nUsage: ").append(program.name);
  for (const NodeRef& level : path.subspan(1)) out.append(" ").append(level.name());
  out.append(" [OPTIONS]");
  bool has_positionals = false;
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    const ArgumentRef argument = node.argument(i);
    if (!argument.is_positional()) continue;
    has_positionals = true;
    if (argument.required_as_typed()) {
      out.append(" ").append(argument.value_name());
    } else {
      out.append(" [").append(argument.value_name()).append("]");
    }
  }
  if (node.is_group()) out.append(" SUBCOMMAND");
  out.append("\n\n");

  if (has_positionals) {
    out.append("Positionals:\n");
    for (std::size_t i = 0; i < node.argument_count(); ++i) {
      const ArgumentRef argument = node.argument(i);
      if (argument.is_positional()) append_row(out, positional_label(argument), argument.help());
    }
    out.append("\n");
  }

  out.append("Options:\n");
  append_row(out, "-h,--help", "Print this help message and exit");
  if (path.size() == 1) append_row(out, "-V,--version", "Display program version information and exit");
  append_options(out, node);
  if (path.size() > 1) append_options(out, program.root);
  out.append("\n");

  if (node.is_group()) {
    out.append("Subcommands:\n");
    node.for_each_child([&](const NodeRef& child) { append_row(out, child.name(), child.help()); });
    out.append("\n");
  }
  if (node.example_count() > 0) append_examples(out, node);
  return out;
}

}  // namespace quillo
