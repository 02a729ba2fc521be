#pragma once
// The program's top level: the parsed command line, the grammar of every family, the mapping
// of a command to its request, and the run driver.

#include <optional>
#include <span>
#include <string>
#include <variant>

#include "commands/browser.hpp"
#include "commands/comments.hpp"
#include "commands/file.hpp"
#include "commands/introspection.hpp"
#include "commands/roost.hpp"
#include "commands/shelf.hpp"
#include "commands/shortcut.hpp"
#include "commands/terminal.hpp"
#include "commands/todo.hpp"
#include "core/channel.hpp"
#include "core/environment.hpp"
#include "core/method_target.hpp"
#include "core/result.hpp"
#include "core/sink.hpp"
#include "core/socket_path.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {

/// One alternative per top-level subcommand, in the order of the help.
using Command = std::variant<Ping, Whoami, Help, ShelfCommand, TerminalCommand, FileCommand,
                             ShortcutCommand, BrowserCommand, RoostCommand, CommentsCommand,
                             TodoCommand>;

/// The parsed command line.
struct Cli {
  std::optional<std::string> socket;  ///< --socket
  Command command;
  bool json = false;  ///< --json
};

/// The whole command grammar: the top level with its global options, and every family's group.
grammar::Node<Command> command_tree();

/// Parses the arguments (without the program name). On a usage error, --help or --version the
/// parser has printed (help and version on `out`, errors on `err`) and the exit status is
/// returned instead.
std::variant<Cli, int> parse_cli(std::span<const std::string> args, Sink& out, Sink& err,
                                 const grammar::ParseSettings& settings = {});

/// The method and parameters of one command. Pure: reads neither environment nor files.
MethodTarget to_target(const Command& command);

/// The methods whose "timeout" asks the IDE to wait, with its unit: their replies are read
/// for as long as the wait lasts.
std::span<const WaitRule> wait_rules();

/// What a run takes from the outside world; tests replace any of it.
struct RunSettings {
  EnvGetter env = process_environment();
  BundleLookup bundle_lookup;
  ExchangeTimeouts base_timeouts;
  /// Standard output is a terminal: the human renderings show control characters rather
  /// than let the text of a reply act on the terminal. --json prints the same either way.
  bool terminal_output = false;
};

/// Resolves the socket, sends the command's request, prints the result on `out`.
MaybeError run(const Cli& cli, Sink& out, const RunSettings& settings = {});

}  // namespace quillo
