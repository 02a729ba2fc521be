#include "core/argument_parser.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/help_layout.hpp"
#include "core/suggestion.hpp"
#include "core/text.hpp"

namespace quillo {
namespace {

template <class Integer>
MaybeError range_problem(const ArgumentRef& argument, std::string_view text) {
  if (parse_decimal<Integer>(text)) return std::nullopt;
  const std::string_view unit = argument.unit().empty() ? "a whole number" : argument.unit();
  return Error{"'" + std::string(text) + "' is not " + std::string(unit) + " from " +
               std::to_string(std::numeric_limits<Integer>::min()) + " to " +
               std::to_string(std::numeric_limits<Integer>::max())};
}

bool looks_like_option(const std::string& word) { return word.size() > 1 && word.front() == '-'; }

template <class Words>
std::string joined(const Words& words, const char* separator) {
  std::string text;
  for (const auto& word : words) {
    if (!text.empty()) text += separator;
    text += word;
  }
  return text;
}

// A usage error: its message, what the user may have meant, and where it arose (for the help
// to point to).
struct UsageError {
  std::string message;
  std::vector<std::string_view> suggestions;
  std::size_t depth = 0;  ///< of the command on the path whose help to run
};

class ArgumentParser {
 public:
  ArgumentParser(const Program& program, std::span<const std::string> args,
                 const ParseSettings& settings)
      : program_(program), args_(args), settings_(settings) {
    path_.push_back(program.root);
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
    if (!error_ && current().is_group()) {
      err << help_text(program_, path_);
      return 2;
    }
    if (!error_) check_required();
    if (!error_) read_files();
    if (error_) {
      report(*error_, err);
      return 2;
    }
    Parsed parsed{path_, values_of(program_.root), values_of(current())};
    return parsed;
  }

 private:
  // One argument given on the command line, and its text.
  struct Given {
    ArgumentRef argument;
    std::string text;
    bool from_file = false;  ///< `text` names the file to read the value from
  };

  NodeRef current() const { return path_.back(); }

