#pragma once
// The process arguments in, over the command table: the chosen command and its values, or help,
// the version or a usage error that says what to do next.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/argument_file.hpp"
#include "core/command_table.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo {

struct Program {
  std::string_view name;
  std::string_view version;
  /// Its help is the about text; its arguments are the global options.
  NodeRef root;
};

/// The chosen command and the values of its arguments and of the global options.
struct Parsed {
  std::vector<NodeRef> path;  ///< the root, then each subcommand chosen
  Values globals;             ///< of the root's arguments
  Values values;              ///< of the command's arguments
  NodeRef command() const { return path.back(); }
};

/// What a parse that reads argument files needs to know.
struct ParseSettings {
  std::size_t max_file_bytes = kMaxArgumentFileBytes;
  /// Standard input was closed when the program started (and is /dev/null now): "-" is an
  /// error rather than empty text.
  bool standard_input_closed = false;
};

/// Parses `args` (without the program name). On a usage error, --help or --version the parser
/// prints (help and version on `out`, the rest on `err`) and returns the exit status instead.
std::variant<Parsed, int> parse_arguments(const Program& program, std::span<const std::string> args,
                                          Sink& out, Sink& err, const ParseSettings& settings = {});

/// What is wrong with `value` for `argument`, beyond its presence.
MaybeError value_problem(const ArgumentRef& argument, std::string_view value);

}  // namespace quillo
