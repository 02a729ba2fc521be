#include "cli.hpp"

#include "commands/browser.hpp"
#include "commands/comments.hpp"
#include "commands/file.hpp"
#include "commands/introspection.hpp"
#include "commands/roost.hpp"
#include "commands/shelf.hpp"
#include "commands/shortcut.hpp"
#include "commands/terminal.hpp"
#include "commands/todo.hpp"
#include "completion/completion.hpp"
#include "core/channel.hpp"
#include "core/client_env.hpp"
#include "core/json_writer.hpp"
#include "core/output.hpp"
#include "core/status_line.hpp"
#include "core/text.hpp"
#include "core/version.hpp"
#include "mcp/command.hpp"

namespace quillo {
namespace {

// An empty path would name no socket at all.
MaybeError not_empty(std::string_view path) {
  if (path.empty()) return Error{"value must not be empty"};
  return std::nullopt;
}

constexpr Argument kGlobalArguments[] = {
    option("--socket", "SOCKET", "Override the Unix socket path (default: $QUILLO_SOCKET or bundle-scoped path)")
        .of_type(ValueType::Path)
        .checked_by(not_empty),
    flag("--json", "Print machine-readable JSON instead of a human-readable summary"),
};

// Every family, in the order of the help, then the program's own commands.
constexpr Entry kEntries[] = {
    spliced(introspection::kTable),
    Entry(shelf::kTable, shelf::kName, shelf::kHelp),
    Entry(terminal::kTable, terminal::kName, terminal::kHelp),
    Entry(file::kTable, file::kName, file::kHelp),
    Entry(shortcut::kTable, shortcut::kName, shortcut::kHelp),
    Entry(browser::kTable, browser::kName, browser::kHelp),
    Entry(roost::kTable, roost::kName, roost::kHelp),
    Entry(comments::kTable, comments::kName, comments::kHelp),
    Entry(todo::kTable, todo::kName, todo::kHelp),
    Entry(completion::kCommand),
    // The other front ends: they serve the families above rather than being one.
    spliced(mcp::kTable),
};

constexpr Example kExamples[] = {
    {"quillo ping", "ok  Quillo 2.3.0 (build 812)  protocol=1"},
    {"quillo --json terminal list",
     "{\"terminals\":[{\"cwd\":\"/Users/me/app\",\"focused\":true,\"is_caller\":true,\"terminal_id\":\"term-1\","
     "\"title\":\"zsh\"}]}"},
};

constexpr Group kProgram{
    .name = "quillo",
    .help = "Quillo IDE agent CLI",
    .entries = kEntries,
    .examples = kExamples,
    .arguments = kGlobalArguments,
};

constexpr Table kTable = compile<kProgram>();

// The method the command sends: its own, or the one typed as its argument "method" (which the
// table makes sure such a command declares).
std::string typed_or_fixed_method(const Cli& cli) {
  if (!cli.command.method_is_typed()) return std::string(cli.command.method());
  for (std::size_t i = 0; i < cli.command.argument_count(); ++i) {
    if (cli.command.argument(i).id() == Method::kArgument) return cli.values[i].value_or("");
  }
  return {};
}

// "12 s": a time in whole seconds, rounded down or up.
std::string whole_seconds(std::chrono::milliseconds time, bool up = false) {
  return std::to_string((time.count() + (up ? 999 : 0)) / 1000) + " s";
}

}  // namespace

const Program& program() {
  static constexpr Program kQuillo{"quillo", kVersion, kTable.root()};
  return kQuillo;
}

std::variant<Cli, int> parse_cli(std::span<const std::string> args, Sink& out, Sink& err,
                                 const ParseSettings& settings) {
  auto parsed = parse_arguments(program(), args, out, err, settings);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  auto& result = std::get<Parsed>(parsed);
  Cli cli = read_values<kGlobalArguments>(result.globals, [](std::optional<std::string_view> socket, bool json) {
    Cli globals;
    if (socket) globals.socket = std::string(*socket);
    globals.json = json;
    return globals;
  });
  cli.command = result.command();
  cli.values = std::move(result.values);
  return cli;
}

MethodTarget to_target(const Cli& cli) { return {typed_or_fixed_method(cli), cli.command.params()(cli.values)}; }

MaybeError run(const Cli& cli, Sink& out, const RunSettings& settings) {
  if (const LocalFunction local = cli.command.local()) return local(cli, out, settings);
  const auto socket_path = resolve_socket_path(cli.socket, settings.env, settings.bundle_lookup);
  if (!socket_path.ok()) return Error{socket_path.error()};
  const ChannelClientEnv client_env = read_client_env(settings.env);
  const MethodTarget target = to_target(cli);
  // A raw call is read, waited for and rendered as the command that sends its method would be.
  const NodeRef declared = cli.command.method_is_typed() ? find_method(program().root, target.method) : cli.command;
  const ExchangeTimeouts timeouts =
      timeouts_for(target, declared.valid() ? declared.wait_unit_ms() : 0, settings.base_timeouts);
  const StatusLine status(settings.status);
  const WaitProgress progress = [&](std::chrono::milliseconds waited, std::chrono::milliseconds allowed, bool over) {
    if (over) {
      status.clear();
    } else {
      status.show("waiting for the IDE: " + visible_controls(target.method),
                  ", " + whole_seconds(waited) + " of " + whole_seconds(allowed, true));
    }
  };
  const ExchangeHooks hooks{settings.status != nullptr ? progress : WaitProgress(), settings.cancel};
  auto result = send_request(socket_path.value(), target, client_env, timeouts, hooks);
  if (!result.ok()) return Error{result.error()};
  if (cli.json) {
    // Written as it is read: no value is built, however large the reply.
    write_json(result.value().result(), out, {.for_terminal = settings.terminal_output});
    out << '\n';
    return std::nullopt;
  }
  TerminalSink terminal(out);
  const RenderingRef rendering = declared.valid() ? declared.rendering() : rendering_for(program().root, target.method);
  render(rendering, result.value().result(), settings.terminal_output ? terminal : out);
  return std::nullopt;
}

}  // namespace quillo
