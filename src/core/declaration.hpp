#pragma once
// How a family declares its commands: constant data, read only while compiling. Each command is
// declared once, with its words, arguments, examples, method, rendering, wait rule and effect on
// the IDE; command_table.hpp compiles a family's declarations into the table that the parser,
// the help, the renderings, the completions and the MCP tools read at run time.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/json.hpp"
#include "core/result.hpp"

namespace quillo {

class Values;
class Sink;
class JsonView;
struct Cli;          // core/invocation.hpp
struct RunSettings;  // core/invocation.hpp
class Table;

enum class ValueType : std::uint8_t {
  Text,    ///< any UTF-8 text
  Path,    ///< a local path: UTF-8 text, sent unchanged; shells complete it as a file name
  Flag,    ///< no value; given or not
  Uint32,  ///< a decimal integer from 0 to 4294967295
  Int64,   ///< a decimal signed 64-bit integer
};

/// What a command does to the IDE.
enum class Effect : std::uint8_t {
  Undeclared,  ///< refused when the table is compiled: every command says what it does
  Local,    ///< makes no request (completion, mcp)
  Reads,    ///< changes nothing: list, show, snapshot, url, ping, ...
  Changes,  ///< creates or edits
  Removes,  ///< closes, deletes or removes: cannot be undone
};

/// The most arguments one command declares.
inline constexpr std::size_t kMaxArguments = 8;

/// A further check of a given value (beyond its type): the problem with it, or nothing.
using Check = MaybeError (*)(std::string_view value);

/// One argument of a command: a positional (no option name) or a long option.
struct Argument {
  std::string_view option = {};      ///< "--terminal-id"; empty for a positional
  std::string_view id = {};          ///< snake_case; empty: the option's name ("terminal_id")
  std::string_view value_name = {};  ///< "TERMINAL_ID"; empty for a flag
  std::string_view help = {};        ///< may be empty
  ValueType type = ValueType::Text;
  bool required = false;
  std::optional<std::string_view> default_value = {};  ///< shown in help; the value when not given
  /// Words that shells offer for the value, separated by spaces; any other text is accepted.
  std::string_view choices = {};
  /// For an integer: what it counts, as usage errors name it ("a whole number of seconds").
  std::string_view unit = {};
  /// An option that gives the same value read from a file, or from standard input for "-"
  /// ("--text-file"): for long text that is awkward to quote or too long for one argument.
  /// At most one of the two may be given; a required argument requires one of them.
  std::string_view file_option = {};
  /// When the value names something the IDE holds: the command that lists them, the member of
  /// each listed item that holds the value, and how shells describe an item: its members in
  /// braces ("{title}  {cwd}"; "{a|b}" takes b when a is empty, "{anchor.startLine}" a member's).
  std::string_view listed_by{}, listed_key{}, listed_description{};
  Check check = nullptr;

