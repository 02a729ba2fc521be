#include "completion/offers.hpp"

namespace quillo::completion {
namespace {

void collect(NodeRef node, const std::string& path, std::vector<Reached>& out) {
  out.push_back({path, node});
  for (std::size_t i = 0; i < node.child_count(); ++i) {
    const NodeRef child = node.child(i);
    collect(child,
            path.empty() ? std::string(child.name()) : path + " " + std::string(child.name()), out);
  }
}

}  // namespace

std::vector<Reached> every_node(NodeRef root) {
  std::vector<Reached> out;
  collect(root, "", out);
  return out;
}

std::string value_completion(const ArgumentRef& argument) {
  if (argument.type() == ValueType::Path) return "files";
  if (!argument.choices().empty()) return "words " + std::string(argument.choices());
  if (argument.listed_by().empty()) return "";
  return "listed " + std::string(argument.listed_key()) + " " + std::string(argument.listed_by());
}

std::vector<OfferedOption> options_of(NodeRef node) {
  std::vector<OfferedOption> out;
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    const ArgumentRef argument = node.argument(i);
    if (!argument.is_positional()) {
      out.push_back({argument.option(), argument.type() != ValueType::Flag,
                     short_help(argument.help().empty() ? argument.value_name() : argument.help()),
                     value_completion(argument)});
    }
    if (!argument.file_option().empty()) {
      out.push_back(
          {argument.file_option(), true, short_help(argument.file_option_help()), "files"});
    }
  }
  return out;
}

std::vector<std::string> positionals_of(NodeRef node) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    if (node.argument(i).is_positional()) out.push_back(value_completion(node.argument(i)));
  }
  return out;
}

std::string short_help(std::string_view text) {
  // Up to the first aside or second sentence, when what comes before says enough on its own.
  constexpr std::size_t kEnough = 16;
  for (std::size_t at = kEnough; at < text.size(); ++at) {
    for (const std::string_view separator : {" (", ". ", "; "}) {
      if (text.substr(at).starts_with(separator)) return std::string(text.substr(0, at));
    }
  }
  return std::string(text);
}

std::string single_quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text)
    quoted += c == '\'' ? std::string_view("'\\''") : std::string_view(&c, 1);
  return quoted + "'";
}

std::string fish_quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

}  // namespace quillo::completion
