#pragma once
// The commands as the program reads them at run time: each family's declarations compiled, while
// the program is compiled, into one table of plain records whose texts stand in one pool and are
// found by offset. The table holds no pointer but its functions', so that a run relocates and
// touches nothing of it but what it reads: a run costs the same whatever number of commands
// there are.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/declaration.hpp"

namespace quillo {

/// A text in a table's pool.
struct TextRef {
  std::uint16_t offset = 0;
  std::uint16_t size = 0;
};

struct ArgumentRecord {
  TextRef option, id, value_name, help, default_value, choices, unit, file_option, listed_by,
      listed_key, listed_description;
  ValueType type = ValueType::Text;
  bool required = false;
  bool has_default = false;
};

struct NodeRecord {
  TextRef name, help, method, list_key, empty_line;
  std::uint16_t first_argument = 0, argument_count = 0;
  std::uint16_t first_entry = 0, entry_count = 0;
  std::uint16_t first_example = 0, example_count = 0;
  std::uint32_t wait_unit_ms = 0;
  Effect effect = Effect::Undeclared;
  Rendering::Kind rendering = Rendering::Kind::Undeclared;
  bool group = false;
  bool typed_method = false;
  bool idempotent = false;
  bool open_world = false;
  bool splice = false;         ///< a stub whose table's commands stand in its place
  std::uint8_t external = 0;   ///< a stub of another table: its number plus one
};

struct ExampleRecord {
  TextRef command, output;
};

struct NodeFunctions {
  ParamsFunction params = nullptr;
  LocalFunction local = nullptr;
  RenderFunction render = nullptr;
};

class Table;
class ArgumentRef;

/// How a node's result is rendered, as its declaration says.
struct RenderingRef {
  Rendering::Kind kind = Rendering::Kind::Pretty;
  RenderFunction render = nullptr;
  std::string_view list_key{}, empty_line{};
};

/// One group or command of a table. A family's group, seen from the program's group, keeps its
/// name and help line there, and reads the rest from the family's own table.
class NodeRef {
 public:
  constexpr NodeRef() = default;
  constexpr NodeRef(const Table* table, std::uint16_t index) : table_(table), index_(index) {}

  bool valid() const { return table_ != nullptr; }
  std::string_view name() const;
  std::string_view help() const;
  bool is_group() const { return record().group; }

  /// Calls `visit` with each subcommand, in the order of the help (the commands of a spliced
  /// table in its place), in one walk.
  template <class Visit>
  void for_each_child(Visit&& visit) const;
  /// The subcommand called `name`, or an invalid NodeRef.
  NodeRef child_named(std::string_view name) const;

  std::size_t argument_count() const;
  ArgumentRef argument(std::size_t index) const;

  std::size_t example_count() const;
  Example example(std::size_t index) const;

  /// The fixed method name; empty for a local command and for a method typed by the user.
  /// A group's rendering is that of the methods of its name that no command of it sends.
  std::string_view method() const;
  bool method_is_typed() const { return resolved().record().typed_method; }
  Effect effect() const { return resolved().record().effect; }
  RenderingRef rendering() const;
  std::uint32_t wait_unit_ms() const { return resolved().record().wait_unit_ms; }
  bool idempotent() const { return resolved().record().idempotent; }
  bool open_world() const { return resolved().record().open_world; }
  ParamsFunction params() const;
  LocalFunction local() const;

  bool operator==(const NodeRef& other) const = default;

 private:
  const NodeRecord& record() const;
  /// The node itself, or for a stub the group of its table.
  NodeRef resolved() const;

  const Table* table_ = nullptr;
  std::uint16_t index_ = 0;
};

class ArgumentRef {
 public:
  ArgumentRef(const Table* table, std::uint16_t index) : table_(table), index_(index) {}

  std::string_view option() const;
  std::string_view id() const;
  std::string_view value_name() const;
  std::string_view help() const;
  ValueType type() const { return record().type; }
  bool required() const { return record().required; }
  std::optional<std::string_view> default_value() const;
  /// Words offered for the value, separated by spaces.
  std::string_view choices() const;
  std::string_view unit() const;
  std::string_view file_option() const;
  std::string_view listed_by() const;
  std::string_view listed_key() const;
  std::string_view listed_description() const;
  Check check() const;

