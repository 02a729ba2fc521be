// The parser: process arguments in, the chosen subcommand and its values out, or help, the
// version or a usage error that says what to do next.
#include "core/grammar.hpp"

#include <algorithm>
#include <charconv>
#include <limits>
#include <type_traits>

#include "core/suggestion.hpp"
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

namespace {

// Plain decimal text in the type's range, with an optional leading '+': no base prefixes, no
// white space, no saturation.
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

template <class T>
std::string range_problem(const Argument& argument, const std::string& text) {
  if (parse_decimal<T>(text)) return {};
  return "'" + text + "' is not " + (argument.unit.empty() ? "a whole number" : argument.unit) +
         " from " + std::to_string(std::numeric_limits<T>::min()) + " to " +
         std::to_string(std::numeric_limits<T>::max());
}

// What is wrong with a value of `argument`, or the empty text.
std::string value_problem(const Argument& argument, const std::string& value) {
  switch (argument.type) {
    case ValueType::Uint32:
      return range_problem<std::uint32_t>(argument, value);
    case ValueType::Int64:
      return range_problem<std::int64_t>(argument, value);
    case ValueType::Flag:
      return {};
    case ValueType::Text:
    case ValueType::Path:
      if (!is_valid_utf8(value)) return "invalid UTF-8 in value";
      break;
  }
  return argument.check ? argument.check(value) : std::string();
}

bool looks_like_option(const std::string& word) { return word.size() > 1 && word.front() == '-'; }

std::string joined(const std::vector<std::string>& words, const char* separator) {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : separator) + word;
  return text;
}

// A usage error: its message, what the user may have meant, and where it arose (for the help
// to point to).
struct UsageError {
  std::string message;
  std::vector<std::string> suggestions;
  std::size_t depth = 0;  ///< of the command on the path whose help to run
};

class Parser {
 public:
  Parser(const Program& program, std::span<const std::string> args, const ParseSettings& settings)
      : program_(program), args_(args), settings_(settings) {
    nodes_.push_back(program.root);
  }

  std::variant<Parsed, int> run(Sink& out, Sink& err) {
    scan();
    if (version_) {
      out << program_.name << ' ' << program_.version << '\n';
      return 0;
    }
    if (help_) {
      out << help_text(program_, path_);
      return 0;
    }
    if (!error_ && !extras_.empty()) {
      fail(std::string("The following argument") + (extras_.size() > 1 ? "s were" : " was") +
           " not expected: " + joined(extras_, " "));
    }
    if (!error_ && current().child_count() > 0) {
      err << help_text(program_, path_);
      return 2;
    }
    if (!error_) check_required();
    if (!error_) read_files();
    if (error_) {
      report(*error_, err);
      return 2;
    }
    return Parsed{path_, values()};
  }

 private:
  // Where one argument of the path was given, and its text.
  struct Given {
    const Argument* argument;
    std::string text;
    bool from_file = false;  ///< `text` names the file to read the value from
  };

  const NodeBase& current() const { return *nodes_.back(); }

  void fail(std::string message, std::vector<std::string> suggestions = {}) {
    if (!error_) error_ = UsageError{std::move(message), std::move(suggestions), nodes_.size() - 1};
  }

  void scan() {
    bool options_ended = false;
    for (std::size_t i = 0; i < args_.size(); ++i) {
      const std::string& arg = args_[i];
      if (!options_ended && arg == "--") {
        options_ended = true;
      } else if (!options_ended && looks_like_option(arg)) {
        i += option(arg, i + 1 < args_.size() ? &args_[i + 1] : nullptr);
      } else {
        word(arg, options_ended);
      }
    }
  }

  // An argument that begins with a hyphen; returns how many arguments after it it used.
  std::size_t option(const std::string& arg, const std::string* next) {
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const bool version = (name == "-V" || name == "--version") && nodes_.size() == 1;
    if (name == "-h" || name == "--help" || version) {
      if (equals != std::string::npos) {
        fail(name + ": this flag takes no value");
      } else {
        (version ? version_ : help_) = true;
      }
      return 0;
    }
    bool from_file = false;
    const Argument* argument = find_option(name, from_file);
    if (argument == nullptr) {
      fail("The following argument was not expected: " + name, nearest_words(name, option_names()));
      return 0;
    }
    if (argument->type == ValueType::Flag) {
      if (equals != std::string::npos) fail(name + ": this flag takes no value");
      record(*argument, name, "", false);
      return 0;
    }
    if (equals != std::string::npos) {
      record(*argument, name, arg.substr(equals + 1), from_file);
      return 0;
    }
    if (next == nullptr || looks_like_option(*next)) {
      fail(name + ": a value is required (one that begins with '-' is written " + name + "=VALUE)");
      return 0;
    }
    record(*argument, name, *next, from_file);
    return 1;
  }

  // A word that is not an option: a subcommand of a group, else the next positional.
  void word(const std::string& word, bool options_ended) {
    const NodeBase& node = current();
    if (node.child_count() > 0 && !options_ended) {
      std::vector<std::string> names;
      for (std::size_t i = 0; i < node.child_count(); ++i) {
        if (node.child(i).name == word) {
          path_.push_back(i);
          nodes_.push_back(&node.child(i).full());
          return;
        }
        names.push_back(node.child(i).name);
      }
      fail("The following argument was not expected: " + word, nearest_words(word, names));
      return;
    }
    // The first positional not typed yet (one given as a file takes the word, to refuse both).
    for (const Argument& argument : node.arguments) {
      const Given* given = argument.option.empty() ? find_given(argument) : nullptr;
      if (argument.option.empty() && (given == nullptr || given->from_file)) {
        record(argument, argument.value_name, word, false);
        return;
      }
    }
    extras_.push_back(word);
  }

