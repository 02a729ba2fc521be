#include "commands/terminal.hpp"

#include "core/json_document.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::terminal {
namespace {

// ---- Parameters: the typed values of each command's arguments in, the request's params out.

Json create(std::optional<std::string_view> cwd, std::optional<std::string_view> name) {
  return {{"cwd", string_or_null(cwd)}, {"name", string_or_null(name)}};
}

Json send(std::string_view text, std::string_view terminal_id, bool submit) {
  return {{"submit", submit}, {"terminal_id", terminal_id}, {"text", text}};
}

Json send_key(std::string_view key, std::string_view terminal_id) {
  return {{"key", key}, {"terminal_id", terminal_id}};
}

Json close(std::string_view terminal_id) { return {{"terminal_id", terminal_id}}; }

Json wait(std::optional<std::string_view> text, bool exit, std::uint32_t timeout,
          std::optional<std::string_view> terminal_id) {
  return {{"exit", exit},
          {"terminal_id", string_or_null(terminal_id)},
          {"text", string_or_null(text)},
          {"timeout", timeout}};
}

// ---- Renderings of the results.

void print_terminal(const JsonView& entry, Sink& out) {
  const Members m(entry);
  out << (m.is_true("focused") ? '*' : ' ') << (m.is_true("is_caller") ? '@' : ' ') << ' '
      << m.text_or("terminal_id", "?") << "  " << m.text_or("title", "?") << "  " << m.text_or("cwd", "?") << '\n';
}

void render_create(const JsonView& result, Sink& out) {
  out << "created: " << Members(result).text_or("terminal_id", "?") << '\n';
}

// "ok", whatever the result holds.
void render_ok(const JsonView&, Sink& out) { out << "ok\n"; }

void render_wait(const JsonView& result, Sink& out) {
  const Members m(result);
  const auto exit_code = m["exit_code"];
  if (!m.is_true("matched")) {
    out << "timeout\n";
  } else if (m.has_text("text")) {
    out << "matched: " << m.text_or("text", "") << '\n';
  } else if (const auto code = exit_code ? exit_code->as_int64() : std::nullopt) {
    out << "exited: " << *code << '\n';
  } else {
    out << "matched\n";
  }
}

// ---- The commands.

constexpr std::string_view kRequiredIdHelp = "Tagged or bare terminal UUID (required)";

constexpr Argument terminal_id(std::string_view help) {
  return option("--terminal-id", "TERMINAL_ID", help)
      .listed_in("terminal list", "terminal_id", "{title}  {cwd}");
}

constexpr Example kListExamples[] = {
    {"quillo terminal list", "*@ term-1  zsh  /Users/me/app\n   term-2  build  /Users/me/app"}};
constexpr Command kList{
    .name = "list",
    .help = "List all terminals in the focused roost",
    .examples = kListExamples,
    .method = "terminal.list",
    .effect = Effect::Reads,
    .rendering = list_of("terminals", "(no terminals)", print_terminal),
    .params = no_params,
};

constexpr Argument kCreateArguments[] = {
    option("--cwd", "CWD", "Absolute path for the working directory").of_type(ValueType::Path),
    option("--name", "NAME", "Custom tab title"),
};
constexpr Example kCreateExamples[] = {
    {"quillo terminal create --name build --cwd /Users/me/app", "created: term-2"}};
constexpr Command kCreate{
    .name = "create",
    .help = "Spawn a new terminal",
    .arguments = kCreateArguments,
    .examples = kCreateExamples,
    .method = "terminal.create",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_create),
    .params = bind<kCreateArguments, create>,
};

constexpr Argument kSendArguments[] = {
    positional("text", "TEXT", "Text to send").or_from_file("--text-file"),
    terminal_id(kRequiredIdHelp).require(),
    flag("--submit", "Append newline after text"),
};
constexpr Example kSendExamples[] = {
    {"quillo terminal send 'make test' --terminal-id term-2 --submit", "ok"},
    {"quillo terminal send --text-file setup.sh --terminal-id term-2", "ok"}};
constexpr Command kSend{
    .name = "send",
    .help = "Inject text into a terminal",
    .arguments = kSendArguments,
    .examples = kSendExamples,
    .method = "terminal.send",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_ok),
    .params = bind<kSendArguments, send>,
};

constexpr Argument kSendKeyArguments[] = {
    positional("key", "KEY", "Key name"),
    terminal_id(kRequiredIdHelp).require(),
};
constexpr Example kSendKeyExamples[] = {{"quillo terminal send-key Ctrl+C --terminal-id term-2", "ok"}};
constexpr Command kSendKey{
    .name = "send-key",
    .help = "Send a named key event (Enter, Ctrl+C, Tab, arrows, etc.)",
    .arguments = kSendKeyArguments,
    .examples = kSendKeyExamples,
    .method = "terminal.send_key",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_ok),
    .params = bind<kSendKeyArguments, send_key>,
};

constexpr Argument kCloseArguments[] = {terminal_id(kRequiredIdHelp).require()};
constexpr Example kCloseExamples[] = {{"quillo terminal close --terminal-id term-2", "ok"}};
constexpr Command kClose{
    .name = "close",
    .help = "Close a terminal",
    .arguments = kCloseArguments,
    .examples = kCloseExamples,
    .method = "terminal.close",
    .effect = Effect::Removes,
    .rendering = rendered_by(render_ok),
    .idempotent = true,
    .params = bind<kCloseArguments, close>,
};

constexpr Argument kWaitArguments[] = {
    option("--text", "TEXT", "Wait until this substring appears in output"),
    flag("--wait-exit", "Wait until the terminal process exits").named("exit"),
    option("--timeout", "TIMEOUT", "Seconds to wait (1-600)")
        .of_type(ValueType::Uint32)
        .counting("a whole number of seconds")
        .with_default("30"),
    terminal_id("Tagged or bare terminal UUID"),
};
constexpr Example kWaitExamples[] = {
    {"quillo terminal wait --text ready --timeout 120 --terminal-id term-2", "matched: ready"},
    {"quillo terminal wait --wait-exit --terminal-id term-2 --json", "{\"exit_code\":0,\"matched\":true}"}};
constexpr Command kWait{
    .name = "wait",
    .help = "Block until output matches text or the process exits",
    .arguments = kWaitArguments,
    .examples = kWaitExamples,
    .method = "terminal.wait",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_wait),
    .wait_unit_ms = 1000,  // its timeout is in seconds
    .params = bind<kWaitArguments, wait>,
};

constexpr Entry kCommands[] = {kList, kCreate, kSend, kSendKey, kClose, kWait};
constexpr Example kExamples[] = {
    {"quillo terminal send 'npm test' --terminal-id term-2 --submit", "ok"},
    {"quillo terminal wait --text passing --timeout 120 --terminal-id term-2", "matched: passing"}};
constexpr Group kGroup{.name = kName, .help = kHelp, .entries = kCommands, .examples = kExamples};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::terminal