  bool is_positional() const { return record().option.size == 0; }
  /// The name that help and messages use: the option, or the value name of a positional.
  std::string_view name() const { return is_positional() ? value_name() : option(); }
  /// Required in its own form: one with a file form may be given as a file instead.
  bool required_as_typed() const { return required() && record().file_option.size == 0; }
  /// The help line of the file form.
  std::string file_option_help() const;

  bool operator==(const ArgumentRef& other) const = default;

 private:
  const ArgumentRecord& record() const;
  std::string_view text(TextRef ref) const;

  const Table* table_;
  std::uint16_t index_;
};

/// A compiled table: what compile() below makes of a family's group.
class Table {
 public:
  constexpr Table(const char* pool, std::span<const NodeRecord> nodes,
                  std::span<const ArgumentRecord> arguments, std::span<const std::uint16_t> entries,
                  std::span<const ExampleRecord> examples, const NodeFunctions* functions,
                  const Check* checks, const Table* const* externals)
      : pool_(pool), nodes_(nodes), arguments_(arguments), entries_(entries), examples_(examples),
        functions_(functions), checks_(checks), externals_(externals) {}

  /// The table's group.
  constexpr NodeRef root() const { return {this, 0}; }

 private:
  friend class NodeRef;
  friend class ArgumentRef;
  std::string_view text(TextRef ref) const { return {pool_ + ref.offset, ref.size}; }

  const char* pool_;
  std::span<const NodeRecord> nodes_;
  std::span<const ArgumentRecord> arguments_;
  std::span<const std::uint16_t> entries_;
  std::span<const ExampleRecord> examples_;
  const NodeFunctions* functions_;
  const Check* checks_;
  const Table* const* externals_;
};

template <class Visit>
void NodeRef::for_each_child(Visit&& visit) const {
  const NodeRef node = resolved();
  const NodeRecord& r = node.record();
  for (std::size_t i = 0; i < r.entry_count; ++i) {
    const NodeRef entry(node.table_, node.table_->entries_[r.first_entry + i]);
    if (entry.record().splice) {
      entry.resolved().for_each_child(visit);
    } else {
      visit(entry);
    }
  }
}

/// Every command below `node` (itself included when it is one), depth first.
template <class Visit>
void for_each_command(NodeRef node, Visit&& visit) {
  if (!node.is_group()) {
    visit(node);
    return;
  }
  node.for_each_child([&](const NodeRef& child) { for_each_command(child, visit); });
}

/// A node with the words that reach it from the root ("terminal send"; empty for the root).
struct ReachedNode {
  std::string path;
  NodeRef node;
};

/// `root` and every node below it, depth first, in the order of the help.
std::vector<ReachedNode> every_node(NodeRef root);

/// The command below `root` that sends `method` as its fixed method, or an invalid NodeRef.
NodeRef find_method(NodeRef root, std::string_view method);

// ---- Compiling declarations into a table, while the program is compiled.

namespace compiling {

struct Sizes {
  std::size_t pool = 0, nodes = 0, arguments = 0, entries = 0, examples = 0, externals = 0;
};

/// A table under construction, with room enough for any family.
struct Draft {
  static constexpr std::size_t kPool = 24576, kNodes = 64, kArguments = 128, kEntries = 64,
                               kExamples = 96, kExternals = 16;
  std::array<char, kPool> pool{};
  std::array<NodeRecord, kNodes> nodes{};
  std::array<NodeFunctions, kNodes> functions{};
  std::array<ArgumentRecord, kArguments> arguments{};
  std::array<Check, kArguments> checks{};
  std::array<std::uint16_t, kEntries> entries{};
  std::array<ExampleRecord, kExamples> examples{};
  std::array<const Table*, kExternals> externals{};
  Sizes used;

  constexpr TextRef add(std::string_view text) {
    if (used.pool + text.size() > kPool) throw "a family's texts exceed the table's pool";
    const TextRef ref{static_cast<std::uint16_t>(used.pool), static_cast<std::uint16_t>(text.size())};
    for (char c : text) pool[used.pool++] = c;
    return ref;
  }
  // The option's name in snake_case: "--terminal-id" gives "terminal_id".
  constexpr TextRef add_identifier(std::string_view option) {
    const TextRef ref{static_cast<std::uint16_t>(used.pool), static_cast<std::uint16_t>(option.size() - 2)};
    for (char c : option.substr(2)) pool[used.pool++] = c == '-' ? '_' : c;
    return ref;
  }
  constexpr std::uint16_t take(std::size_t& counter, std::size_t count, std::size_t capacity) {
    if (counter + count > capacity) throw "a family has more declarations than a table holds";
    const auto first = static_cast<std::uint16_t>(counter);
    counter += count;
    return first;
  }

