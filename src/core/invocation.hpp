#pragma once
// One invocation of a command, as any front end makes it: the command with its parsed values,
// and what its run takes from the outside world.

#include <optional>
#include <string>

#include "core/command_table.hpp"
#include "core/environment.hpp"
#include "core/socket_path.hpp"
#include "core/values.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {

class ExchangeCancel;
class Sink;

/// The parsed command line (or an MCP call read as one).
struct Cli {
  std::optional<std::string> socket;  ///< --socket
  bool json = false;                  ///< --json
  NodeRef command;                    ///< the chosen command
  Values values;                      ///< of its arguments
};

/// What a run takes from the outside world; tests replace any of it.
struct RunSettings {
  EnvGetter env = process_environment();
  BundleLookup bundle_lookup;
  ExchangeTimeouts base_timeouts;
  /// Standard output is a terminal: the human renderings show control characters rather than
  /// let the text of a reply act on the terminal, and --json escapes those that JSON leaves raw.
  bool terminal_output = false;
  /// A terminal (standard error, when it is one) on which a line tells of a reply that keeps
  /// the run waiting, erased when the wait is over; none: nothing is told.
  Sink* status = nullptr;
  /// Ends the exchange from another thread: the MCP server's cancellation of a call. The
  /// command line leaves it empty.
  ExchangeCancel* cancel = nullptr;
};

}  // namespace quillo
