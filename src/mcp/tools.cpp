#include "mcp/tools.hpp"

#include <cmath>
#include <limits>

#include "core/argument_parser.hpp"
#include "core/text.hpp"
#include "mcp/wording.hpp"

namespace quillo::mcp {
namespace {

constexpr std::string_view kRevisionNames[] = {"2024-11-05", "2025-03-26", "2025-06-18", "2025-11-25",
                                               "2026-07-28"};

std::string words_joined(const std::vector<std::string_view>& words, char separator) {
  std::string text;
  for (const std::string_view word : words) {
    if (!text.empty()) text += separator;
    for (const char c : word) text += c == '-' ? separator : c;
  }
  return text;
}

std::string capitalized(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

Tool make_tool(NodeRef command, NodeRef group, const std::vector<std::string_view>& words,
               const std::vector<std::string_view>& group_helps) {
  Tool tool;
  tool.name = words_joined(words, '_');
  tool.title = capitalized(words_joined(words, ' '));
  tool.description = agent_text(command.help(), command);
  if (!group_helps.empty()) {
    tool.description += " (";
    for (std::size_t i = 0; i < group_helps.size(); ++i) {
      tool.description += (i == 0 ? "" : "; ") + agent_text(group_helps[i], command);
    }
    tool.description += ")";
  }
  if (words.size() > 1) tool.family = std::string(words.front());
  tool.command = command;
  tool.group = group;
  return tool;
}

void collect(NodeRef node, std::vector<std::string_view>& words, std::vector<std::string_view>& helps,
             std::vector<Tool>& tools) {
  node.for_each_child([&](const NodeRef& child) {
    words.push_back(child.name());
    if (child.is_group()) {
      helps.push_back(child.help());
      collect(child, words, helps, tools);
      helps.pop_back();
    } else if (child.effect() != Effect::Local) {
      tools.push_back(make_tool(child, node, words, helps));
    }
    words.pop_back();
  });
}

// Whether `help` names every word offered for the value already, as "One of: a, b" does.
bool names_all(std::string_view help, std::string_view choices) {
  for (std::size_t begin = 0; begin < choices.size();) {
    const auto end = std::min(choices.find(' ', begin), choices.size());
    if (help.find(choices.substr(begin, end - begin)) == std::string_view::npos) return false;
    begin = end + 1;
  }
  return true;
}

template <class Integer>
void add_range(Json& property) {
  property["type"] = "integer";
  property["minimum"] = std::numeric_limits<Integer>::min();
  property["maximum"] = std::numeric_limits<Integer>::max();
}

Json property_of(const ArgumentRef& argument, NodeRef command, NodeRef group) {
  Json property = Json::object();
  std::string description = argument.help().empty() ? description_without_help(argument, command, group)
                                                     : agent_text(argument.help(), command);
  const auto add_sentence = [&description](const std::string& sentence) {
    description += (description.empty() ? "" : ". ") + sentence;
  };
  switch (argument.type()) {
    case ValueType::Text:
      property["type"] = "string";
      break;
    case ValueType::Path:
      property["type"] = "string";
      add_sentence("A path on the IDE's machine");
      break;
    case ValueType::Flag:
      property["type"] = "boolean";
      break;
    case ValueType::Uint32:
      add_range<std::uint32_t>(property);
      break;
    case ValueType::Int64:
      add_range<std::int64_t>(property);
      break;
  }
  if (!argument.unit().empty()) add_sentence(capitalized(std::string(argument.unit())));
  if (!argument.choices().empty() && !names_all(argument.help(), argument.choices())) {
    std::string words;
    for (const char c : argument.choices()) words += c == ' ' ? std::string(", ") : std::string(1, c);
    add_sentence("Usually one of: " + words + " (any other text is passed on as it is)");
  }
  if (!description.empty()) property["description"] = description;
  if (const auto fallback = argument.default_value()) {
    if (argument.type() == ValueType::Uint32) {
      property["default"] = parse_decimal<std::uint32_t>(*fallback).value_or(0);
    } else if (argument.type() == ValueType::Int64) {
      property["default"] = parse_decimal<std::int64_t>(*fallback).value_or(0);
    } else {
      property["default"] = *fallback;
    }
  }
  return property;
}

// What a JSON value is, as a message names it.
std::string_view kind_of(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::boolean: return "a boolean";
    case Json::value_t::string: return "a string";
    case Json::value_t::array: return "an array";
    case Json::value_t::object: return "an object";
    case Json::value_t::number_float: return "a number with a fraction";
    default: return "a number";
  }
}

// The decimal text of an integer given as a JSON number (a number with a zero fraction counts,
// as JSON Schema counts it), or nothing.
std::optional<std::string> integer_text(const Json& value) {
  if (value.is_number_unsigned()) return std::to_string(value.get<std::uint64_t>());
  if (value.is_number_integer()) return std::to_string(value.get<std::int64_t>());
  if (!value.is_number_float()) return std::nullopt;
  const double number = value.get<double>();
  // Beyond 2^63 no double is an integer of either type, so none is read there.
  if (std::trunc(number) != number || std::fabs(number) >= 9223372036854775808.0) return std::nullopt;
  return std::to_string(static_cast<std::int64_t>(number));
}

std::string expected(const ArgumentRef& argument) {
  switch (argument.type()) {
    case ValueType::Flag:
      return "true or false";
    case ValueType::Uint32:
    case ValueType::Int64: {
      const bool is32 = argument.type() == ValueType::Uint32;
      std::string text = "an integer";
      if (!argument.unit().empty()) text += " (" + std::string(argument.unit()) + ")";
      return text + " from " + (is32 ? "0" : std::to_string(std::numeric_limits<std::int64_t>::min())) + " to " +
             (is32 ? std::to_string(std::numeric_limits<std::uint32_t>::max())
                   : std::to_string(std::numeric_limits<std::int64_t>::max()));
    }
    case ValueType::Text:
    case ValueType::Path:
      break;
  }
  return "a string";
}

// The text of one argument's value as the command line would have it, or the problem.
Result<std::optional<std::string>> value_text(const ArgumentRef& argument, const Json& value) {
  const std::string name(argument.id());
  const auto wrong = [&] { return Error{name + ": expected " + expected(argument) + ", got " + std::string(kind_of(value))}; };
  std::optional<std::string> text;
  switch (argument.type()) {
    case ValueType::Flag:
      if (!value.is_boolean()) return wrong();
      if (value.get<bool>()) text = "";
      return text;
    case ValueType::Uint32:
    case ValueType::Int64:
      text = integer_text(value);
      if (!text) return wrong();
      break;
    case ValueType::Text:
    case ValueType::Path:
      if (!value.is_string()) return wrong();
      text = value.get<std::string>();
      break;
  }
  if (const MaybeError problem = value_problem(argument, *text)) return Error{name + ": " + problem->message};
  return text;
}

}  // namespace

std::string_view revision_name(Revision revision) { return kRevisionNames[static_cast<std::size_t>(revision)]; }

std::vector<std::string> family_names(NodeRef root) {
  std::vector<std::string> names;
  root.for_each_child([&](const NodeRef& child) {
    if (child.is_group()) names.emplace_back(child.name());
  });
  return names;
}

std::vector<std::string> split_families(std::string_view text) {
  std::vector<std::string> names;
  for (;;) {
    const auto comma = text.find(',');
    // "terminal, browser" as typed in a host's configuration means the same.
    names.emplace_back(trim(text.substr(0, comma)));
    if (comma == std::string_view::npos) return names;
    text.remove_prefix(comma + 1);
  }
}

std::vector<Tool> all_tools(NodeRef root) {
  std::vector<Tool> tools;
  std::vector<std::string_view> words, helps;
  collect(root, words, helps, tools);
  return tools;
}

bool in_families(const Tool& tool, const ToolFilter& filter) {
  if (tool.family.empty() || filter.families.empty()) return true;
  for (const std::string& family : filter.families) {
    if (family == tool.family) return true;
  }
  return false;
}

bool allowed(const Tool& tool, const ToolFilter& filter) {
  return !filter.read_only || tool.command.effect() == Effect::Reads;
}

Json input_schema(NodeRef command, NodeRef group) {
  Json properties = Json::object();
  Json required = Json::array();
  for (std::size_t i = 0; i < command.argument_count(); ++i) {
    const ArgumentRef argument = command.argument(i);
    properties[std::string(argument.id())] = property_of(argument, command, group);
    // A file form only saves quoting on a command line: here the text itself is required.
    if (argument.required()) required.push_back(argument.id());
  }
  Json schema{{"type", "object"}, {"properties", std::move(properties)}, {"additionalProperties", false}};
  if (!required.empty()) schema["required"] = std::move(required);
  return schema;
}

Json annotations(NodeRef command) {
  const Effect effect = command.effect();
  return {{"readOnlyHint", effect == Effect::Reads},
          {"destructiveHint", effect == Effect::Removes},
          {"idempotentHint", effect == Effect::Reads || command.idempotent()},
          {"openWorldHint", command.open_world()}};
}

Json tool_json(const Tool& tool, Revision revision) {
  Json entry{{"name", tool.name}, {"description", tool.description}, {"inputSchema", input_schema(tool.command, tool.group)}};
  // Each field only from the revision that defines it: annotations from 2025-03-26 (with the
  // title among them), the title of its own from 2025-06-18.
  if (revision >= Revision::k2025_03_26) entry["annotations"] = annotations(tool.command);
  if (revision == Revision::k2025_03_26) entry["annotations"]["title"] = tool.title;
  if (revision >= Revision::k2025_06_18) entry["title"] = tool.title;
  return entry;
}

MaybeError call_problem(const Tool& tool, const Json& arguments) {
  if (!tool.command.method_is_typed() || tool.family.empty()) return std::nullopt;
  const std::string prefix = tool.family + ".";
  const Json* method = member(arguments, "method");
  if (method == nullptr || !method->is_string() || method->get_ref<const std::string&>().starts_with(prefix)) {
    return std::nullopt;  // what else is wrong with it, the reading of the values tells
  }
  return Error{"method: this tool sends " + prefix + "* methods only"};
}

Result<Values> values_from_arguments(NodeRef command, const Json& arguments) {
  Values values;
  for (const auto& [key, value] : arguments.items()) {
    std::size_t index = 0;
    while (index < command.argument_count() && command.argument(index).id() != key) ++index;
    if (index == command.argument_count()) {
      std::string message = key + ": not an argument of this tool";
      for (std::size_t i = 0; i < command.argument_count(); ++i) {
        message += (i == 0 ? " (it takes " : ", ") + std::string(command.argument(i).id());
      }
      return Error{message + (command.argument_count() == 0 ? " (it takes none)" : ")")};
    }
    auto text = value_text(command.argument(index), value);
    if (!text.ok()) return Error{text.error()};
    values[index] = std::move(text.value());
  }
  for (std::size_t i = 0; i < command.argument_count(); ++i) {
    const ArgumentRef argument = command.argument(i);
    if (values[i]) continue;
    if (argument.required()) return Error{std::string(argument.id()) + " is required (" + expected(argument) + ")"};
    if (const auto fallback = argument.default_value()) values[i] = std::string(*fallback);
  }
  return values;
}

}  // namespace quillo::mcp