  constexpr void arguments_of(NodeRecord& node, std::span<const Argument> declared) {
    if (declared.size() > kMaxArguments) throw "a command declares more arguments than Values holds";
    node.first_argument = take(used.arguments, declared.size(), kArguments);
    node.argument_count = static_cast<std::uint16_t>(declared.size());
    for (std::size_t i = 0; i < declared.size(); ++i) {
      const Argument& a = declared[i];
      ArgumentRecord& r = arguments[node.first_argument + i];
      r.option = add(a.option);
      r.id = a.id.empty() ? add_identifier(a.option) : add(a.id);
      r.value_name = add(a.value_name);
      r.help = add(a.help);
      r.type = a.type;
      r.required = a.required;
      r.has_default = a.default_value.has_value();
      r.default_value = add(a.default_value.value_or(""));
      r.choices = add(a.choices);
      r.unit = add(a.unit);
      r.file_option = add(a.file_option);
      r.listed_by = add(a.listed_by);
      r.listed_key = add(a.listed_key);
      r.listed_description = add(a.listed_description);
      checks[node.first_argument + i] = a.check;
    }
  }

  constexpr void examples_of(NodeRecord& node, std::span<const Example> declared) {
    node.first_example = take(used.examples, declared.size(), kExamples);
    node.example_count = static_cast<std::uint16_t>(declared.size());
    for (std::size_t i = 0; i < declared.size(); ++i) {
      examples[node.first_example + i] = {add(declared[i].command), add(declared[i].output)};
    }
  }

  // What a declaration must say, refused here rather than found missing at run time.
  static constexpr void check(const Command& c) {
    if (c.effect == Effect::Undeclared) throw "a command declares no effect on the IDE";
    if (c.examples.empty()) throw "a command has no example";
    const bool local = c.effect == Effect::Local;
    if (local && !c.method.name.empty()) throw "a local command sends nothing";
    if (!local && c.rendering.kind == Rendering::Kind::Undeclared) throw "a command declares no rendering";
    if (!local && c.method.name.empty() != c.method.typed) throw "a command declares no method, or two";
    if ((c.rendering.kind == Rendering::Kind::ByMethod) != c.method.typed) {
      throw "only a typed method is rendered as the method typed";
    }
    bool has_method_argument = false;
    for (const Argument& argument : c.arguments) has_method_argument = has_method_argument || argument.id == Method::kArgument;
    if (c.method.typed && !has_method_argument) throw "a typed method is not declared as an argument \"method\"";
#if !defined(QUILLO_SANITIZED_BUILD)
    // Whether a function is there: a sanitizer that checks for null pointers makes the compiler
    // no longer take a function's address for not null, so that build leaves these to the others.
    if (local != (c.local != nullptr) || local == (c.params != nullptr)) {
      throw "a command has its parameter function, or a local one, not both";
    }
    const bool needs_function = c.rendering.kind == Rendering::Kind::Function || c.rendering.kind == Rendering::Kind::List;
    if (needs_function != (c.rendering.render != nullptr)) throw "a rendering without its function";
#endif
  }

  constexpr void command(const Command& c, std::uint16_t index) {
    check(c);
    NodeRecord& node = nodes[index];
    node.name = add(c.name);
    node.help = add(c.help);
    arguments_of(node, c.arguments);
    examples_of(node, c.examples);
    node.method = add(c.method.name);
    node.typed_method = c.method.typed;
    node.effect = c.effect;
    node.rendering = c.rendering.kind;
    node.list_key = add(c.rendering.list_key);
    node.empty_line = add(c.rendering.empty_line);
    node.wait_unit_ms = c.wait_unit_ms;
    node.idempotent = c.idempotent;
    node.open_world = c.open_world;
    functions[index] = {c.params, c.local, c.rendering.render};
  }

