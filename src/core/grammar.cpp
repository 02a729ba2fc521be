// The only translation unit that includes the command-line library: it is slow to compile, and
// every family's grammar reaches it as plain data.
#include "core/grammar.hpp"

#include <algorithm>
#include <charconv>
#include <deque>
#include <memory>
#include <set>
#include <type_traits>

#include <CLI/CLI.hpp>

#include "core/text.hpp"

namespace quillo::grammar {

Argument positional(std::string id, std::string value_name, std::string help, bool required) {
  Argument argument;
  argument.id = std::move(id);
  argument.value_name = std::move(value_name);
  argument.help = std::move(help);
  argument.required = required;
  return argument;
}

Argument option(std::string long_name, std::string value_name, std::string help) {
  Argument argument;
  argument.id = long_name.substr(2);
  std::replace(argument.id.begin(), argument.id.end(), '-', '_');
  argument.option = std::move(long_name);
  argument.value_name = std::move(value_name);
  argument.help = std::move(help);
  return argument;
}

Argument flag(std::string long_name, std::string help) {
  Argument argument = option(std::move(long_name), "", std::move(help));
  argument.type = ValueType::Flag;
  return argument;
}

const std::optional<std::string>* Values::find(std::string_view id) const {
  const auto it = values_.find(id);
  if (it != values_.end()) return &it->second;
  undeclared_.emplace_back(id);
  return nullptr;
}

std::optional<std::string> Values::maybe_text(std::string_view id) const {
  const auto* value = find(id);
  return value != nullptr ? *value : std::nullopt;
}

namespace {

template <class T>
std::optional<T> parse_decimal(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return std::nullopt;
  }
  if (text.empty() || (std::is_unsigned_v<T> && text.front() == '-')) return std::nullopt;
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::uint32_t> Values::maybe_uint32(std::string_view id) const {
  const auto text = maybe_text(id);
  return text ? parse_decimal<std::uint32_t>(*text) : std::nullopt;
}

std::optional<std::int64_t> Values::maybe_int64(std::string_view id) const {
  const auto text = maybe_text(id);
  return text ? parse_decimal<std::int64_t>(*text) : std::nullopt;
}

namespace {

// The library reads integers with base prefixes and saturation; only decimal text in the
// type's range is accepted here (a leading '+' included, as in "+5").
template <class T>
CLI::Validator decimal(const char* type_description) {
  return CLI::Validator(
      [type_description](std::string& text) -> std::string {
        if (!parse_decimal<T>(text)) return "'" + text + "' is not " + type_description;
        return {};
      },
      "", "DECIMAL");
}

const CLI::Validator& utf8_text() {
  static const CLI::Validator validator(
      [](std::string& text) -> std::string {
        return is_valid_utf8(text) ? std::string() : std::string("invalid UTF-8 in value");
      },
      "", "UTF8");
  return validator;
}

// Where the parser stores one argument's text until the parse is over.
struct Binding {
  const Argument* argument = nullptr;
  CLI::Option* option = nullptr;
  std::string text;
  bool given = false;
};

// One level of the command tree as the library sees it.
struct Level {
  const NodeBase* node = nullptr;
  CLI::App* app = nullptr;
  std::vector<Binding*> bindings;
  std::vector<std::pair<std::size_t, CLI::App*>> child_apps;  // child index, its app
};

// Which of the top level's subcommands the parser needs, judged from the arguments before
// parsing: the library enters at most one, the first argument that names one (it sets other
// words aside and reads on), so only that one is built in full. When none is named, the others
// are listed by name and help line only; after "--" the library reads differently, and all of
// them are built.
struct Scope {
  enum class Kind { One, Listed, Everything } kind;
  std::size_t chosen = 0;
};

Scope scope_of(const NodeBase& root, std::span<const std::string> args) {
  std::set<std::string_view> valued;  // the top level's options that take a value
  for (const Argument& argument : root.arguments) {
    if (!argument.option.empty() && argument.type != ValueType::Flag) valued.insert(argument.option);
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") return {Scope::Kind::Everything};
    if (args[i].starts_with("-")) {
      if (valued.contains(args[i])) ++i;  // and its value
      continue;
    }
    for (std::size_t child = 0; child < root.child_count(); ++child) {
      if (root.child(child).name == args[i]) return {Scope::Kind::One, child};
    }
  }
  return {Scope::Kind::Listed};
}

// The long option names that the arguments can use, by whether they take a value: those of
// the top level and of the subcommands in scope, at every depth.
struct OptionNames {
  std::set<std::string, std::less<>> flags;
  std::set<std::string, std::less<>> valued;

