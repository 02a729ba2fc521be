#include "cli.hpp"

#include "core/client_env.hpp"
#include "core/version.hpp"
#include "core/wait_timeouts.hpp"
#include "print_human.hpp"

namespace quillo {

using grammar::Node;

namespace {

// A family's group, built only when the arguments name it.
template <class FamilyCommand>
Node<Command> family(const char* name, const char* help, Node<FamilyCommand> (*build)()) {
  return grammar::lazy_group<Command>(name, help,
                                      [build] { return grammar::lift<Command>(build()); });
}

}  // namespace

Node<Command> command_tree() {
  Node<Command> root =
      grammar::group<Command>("quillo", "Quillo IDE agent CLI",
                              grammar::lift<Command>(introspection::ping_grammar()),
                              grammar::lift<Command>(introspection::whoami_grammar()),
                              grammar::lift<Command>(introspection::help_grammar()),
                              family(shelf::kName, shelf::kHelp, &shelf::grammar),
                              family(terminal::kName, terminal::kHelp, &terminal::grammar),
                              family(file::kName, file::kHelp, &file::grammar),
                              family(shortcut::kName, shortcut::kHelp, &shortcut::grammar),
                              family(browser::kName, browser::kHelp, &browser::grammar),
                              family(roost::kName, roost::kHelp, &roost::grammar),
                              family(comments::kName, comments::kHelp, &comments::grammar),
                              family(todo::kName, todo::kHelp, &todo::grammar));
  grammar::Argument socket = grammar::option(
      "--socket", "SOCKET",
      "Override the Unix socket path (default: $QUILLO_SOCKET or bundle-scoped path)");
  socket.type = grammar::ValueType::Path;
  // An empty path would name no socket at all.
  socket.check = [](const std::string& path) {
    return path.empty() ? std::string("value must not be empty") : std::string();
  };
  root.arguments = {socket, grammar::flag("--json",
                                          "Print machine-readable JSON instead of a human-readable summary")};
  return root;
}

namespace {

struct Mapper {
  MethodTarget operator()(const Ping& c) const { return introspection::to_target(c); }
  MethodTarget operator()(const Whoami& c) const { return introspection::to_target(c); }
  MethodTarget operator()(const Help& c) const { return introspection::to_target(c); }
  MethodTarget operator()(const ShelfCommand& c) const { return shelf::to_target(c); }
  MethodTarget operator()(const TerminalCommand& c) const { return terminal::to_target(c); }
  MethodTarget operator()(const FileCommand& c) const { return file::to_target(c); }
  MethodTarget operator()(const ShortcutCommand& c) const { return shortcut::to_target(c); }
  MethodTarget operator()(const BrowserCommand& c) const { return browser::to_target(c); }
  MethodTarget operator()(const RoostCommand& c) const { return roost::to_target(c); }
  MethodTarget operator()(const CommentsCommand& c) const { return comments::to_target(c); }
  MethodTarget operator()(const TodoCommand& c) const { return todo::to_target(c); }
};

// The methods that ask the IDE to wait, and the unit of their "timeout".
constexpr WaitRule kWaitRules[] = {terminal::kWaitRule, browser::kWaitRule};

}  // namespace

std::span<const WaitRule> wait_rules() { return kWaitRules; }

std::variant<Cli, int> parse_cli(std::span<const std::string> args, Sink& out, Sink& err,
                                 const grammar::ParseSettings& settings) {
  static const Node<Command> root = command_tree();  // the same in every parse
  auto parsed = grammar::parse({"quillo", kVersion, &root}, args, out, err, settings);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const auto& result = std::get<grammar::Parsed>(parsed);
  return Cli{result.values.maybe_text("socket"), grammar::make_command(root, result),
             result.values.flag("json")};
}

MethodTarget to_target(const Command& command) { return std::visit(Mapper{}, command); }

MaybeError run(const Cli& cli, Sink& out, const RunSettings& settings) {
  const auto socket_path = resolve_socket_path(cli.socket, settings.env, settings.bundle_lookup);
  if (!socket_path.ok()) return Error{socket_path.error()};
  const ChannelClientEnv client_env = read_client_env(settings.env);
  const MethodTarget target = to_target(cli.command);
  const ExchangeTimeouts timeouts = timeouts_for(target, wait_rules(), settings.base_timeouts);
  if (cli.json) {
    // The result is printed as it was read: no value is built, however large the reply.
    auto text = send_request_for_text(socket_path.value(), target, client_env, timeouts);
    if (!text.ok()) return Error{text.error()};
    out << text.value() << '\n';
    return std::nullopt;
  }
  auto result = send_request_for_result(socket_path.value(), target, client_env, timeouts);
  if (!result.ok()) return Error{result.error()};
  TerminalSink terminal(out);
  print_human(target.method, result.value().text(), settings.terminal_output ? terminal : out);
  return std::nullopt;
}

}  // namespace quillo