  constexpr void group(const Group& g, std::uint16_t index) {
    if (g.other_methods.kind != Rendering::Kind::Acknowledge && g.other_methods.kind != Rendering::Kind::Pretty) {
      throw "a family shows the methods it does not declare acknowledged or as JSON";
    }
    NodeRecord& node = nodes[index];
    node.group = true;
    node.rendering = g.other_methods.kind;
    node.name = add(g.name);
    node.help = add(g.help);
    arguments_of(node, g.arguments);
    examples_of(node, g.examples);
    node.first_entry = take(used.entries, g.entries.size(), kEntries);
    node.entry_count = static_cast<std::uint16_t>(g.entries.size());
    for (std::size_t i = 0; i < g.entries.size(); ++i) {
      const Entry& e = g.entries[i];
      const std::uint16_t child = take(used.nodes, 1, kNodes);
      entries[nodes[index].first_entry + i] = child;
      if (e.kind == Entry::Kind::Command) {
        command(*e.command, child);
      } else if (e.kind == Entry::Kind::Group) {
        group(*e.group, child);
      } else {
        NodeRecord& stub = nodes[child];
        stub.group = true;
        stub.name = add(e.name);
        stub.help = add(e.help);
        stub.splice = e.splice;
        stub.external = static_cast<std::uint8_t>(take(used.externals, 1, kExternals) + 1);
        externals[stub.external - 1] = e.table;
      }
    }
  }
};

constexpr Draft draft_of(const Group& g) {
  Draft draft;
  draft.take(draft.used.nodes, 1, Draft::kNodes);
  draft.group(g, 0);
  return draft;
}

// A zero-length array still needs a place to point at.
constexpr std::size_t at_least_one(std::size_t n) { return n == 0 ? 1 : n; }

/// The draft's records, in arrays of their exact sizes.
template <Sizes kSizes>
struct Data {
  std::array<char, at_least_one(kSizes.pool)> pool{};
  std::array<NodeRecord, kSizes.nodes> nodes{};
  std::array<ArgumentRecord, at_least_one(kSizes.arguments)> arguments{};
  std::array<std::uint16_t, at_least_one(kSizes.entries)> entries{};
  std::array<ExampleRecord, at_least_one(kSizes.examples)> examples{};
};

/// The draft's functions and references to other tables: the only part of a table that a run
/// relocates, kept apart so that it stays small.
template <Sizes kSizes>
struct Functions {
  std::array<NodeFunctions, kSizes.nodes> nodes{};
  std::array<Check, at_least_one(kSizes.arguments)> checks{};
  std::array<const Table*, at_least_one(kSizes.externals)> externals{};
};

template <Sizes kSizes>
constexpr Data<kSizes> data_of(const Draft& draft) {
  Data<kSizes> data;
  std::copy_n(draft.pool.begin(), kSizes.pool, data.pool.begin());
  std::copy_n(draft.nodes.begin(), kSizes.nodes, data.nodes.begin());
  std::copy_n(draft.arguments.begin(), kSizes.arguments, data.arguments.begin());
  std::copy_n(draft.entries.begin(), kSizes.entries, data.entries.begin());
  std::copy_n(draft.examples.begin(), kSizes.examples, data.examples.begin());
  return data;
}

template <Sizes kSizes>
constexpr Functions<kSizes> functions_of(const Draft& draft) {
  Functions<kSizes> functions;
  std::copy_n(draft.functions.begin(), kSizes.nodes, functions.nodes.begin());
  std::copy_n(draft.checks.begin(), kSizes.arguments, functions.checks.begin());
  std::copy_n(draft.externals.begin(), kSizes.externals, functions.externals.begin());
  return functions;
}

template <const Group& kGroup>
struct Compiled {
  static constexpr Draft draft = draft_of(kGroup);  // read while compiling only
  static constexpr Sizes sizes = draft.used;
  static constexpr Data<sizes> data = data_of<sizes>(draft);
  static constexpr Functions<sizes> functions = functions_of<sizes>(draft);
};

}  // namespace compiling

/// The table of `kGroup` and everything in it, compiled while the program is compiled.
template <const Group& kGroup>
constexpr Table compile() {
  using C = compiling::Compiled<kGroup>;
  return Table(C::data.pool.data(), std::span(C::data.nodes.data(), C::sizes.nodes),
               std::span(C::data.arguments.data(), C::sizes.arguments),
               std::span(C::data.entries.data(), C::sizes.entries),
               std::span(C::data.examples.data(), C::sizes.examples), C::functions.nodes.data(),
               C::functions.checks.data(), C::functions.externals.data());
}

}  // namespace quillo