  OptionNames(const NodeBase& root, const Scope& scope) {
    add(root, false);
    for (std::size_t i = 0; i < root.child_count(); ++i) {
      const bool in_scope = scope.kind == Scope::Kind::Everything ||
                            (scope.kind == Scope::Kind::One && scope.chosen == i);
      if (in_scope) add(root.child(i).full(), true);
    }
  }

 private:
  void add(const NodeBase& node, bool descend) {
    for (const Argument& argument : node.arguments) {
      if (argument.option.empty()) continue;
      (argument.type == ValueType::Flag ? flags : valued).insert(argument.option);
    }
    if (!descend) return;
    for (std::size_t i = 0; i < node.child_count(); ++i) add(node.child(i).full(), true);
  }
};

// The arguments as the library wants them (back to front), with some of its habits mended:
// - an argument that begins with a hyphen (other than "-" alone, and before "--") is always
//   an option: the library would take an unknown one such as "-5" for a positional value, and
//   take the argument after `--name` as its value even when it is another option
//   (`--name --cwd`), silently dropping what the user meant. A value that begins with a hyphen
//   is written attached: `--timeout=-5`, `--text=-h`; a positional one goes after "--";
// - `--name=` with nothing after the sign would take the next argument as its value; it is the
//   empty value;
// - a flag given a value (`--json=false`) is refused rather than read as an instruction to
//   switch it off.
std::vector<std::string> prepare_arguments(std::span<const std::string> args,
                                           const OptionNames& names) {
  std::vector<std::string> prepared;
  bool options_ended = false;
  std::string_view awaiting_value;  // the option just seen, whose value comes next
  for (const std::string& arg : args) {
    const bool looks_like_option = !options_ended && arg.size() > 1 && arg.front() == '-';
    if (!awaiting_value.empty()) {
      if (looks_like_option) {
        throw CLI::ArgumentMismatch(std::string(awaiting_value) +
                                    ": a value is required (one that begins with '-' is written " +
                                    std::string(awaiting_value) + "=VALUE)");
      }
      awaiting_value = {};
      prepared.push_back(arg);
      continue;
    }
    if (!looks_like_option) {
      prepared.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      prepared.push_back(arg);
      continue;
    }
    if (!arg.starts_with("--")) {
      if (arg != "-h" && arg != "-V") throw CLI::ExtrasError(std::vector<std::string>{arg});
      prepared.push_back(arg);
      continue;
    }
    const auto equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(0, equals);
    if (equals == std::string::npos) {
      if (names.valued.contains(name)) awaiting_value = *names.valued.find(name);
      prepared.push_back(arg);
    } else if (names.flags.contains(name)) {
      throw CLI::ArgumentMismatch(std::string(name) + ": this flag takes no value");
    } else if (equals == arg.size() - 1 && names.valued.contains(name)) {
      prepared.emplace_back(name);
      prepared.emplace_back();
    } else {
      prepared.push_back(arg);
    }
  }
  std::reverse(prepared.begin(), prepared.end());
  return prepared;
}

class Builder {
 public:
  Builder(const Program& program, Scope scope) : app_(program.root->help, program.name), scope_(scope) {
    // Inherited by subcommands only when set before they are created.
    app_.fallthrough();
    app_.set_version_flag("-V,--version", program.name + " " + program.version);
    add_level(*program.root, &app_, "");
  }

  CLI::App& app() { return app_; }
  CLI::App* bare_level() const { return bare_level_; }
  const std::string& bare_level_prefix() const { return bare_level_prefix_; }

  Parsed collect() const {
    Parsed parsed;
    const Level* level = &levels_.front();
    for (;;) {
      for (const Binding* binding : level->bindings) store(*binding, parsed.values);
      const auto selected = level->app->get_subcommands();
      if (selected.empty()) break;
      const auto found = std::find_if(
          level->child_apps.begin(), level->child_apps.end(),
          [&](const auto& child) { return child.second == selected.front(); });
      parsed.path.push_back(found->first);
      level = level_of(selected.front());
    }
    return parsed;
  }

