#pragma once
// The program's top level: its group of every family's commands and the global options, the
// parsed command line, the mapping of a command to its request, and the run driver.

#include <optional>
#include <span>
#include <string>
#include <variant>

#include "core/argument_parser.hpp"
#include "core/environment.hpp"
#include "core/method_target.hpp"
#include "core/result.hpp"
#include "core/sink.hpp"
#include "core/socket_path.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {

class ExchangeCancel;

/// The program: its name, its version and every command.
const Program& program();

/// The parsed command line.
struct Cli {
  std::optional<std::string> socket;  ///< --socket
  bool json = false;                  ///< --json
  NodeRef command;                    ///< the chosen command
  Values values;                      ///< of its arguments
};

/// Parses the arguments (without the program name). On a usage error, --help or --version the
/// parser has printed (help and version on `out`, errors on `err`) and the exit status is
/// returned instead.
std::variant<Cli, int> parse_cli(std::span<const std::string> args, Sink& out, Sink& err,
                                 const ParseSettings& settings = {});

/// The method and parameters of the command. Pure: reads neither environment nor files.
MethodTarget to_target(const Cli& cli);

/// What a run takes from the outside world; tests replace any of it.
struct RunSettings {
  EnvGetter env = process_environment();
  BundleLookup bundle_lookup;
  ExchangeTimeouts base_timeouts;
  /// Standard output is a terminal: the human renderings show control characters rather
  /// than let the text of a reply act on the terminal. --json prints the same either way.
  bool terminal_output = false;
  /// A terminal (standard error, when it is one) on which a line tells of a reply that keeps
  /// the run waiting, erased when the wait is over; none: nothing is told.
  Sink* status = nullptr;
  /// Ends the exchange from another thread: the MCP server's cancellation of a call. The
  /// command line leaves it empty.
  ExchangeCancel* cancel = nullptr;
};

/// Resolves the socket, sends the command's request, prints the result on `out`; or does what
/// a local command does.
MaybeError run(const Cli& cli, Sink& out, const RunSettings& settings = {});

}  // namespace quillo