  // The option `name` of the current command or a level above it (the global options are
  // the top level's), or nullptr; `from_file` tells whether it is an argument's file form.
  const Argument* find_option(const std::string& name, bool& from_file) const {
    for (auto node = nodes_.rbegin(); node != nodes_.rend(); ++node) {
      for (const Argument& argument : (*node)->arguments) {
        if (!argument.option.empty() && argument.option == name) return &argument;
        if (!argument.file_option.empty() && argument.file_option == name) {
          from_file = true;
          return &argument;
        }
      }
    }
    return nullptr;
  }

  std::vector<std::string> option_names() const {
    std::vector<std::string> names{"--help"};
    if (nodes_.size() == 1) names.emplace_back("--version");
    for (const NodeBase* node : nodes_) {
      for (const Argument& argument : node->arguments) {
        for (const std::string* name : {&argument.option, &argument.file_option}) {
          if (!name->empty()) names.push_back(*name);
        }
      }
    }
    return names;
  }

  Given* find_given(const Argument& argument) {
    const auto it = std::find_if(given_.begin(), given_.end(),
                                 [&](const Given& g) { return g.argument == &argument; });
    return it == given_.end() ? nullptr : &*it;
  }

  void record(const Argument& argument, const std::string& name, std::string text, bool from_file) {
    if (const Given* earlier = find_given(argument)) {
      if (earlier->from_file == from_file) {
        fail(name + ": given more than once");
      } else {
        fail(argument.name() + " and " + argument.file_option + " cannot be given together");
      }
      return;
    }
    if (!from_file) {
      if (const std::string problem = value_problem(argument, text); !problem.empty()) {
        fail(name + ": " + problem);
      }
    }
    given_.push_back({&argument, std::move(text), from_file});
  }

  // The values given as files become the files' content, checked as a typed value would be.
  // (No command has two file forms, so standard input is never wanted twice.)
  void read_files() {
    for (Given& given : given_) {
      if (!given.from_file) continue;
      const Argument& argument = *given.argument;
      const bool standard_input = given.text == "-";
      const std::string source = standard_input ? "standard input" : "'" + given.text + "'";
      auto content = standard_input && settings_.standard_input_closed
                         ? Result<std::string>(Error{"Bad file descriptor"})
                         : read_argument_file(given.text, settings_.max_file_bytes);
      if (!content.ok()) {
        fail(argument.file_option + ": cannot read " + source + ": " + content.error());
        return;
      }
      if (!is_valid_utf8(content.value())) {
        fail(argument.file_option + ": " + source + " is not valid UTF-8");
        return;
      }
      if (const std::string problem = value_problem(argument, content.value()); !problem.empty()) {
        fail(argument.file_option + ": " + source + ": " + problem);
        return;
      }
      given.text = std::move(content.value());
      given.from_file = false;
    }
  }

  void check_required() {
    for (const NodeBase* node : nodes_) {
      for (const Argument& argument : node->arguments) {
        if (!argument.required || find_given(argument) != nullptr) continue;
        fail(argument.file_option.empty()
                 ? argument.name() + " is required"
                 : argument.name() + " or " + argument.file_option + " is required");
        return;
      }
    }
  }

  Values values() {
    Values values;
    for (const NodeBase* node : nodes_) {
      for (const Argument& argument : node->arguments) {
        const Given* given = find_given(argument);
        values.set(argument.id, given != nullptr ? std::optional(given->text) : argument.default_value);
      }
    }
    return values;
  }

  void report(const UsageError& error, Sink& err) const {
    err << error.message << '\n';
    if (!error.suggestions.empty()) err << "Did you mean '" << joined(error.suggestions, "' or '") << "'?\n";
    err << "Run '" << program_.name;
    for (std::size_t level = 1; level <= error.depth; ++level) err << ' ' << nodes_[level]->name;
    err << " --help' for more information.\n";
  }

  const Program& program_;
  std::span<const std::string> args_;
  ParseSettings settings_;
  std::vector<const NodeBase*> nodes_;  ///< the root, then each subcommand chosen
  std::vector<std::size_t> path_;       ///< the child index of each subcommand chosen
  std::vector<Given> given_;
  std::vector<std::string> extras_;
  std::optional<UsageError> error_;
  bool help_ = false;
  bool version_ = false;
};

}  // namespace

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

std::optional<std::uint32_t> Values::maybe_uint32(std::string_view id) const {
  const auto text = maybe_text(id);
  return text ? parse_decimal<std::uint32_t>(*text) : std::nullopt;
}

std::optional<std::int64_t> Values::maybe_int64(std::string_view id) const {
  const auto text = maybe_text(id);
  return text ? parse_decimal<std::int64_t>(*text) : std::nullopt;
}

std::variant<Parsed, int> parse(const Program& program, std::span<const std::string> args,
                                Sink& out, Sink& err, const ParseSettings& settings) {
  return Parser(program, args, settings).run(out, err);
}

}  // namespace quillo::grammar
