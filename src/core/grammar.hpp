#pragma once
// The command grammar as plain data: every command family describes its subcommands and their
// arguments here, and one parser turns the description and the process arguments into the
// chosen subcommand and its values, or into help, the version or a usage error.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/argument_file.hpp"
#include "core/sink.hpp"

namespace quillo::grammar {

enum class ValueType {
  Text,    ///< any UTF-8 text
  Path,    ///< a local path: UTF-8 text, sent unchanged; shells complete it as a file name
  Flag,    ///< no value; given or not
  Uint32,  ///< a decimal integer from 0 to 4294967295
  Int64,   ///< a decimal signed 64-bit integer
};

/// Where shells find the values of an argument that names something the IDE holds: the
/// command that lists them, and the member of its JSON result's items that holds each value.
struct ListedBy {
  std::string command;  ///< "terminal list"
  std::string key;      ///< "terminal_id"
};

/// One argument of a subcommand: a positional (no option name) or a long option.
struct Argument {
  std::string id;          ///< snake_case identifier, the key of the parsed value
  std::string option;      ///< "--terminal-id"; empty for a positional
  std::string value_name;  ///< "TERMINAL_ID"; empty for a flag
  std::string help;        ///< may be empty
  ValueType type = ValueType::Text;
  bool required = false;
  std::optional<std::string> default_value;  ///< shown in help, and the value when not given
  /// Words that shells offer for the value; any other text is accepted all the same.
  std::vector<std::string> choices;
  /// For an integer: what it counts, as usage errors name it ("a whole number of seconds").
  std::string unit;
  /// An option that gives the same value read from a file, or from standard input for "-"
  /// ("--text-file"): for long text that is awkward to quote or too long for one argument.
  /// At most one of the two may be given; a required argument requires one of them.
  std::string file_option;
  /// Set when the value names something the IDE holds, which completion asks it for.
  std::optional<ListedBy> listed_by;
  /// A further check of a given value: the problem with it, or the empty text when it is good.
  std::function<std::string(const std::string& value)> check;

  Argument& require() {
    required = true;
    return *this;
  }
  Argument& of_type(ValueType t) {
    type = t;
    return *this;
  }
  Argument& with_default(std::string value) {
    default_value = std::move(value);
    return *this;
  }
  Argument& named(std::string identifier) {
    id = std::move(identifier);
    return *this;
  }
  Argument& with_choices(std::vector<std::string> words) {
    choices = std::move(words);
    return *this;
  }
  Argument& counting(std::string what) {
    unit = std::move(what);
    return *this;
  }
  Argument& or_from_file(std::string option_name) {
    file_option = std::move(option_name);
    return *this;
  }
  Argument& listed_in(std::string command, std::string key) {
    listed_by = ListedBy{std::move(command), std::move(key)};
    return *this;
  }
  /// The name that help and messages use: the option, or the value name of a positional.
  const std::string& name() const { return option.empty() ? value_name : option; }
  /// Required in its own form: one with a file form may be given as a file instead.
  bool required_as_typed() const { return required && file_option.empty(); }
  /// The help line of the file form.
  std::string file_option_help() const {
    return "Read " + value_name + " from FILE ('-' reads standard input)" +
           (required ? "; " + name() + " or this is required" : "");
  }
};

/// A positional argument, required unless marked otherwise.
Argument positional(std::string id, std::string value_name, std::string help = {},
                    bool required = true);
/// A long option taking one value; its identifier is the option name in snake_case.
Argument option(std::string long_name, std::string value_name, std::string help = {});
/// A long option taking no value.
Argument flag(std::string long_name, std::string help);

/// The values that the parser found for the chosen subcommand and the global options: every
/// argument of the chosen path, given or not.
class Values {
 public:
  /// Records one argument: its value, or nullopt when it was neither given nor defaulted.
  void set(std::string id, std::optional<std::string> value) {
    values_[std::move(id)] = std::move(value);
  }

  bool has(std::string_view id) const {
    const auto* value = find(id);
    return value != nullptr && value->has_value();
  }
  /// The value, or the empty text when absent (required arguments are never absent).
  std::string text(std::string_view id) const { return maybe_text(id).value_or(""); }
  std::optional<std::string> maybe_text(std::string_view id) const;
  bool flag(std::string_view id) const { return has(id); }
  std::optional<std::uint32_t> maybe_uint32(std::string_view id) const;
  std::optional<std::int64_t> maybe_int64(std::string_view id) const;
  std::uint32_t uint32(std::string_view id) const { return maybe_uint32(id).value_or(0); }
  std::int64_t int64(std::string_view id) const { return maybe_int64(id).value_or(0); }

  /// The identifiers looked up that no argument of the chosen path declares: a slip in a
  /// family's grammar, which the tests look for on every subcommand.
  const std::vector<std::string>& undeclared() const { return undeclared_; }