  constexpr Argument require() const {
    Argument a = *this;
    a.required = true;
    return a;
  }
  constexpr Argument of_type(ValueType t) const {
    Argument a = *this;
    a.type = t;
    return a;
  }
  constexpr Argument with_default(std::string_view value) const {
    Argument a = *this;
    a.default_value = value;
    return a;
  }
  constexpr Argument named(std::string_view identifier) const {
    Argument a = *this;
    a.id = identifier;
    return a;
  }
  constexpr Argument with_choices(std::string_view words) const {
    Argument a = *this;
    a.choices = words;
    return a;
  }
  constexpr Argument counting(std::string_view what) const {
    Argument a = *this;
    a.unit = what;
    return a;
  }
  constexpr Argument or_from_file(std::string_view option_name) const {
    Argument a = *this;
    a.file_option = option_name;
    return a;
  }
  constexpr Argument listed_in(std::string_view command, std::string_view key,
                               std::string_view description) const {
    Argument a = *this;
    a.listed_by = command;
    a.listed_key = key;
    a.listed_description = description;
    return a;
  }
  constexpr Argument checked_by(Check function) const {
    Argument a = *this;
    a.check = function;
    return a;
  }
};

/// A positional argument, required unless marked otherwise.
constexpr Argument positional(std::string_view id, std::string_view value_name,
                              std::string_view help = {}, bool required = true) {
  return {.id = id, .value_name = value_name, .help = help, .required = required};
}
/// A long option taking one value.
constexpr Argument option(std::string_view long_name, std::string_view value_name,
                          std::string_view help = {}) {
  return {.option = long_name, .value_name = value_name, .help = help};
}
/// A long option taking no value.
constexpr Argument flag(std::string_view long_name, std::string_view help) {
  return {.option = long_name, .help = help, .type = ValueType::Flag};
}

/// A command line and what it prints, shown after a command's help and in the manual page.
struct Example {
  std::string_view command = {};
  std::string_view output = {};
};

/// The method a command sends: a fixed name, or the one the user types (the command's argument
/// of the identifier kArgument, which a typed method's command must declare).
struct Method {
  static constexpr std::string_view kArgument = "method";
  std::string_view name = {};
  bool typed = false;
  constexpr Method() = default;
  constexpr Method(const char* fixed) : name(fixed) {}
};
inline constexpr Method kTypedByUser = [] {
  Method method;
  method.typed = true;
  return method;
}();

/// The request's parameters, from the values the parser found for the command's arguments.
using ParamsFunction = Json (*)(const Values& values);
/// What a local command does instead of a request.
using LocalFunction = MaybeError (*)(const Cli& cli, Sink& out, const RunSettings& settings);

/// How a result is shown in human mode.
using RenderFunction = void (*)(const JsonView& value, Sink& out);
struct Rendering {
  enum class Kind : std::uint8_t {
    Undeclared,   ///< refused when the table is compiled: every command says how it is shown
    Function,     ///< `render` of the whole result
    List,         ///< the result's `list_key`: nothing when it is no array, `empty_line` when
                  ///< it is empty, else `render` of each element
    Acknowledge,  ///< the line "OK", whatever the result holds
    Pretty,       ///< the result as indented JSON
    ByMethod,     ///< as the method the user typed is rendered (a raw call)
  };
  Kind kind = Kind::Undeclared;
  RenderFunction render = nullptr;
  std::string_view list_key{}, empty_line{};
};
constexpr Rendering rendered_by(RenderFunction render) {
  return {Rendering::Kind::Function, render, {}, {}};
}
constexpr Rendering list_of(std::string_view key, std::string_view empty_line,
                            RenderFunction render_item) {
  return {Rendering::Kind::List, render_item, key, empty_line};
}
inline constexpr Rendering kAcknowledged{Rendering::Kind::Acknowledge};
inline constexpr Rendering kPrettyJson{Rendering::Kind::Pretty};
inline constexpr Rendering kAsTheMethodTyped{Rendering::Kind::ByMethod};

/// One subcommand.
struct Command {
  std::string_view name = {};
  std::string_view help = {};
  std::span<const Argument> arguments = {};
  std::span<const Example> examples = {};
  Method method;
  Effect effect = Effect::Undeclared;
  Rendering rendering;
  /// A command whose "timeout" parameter asks the IDE to wait: the unit of that timeout, in
  /// milliseconds (its reply is read for as long as the wait lasts). 0: no wait.
  std::uint32_t wait_unit_ms = 0;
  /// Sent again with the same arguments, it changes nothing more (for the MCP tools).
  bool idempotent = false;
  /// It loads pages from the world outside the IDE (for the MCP tools).
  bool open_world = false;
  ParamsFunction params = nullptr;
  LocalFunction local = nullptr;
};

struct Group;

/// One entry of a group: a command, a nested group, or another family's compiled table (shown
/// under its group's name and help, or, spliced, as its commands in place).
struct Entry {
  enum class Kind : std::uint8_t { Command, Group, Table } kind;
  const Command* command = nullptr;
  const Group* group = nullptr;
  const Table* table = nullptr;
  std::string_view name{}, help{};  ///< of a table's group
  bool splice = false;

  constexpr Entry(const Command& c) : kind(Kind::Command), command(&c) {}
  constexpr Entry(const Group& g) : kind(Kind::Group), group(&g) {}
  constexpr Entry(const Table& t, std::string_view table_name, std::string_view table_help)
      : kind(Kind::Table), table(&t), name(table_name), help(table_help) {}
};
/// The commands of `table`'s group, in its place.
constexpr Entry spliced(const Table& table) {
  Entry entry(table, {}, {});
  entry.splice = true;
  return entry;
}

/// A group of commands. The program's own group has the global options as its arguments,
/// accepted before the subcommand and after it at any depth.
struct Group {
  std::string_view name = {};
  std::string_view help = {};
  std::span<const Entry> entries = {};
  std::span<const Example> examples = {};
  std::span<const Argument> arguments = {};
  /// How the result of a method of this family's name ("browser.zoom" of "browser") that none of
  /// its commands sends is shown, when a raw call sends one: acknowledged or as indented JSON.
  Rendering other_methods = kPrettyJson;
};

}  // namespace quillo