 private:
  // `prefix` is what the library's help puts before this level's name in its usage line.
  void add_level(const NodeBase& node, CLI::App* app, const std::string& prefix) {
    Level level;
    level.node = &node;
    level.app = app;
    for (const Argument& argument : node.arguments) level.bindings.push_back(bind(*app, argument));
    if (node.child_count() > 0) {
      app->require_subcommand(1);
      app->preparse_callback([this, app, prefix](std::size_t remaining) {
        if (remaining == 0) {
          bare_level_ = app;
          bare_level_prefix_ = prefix;
        }
      });
    }
    const std::string child_prefix =
        prefix.empty() ? app->get_name() : prefix + " " + app->get_name();
    std::vector<std::pair<const NodeBase*, CLI::App*>> to_build;
    for (std::size_t i = 0; i < node.child_count(); ++i) {
      const Scope::Kind kind = app == &app_ ? scope_.kind : Scope::Kind::Everything;
      if (kind == Scope::Kind::One && scope_.chosen != i) continue;
      const NodeBase& child = node.child(i);
      CLI::App* child_app = app->add_subcommand(child.name, child.help);
      level.child_apps.emplace_back(i, child_app);
      if (kind == Scope::Kind::Listed) continue;  // named in the help, never entered
      // -V belongs to the top level only; without this, fallthrough would honour it anywhere.
      child_app
          ->add_flag_callback("-V,--version",
                              [] { throw CLI::ExtrasError(std::vector<std::string>{"--version"}); })
          ->group("");
      // Added again so that it is listed after the hidden option, as on the top level.
      child_app->set_help_flag("-h,--help", "Print this help message and exit");
      to_build.emplace_back(&child.full(), child_app);
    }
    levels_.push_back(std::move(level));
    for (const auto& [child, child_app] : to_build) add_level(*child, child_app, child_prefix);
  }

  Binding* bind(CLI::App& app, const Argument& argument) {
    Binding& binding = bindings_.emplace_back();
    binding.argument = &argument;
    if (argument.type == ValueType::Flag) {
      binding.option = app.add_flag(argument.option, binding.given, argument.help)
                           ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
      return &binding;
    }
    const std::string name = argument.option.empty() ? argument.value_name : argument.option;
    CLI::Option* option = app.add_option(name, binding.text, argument.help);
    // A positional is shown by its value name already; an option shows it after its name.
    option->type_name(argument.option.empty() ? std::string() : argument.value_name);
    if (argument.required) option->required();
    if (argument.default_value) option->default_str(*argument.default_value);
    switch (argument.type) {
      case ValueType::Text:
      case ValueType::Path:
        option->check(utf8_text());
        break;
      case ValueType::Uint32:
        option->transform(decimal<std::uint32_t>("an unsigned 32-bit integer"));
        break;
      case ValueType::Int64:
        option->transform(decimal<std::int64_t>("a signed 64-bit integer"));
        break;
      case ValueType::Flag:
        break;
    }
    if (argument.check) {
      option->check(CLI::Validator(
          [check = argument.check](std::string& text) { return check(text); }, "", "CHECK"));
    }
    binding.option = option;
    return &binding;
  }

  static void store(const Binding& binding, Values& values) {
    const Argument& argument = *binding.argument;
    if (binding.option->count() > 0) {
      values.set(argument.id, argument.type == ValueType::Flag ? std::string() : binding.text);
    } else {
      values.set(argument.id, argument.default_value);
    }
  }

  const Level* level_of(const CLI::App* app) const {
    for (const Level& level : levels_) {
      if (level.app == app) return &level;
    }
    return nullptr;
  }

  CLI::App app_;
  Scope scope_;
  std::deque<Binding> bindings_;
  std::deque<Level> levels_;
  CLI::App* bare_level_ = nullptr;
  std::string bare_level_prefix_;
};

}  // namespace

std::variant<Parsed, int> parse(const Program& program, std::span<const std::string> args,
                                std::ostream& out, std::ostream& err, bool build_everything) {
  const Scope scope = scope_of(*program.root, args);
  std::vector<std::string> prepared;
  try {
    prepared = prepare_arguments(args, OptionNames(*program.root, scope));
  } catch (const CLI::ParseError& e) {
    return CLI::App(program.root->help, program.name).exit(e, out, err) == 0 ? 0 : 2;
  }
  Builder builder(program, build_everything ? Scope{Scope::Kind::Everything} : scope);
  CLI::App& app = builder.app();
  try {
    app.parse(std::move(prepared));
  } catch (const CLI::ParseError& e) {
    const std::string kind = e.get_name();
    if (kind == "CallForHelp" || kind == "CallForAllHelp" || kind == "CallForVersion") {
      return app.exit(e, out, err);
    }
    if (kind == "RequiredError" && builder.bare_level() != nullptr) {
      err << builder.bare_level()->help(builder.bare_level_prefix());
      return 2;
    }
    // An unknown subcommand is reported by the library as a missing one.
    if (kind == "RequiredError" && !app.remaining().empty()) {
      auto extras = app.remaining();
      std::reverse(extras.begin(), extras.end());  // the library lists extras back to front
      app.exit(CLI::ExtrasError(extras), out, err);
      return 2;
    }
    app.exit(e, out, err);
    return 2;
  }
  return builder.collect();
}

}  // namespace quillo::grammar