 private:
  const std::optional<std::string>* find(std::string_view id) const;

  std::map<std::string, std::optional<std::string>, std::less<>> values_;
  mutable std::vector<std::string> undeclared_;
};

/// What the parser walks: a command or group with its arguments and subcommands.
/// A command line and what it prints, shown after a command's help and in the manual page.
struct Example {
  const char* command;  ///< literals: examples cost a run nothing
  const char* output;
};

struct NodeBase {
  std::string name;
  std::string help;
  std::vector<Argument> arguments;
  std::vector<Example> examples;

  NodeBase() = default;
  NodeBase(NodeBase&&) = default;  // a tree is built by moving its nodes, never by copying them
  NodeBase& operator=(NodeBase&&) = default;
  virtual ~NodeBase() = default;
  virtual std::size_t child_count() const = 0;
  virtual const NodeBase& child(std::size_t index) const = 0;
  /// The node with its arguments and everything below it. A node made by lazy_group() holds
  /// only its name and help line until this is first asked for.
  virtual const NodeBase& full() const { return *this; }
};

/// A node whose leaves make a `T` from the parsed values; groups have children instead.
template <class T>
struct Node final : NodeBase {
  std::function<T(const Values&)> make;
  std::vector<Node<T>> children;
  std::function<Node<T>()> build;  ///< set on a node not built yet

  std::size_t child_count() const override { return children.size(); }
  const NodeBase& child(std::size_t index) const override { return children[index]; }
  const Node<T>& full() const override {
    if (!build) return *this;
    if (!built_) built_ = std::make_unique<Node<T>>(build());
    return *built_;
  }
  /// Adds an example: a command line and what it prints.
  Node&& example(const char* command, const char* output) && {
    examples.push_back({command, output});
    return std::move(*this);
  }

 private:
  mutable std::unique_ptr<Node<T>> built_;
};

template <class T>
Node<T> leaf(std::string name, std::string help, std::vector<Argument> arguments,
             std::function<T(const Values&)> make) {
  Node<T> node;
  node.name = std::move(name);
  node.help = std::move(help);
  node.arguments = std::move(arguments);
  node.make = std::move(make);
  return node;
}

template <class T, class... Children>
Node<T> group(std::string name, std::string help, Children&&... children) {
  Node<T> node;
  node.name = std::move(name);
  node.help = std::move(help);
  node.children.reserve(sizeof...(children));
  (node.children.push_back(std::forward<Children>(children)), ...);
  return node;
}

/// A group known by its name and help line, built by `build` only when the parser needs more.
/// Every run uses one group, so the others cost almost nothing.
template <class T>
Node<T> lazy_group(std::string name, std::string help, std::function<Node<T>()> build) {
  Node<T> node;
  node.name = std::move(name);
  node.help = std::move(help);
  node.build = std::move(build);
  return node;
}

/// The same tree with every leaf's result converted to `To` (a family's enum into the
/// program's top-level command).
template <class To, class From>
Node<To> lift(Node<From>&& from) {
  Node<To> to;
  to.name = std::move(from.name);
  to.help = std::move(from.help);
  to.arguments = std::move(from.arguments);
  to.examples = std::move(from.examples);
  if (from.make) {
    to.make = [make = std::move(from.make)](const Values& values) { return To{make(values)}; };
  }
  for (auto& child : from.children) to.children.push_back(lift<To>(std::move(child)));
  return to;
}

struct Program {
  std::string name;
  std::string version;
  /// Its help is the about text; its arguments are the global options, accepted before the
  /// subcommand and after it at any depth.
  const NodeBase* root;
};

/// The chosen subcommand, as child indices from the root, and its values (globals included).
struct Parsed {
  std::vector<std::size_t> path;
  Values values;
};

/// What a parse that reads argument files needs to know.
struct ParseSettings {
  std::size_t max_file_bytes = kMaxArgumentFileBytes;
  /// Standard input was closed when the program started (and is /dev/null now): "-" is an
  /// error rather than empty text.
  bool standard_input_closed = false;
};

/// Parses `args` (without the program name). On a usage error, --help or --version the
/// parser prints (help and version to `out`, the rest to `err`) and returns the exit status.
std::variant<Parsed, int> parse(const Program& program, std::span<const std::string> args,
                                Sink& out, Sink& err, const ParseSettings& settings = {});

/// The help of the command that `path` (child indices from the root) leads to, as -h shows it.
/// (grammar_help.cpp, the only code that knows the command-line library)
std::string help_text(const Program& program, std::span<const std::size_t> path);

/// The value made by the leaf that `parsed` chose.
template <class T>
T make_command(const Node<T>& root, const Parsed& parsed) {
  const Node<T>* node = &root;
  for (std::size_t index : parsed.path) node = &node->children[index].full();
  return node->make(parsed.values);
}

}  // namespace quillo::grammar