  void fail(std::string message, std::vector<std::string_view> suggestions = {}) {
    if (!error_) error_ = UsageError{std::move(message), std::move(suggestions), path_.size() - 1};
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
    const bool version = (name == "-V" || name == "--version") && path_.size() == 1;
    if (name == "-h" || name == "--help" || version) {
      if (equals != std::string::npos) {
        fail(name + ": this flag takes no value");
      } else {
        (version ? version_ : help_) = true;
      }
      return 0;
    }
    bool from_file = false;
    const std::optional<ArgumentRef> argument = find_option(name, from_file);
    if (!argument) {
      fail("The following argument was not expected: " + name, nearest_words(name, option_names()));
      return 0;
    }
    if (argument->type() == ValueType::Flag) {
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
    const NodeRef node = current();
    if (node.is_group() && !options_ended) {
      if (const NodeRef named = node.child_named(word); named.valid()) {
        path_.push_back(named);
        return;
      }
      std::vector<std::string_view> names;
      node.for_each_child([&](const NodeRef& child) { names.push_back(child.name()); });
      fail("The following argument was not expected: " + word, nearest_words(word, names));
      return;
    }
    // The first positional not typed yet (one given as a file takes the word, to refuse both).
    for (std::size_t i = 0; i < node.argument_count(); ++i) {
      const ArgumentRef argument = node.argument(i);
      if (!argument.is_positional()) continue;
      const Given* given = find_given(argument);
      if (given == nullptr || given->from_file) {
        record(argument, std::string(argument.value_name()), word, false);
        return;
      }
    }
    extras_.push_back(word);
  }

  // The option `name` of the current command or a level above it (the global options are the
  // top level's); `from_file` tells whether it is an argument's file form.
  std::optional<ArgumentRef> find_option(const std::string& name, bool& from_file) const {
    for (auto node = path_.rbegin(); node != path_.rend(); ++node) {
      for (std::size_t i = 0; i < node->argument_count(); ++i) {
        const ArgumentRef argument = node->argument(i);
        if (!argument.is_positional() && argument.option() == name) return argument;
        if (argument.file_option() == name) {
          from_file = true;
          return argument;
        }
      }
    }
    return std::nullopt;
  }

  std::vector<std::string_view> option_names() const {
    std::vector<std::string_view> names{"--help"};
    if (path_.size() == 1) names.emplace_back("--version");
    for (const NodeRef& node : path_) {
      for (std::size_t i = 0; i < node.argument_count(); ++i) {
        const ArgumentRef argument = node.argument(i);
        for (const std::string_view name : {argument.option(), argument.file_option()}) {
          if (!name.empty()) names.push_back(name);
        }
      }
    }
    return names;
  }

  Given* find_given(const ArgumentRef& argument) {
    const auto it = std::find_if(given_.begin(), given_.end(),
                                 [&](const Given& g) { return g.argument == argument; });
    return it == given_.end() ? nullptr : &*it;
  }

  void record(const ArgumentRef& argument, const std::string& name, std::string text, bool from_file) {
    if (const Given* earlier = find_given(argument)) {
      if (earlier->from_file == from_file) {
        fail(name + ": given more than once");
      } else {
        fail(std::string(argument.name()) + " and " + std::string(argument.file_option()) +
             " cannot be given together");
      }
      return;
    }
    if (!from_file) {
      if (const MaybeError problem = value_problem(argument, text)) fail(name + ": " + problem->message);
    }
    given_.push_back({argument, std::move(text), from_file});
  }

  // The values given as files become the files' content, checked as a typed value would be.
  // (No command has two file forms, so standard input is never wanted twice.)
  void read_files() {
    for (Given& given : given_) {
      if (!given.from_file) continue;
      const std::string file_option(given.argument.file_option());
      const bool standard_input = given.text == "-";
      const std::string source = standard_input ? "standard input" : "'" + given.text + "'";
      auto content = standard_input && settings_.standard_input_closed
                         ? Result<std::string>(Error{"Bad file descriptor"})
                         : read_argument_file(given.text, settings_.max_file_bytes);
      if (!content.ok()) {
        fail(file_option + ": cannot read " + source + ": " + content.error());
        return;
      }
      if (!is_valid_utf8(content.value())) {
        fail(file_option + ": " + source + " is not valid UTF-8");
        return;
      }
      if (const MaybeError problem = value_problem(given.argument, content.value())) {
        fail(file_option + ": " + source + ": " + problem->message);
        return;
      }
      given.text = std::move(content.value());
      given.from_file = false;
    }
  }

  void check_required() {
    for (const NodeRef& node : path_) {
      for (std::size_t i = 0; i < node.argument_count(); ++i) {
        const ArgumentRef argument = node.argument(i);
        if (!argument.required() || find_given(argument) != nullptr) continue;
        std::string message(argument.name());
        if (!argument.file_option().empty()) message += " or " + std::string(argument.file_option());
        fail(message + " is required");
        return;
      }
    }
  }

  Values values_of(const NodeRef& node) {
    Values values;
    for (std::size_t i = 0; i < node.argument_count(); ++i) {
      const ArgumentRef argument = node.argument(i);
      if (Given* given = find_given(argument)) {
        values[i] = std::move(given->text);
      } else if (const auto fallback = argument.default_value()) {
        values[i] = std::string(*fallback);
      }
    }
    return values;
  }

  void report(const UsageError& error, Sink& err) const {
    err << error.message << '\n';
    if (!error.suggestions.empty()) err << "Did you mean '" << joined(error.suggestions, "' or '") << "'?\n";
    err << "Run '" << program_.name;
    for (std::size_t level = 1; level <= error.depth; ++level) err << ' ' << path_[level].name();
    err << " --help' for more information.\n";
  }

  const Program& program_;
  std::span<const std::string> args_;
  ParseSettings settings_;
  std::vector<NodeRef> path_;  ///< the root, then each subcommand chosen
  std::vector<Given> given_;
  std::vector<std::string> extras_;
  std::optional<UsageError> error_;
  bool help_ = false;
  bool version_ = false;
};

}  // namespace

MaybeError value_problem(const ArgumentRef& argument, std::string_view value) {
  switch (argument.type()) {
    case ValueType::Uint32:
      return range_problem<std::uint32_t>(argument, value);
    case ValueType::Int64:
      return range_problem<std::int64_t>(argument, value);
    case ValueType::Flag:
      return std::nullopt;
    case ValueType::Text:
    case ValueType::Path:
      if (!is_valid_utf8(value)) return Error{"invalid UTF-8 in value"};
      break;
  }
  const Check check = argument.check();
  return check != nullptr ? check(value) : std::nullopt;
}

std::variant<Parsed, int> parse_arguments(const Program& program, std::span<const std::string> args,
                                          Sink& out, Sink& err, const ParseSettings& settings) {
  return ArgumentParser(program, args, settings).run(out, err);
}

}  // namespace quillo
