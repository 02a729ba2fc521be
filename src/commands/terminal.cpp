#include "commands/terminal.hpp"

#include "core/output.hpp"

namespace quillo::terminal {
namespace {

using grammar::option;
using grammar::Values;
using grammar::ValueType;

grammar::Argument terminal_id_option(std::string help) {
  return option("--terminal-id", "TERMINAL_ID", std::move(help)).listed_in("terminal list", "terminal_id");
}

struct Mapper {
  MethodTarget operator()(const List&) const { return {"terminal.list", Json::object()}; }
  MethodTarget operator()(const Create& c) const {
    return {"terminal.create", {{"cwd", string_or_null(c.cwd)}, {"name", string_or_null(c.name)}}};
  }
  MethodTarget operator()(const Send& s) const {
    return {"terminal.send",
            {{"submit", s.submit}, {"terminal_id", s.terminal_id}, {"text", s.text}}};
  }
  MethodTarget operator()(const SendKey& k) const {
    return {"terminal.send_key", {{"key", k.key}, {"terminal_id", k.terminal_id}}};
  }
  MethodTarget operator()(const Close& c) const {
    return {"terminal.close", {{"terminal_id", c.terminal_id}}};
  }
  MethodTarget operator()(const Wait& w) const {
    return {"terminal.wait",
            {{"exit", w.exit},
             {"terminal_id", string_or_null(w.terminal_id)},
             {"text", string_or_null(w.text)},
             {"timeout", w.timeout}}};
  }
};

}  // namespace

grammar::Node<TerminalCommand> grammar() {
  using grammar::leaf;
  const char* const kRequiredIdHelp = "Tagged or bare terminal UUID (required)";
  return grammar::group<TerminalCommand>(
      kName, kHelp,
      leaf<TerminalCommand>("list", "List all terminals in the focused roost", {},
                            [](const Values&) { return List{}; })
          .example("quillo terminal list",
                   "*@ term-1  zsh  /Users/me/app\n   term-2  build  /Users/me/app"),
      leaf<TerminalCommand>("create", "Spawn a new terminal",
                            {option("--cwd", "CWD", "Absolute path for the working directory")
                                 .of_type(ValueType::Path),
                             option("--name", "NAME", "Custom tab title")},
                            [](const Values& v) {
                              return Create{.cwd = v.maybe_text("cwd"), .name = v.maybe_text("name")};
                            })
          .example("quillo terminal create --name build --cwd /Users/me/app",
                   "created: term-2"),
      leaf<TerminalCommand>("send", "Inject text into a terminal",
                            {grammar::positional("text", "TEXT", "Text to send")
                                 .or_from_file("--text-file"),
                             terminal_id_option(kRequiredIdHelp).require(),
                             grammar::flag("--submit", "Append newline after text")},
                            [](const Values& v) {
                              return Send{.text = v.text("text"),
                                          .terminal_id = v.text("terminal_id"),
                                          .submit = v.flag("submit")};
                            })
          .example("quillo terminal send 'make test' --terminal-id term-2 --submit",
                   "ok")
          .example("quillo terminal send --text-file setup.sh --terminal-id term-2",
                   "ok"),
      leaf<TerminalCommand>("send-key", "Send a named key event (Enter, Ctrl+C, Tab, arrows, etc.)",
                            {grammar::positional("key", "KEY", "Key name"),
                             terminal_id_option(kRequiredIdHelp).require()},
                            [](const Values& v) {
                              return SendKey{.key = v.text("key"), .terminal_id = v.text("terminal_id")};
                            })
          .example("quillo terminal send-key Ctrl+C --terminal-id term-2",
                   "ok"),
      leaf<TerminalCommand>("close", "Close a terminal",
                            {terminal_id_option(kRequiredIdHelp).require()},
                            [](const Values& v) {
                              return Close{.terminal_id = v.text("terminal_id")};
                            })
          .example("quillo terminal close --terminal-id term-2",
                   "ok"),
      leaf<TerminalCommand>(
          "wait", "Block until output matches text or the process exits",
          {option("--text", "TEXT", "Wait until this substring appears in output"),
           grammar::flag("--wait-exit", "Wait until the terminal process exits").named("exit"),
           option("--timeout", "TIMEOUT", "Seconds to wait (1-600)")
               .of_type(ValueType::Uint32)
               .counting("a whole number of seconds")
               .with_default("30"),
           terminal_id_option("Tagged or bare terminal UUID")},
          [](const Values& v) {
            return Wait{.text = v.maybe_text("text"),
                        .exit = v.flag("exit"),
                        .timeout = v.uint32("timeout"),
                        .terminal_id = v.maybe_text("terminal_id")};
          })
          .example("quillo terminal wait --text ready --timeout 120 --terminal-id term-2",
                   "matched: ready")
          .example("quillo terminal wait --wait-exit --terminal-id term-2 --json",
                   "{\"exit_code\":0,\"matched\":true}"));
}

MethodTarget to_target(const TerminalCommand& command) { return std::visit(Mapper{}, command); }

namespace {

void print_terminal(const Json& entry, Sink& out) {
  out << (is_true(entry, "focused") ? '*' : ' ') << (is_true(entry, "is_caller") ? '@' : ' ')
      << ' ' << text_or(entry, "terminal_id", "?") << "  " << text_or(entry, "title", "?") << "  "
      << text_or(entry, "cwd", "?") << '\n';
}

}  // namespace

const ListRendering kList{"terminals", "(no terminals)", print_terminal};

void render_create(const Json& result, Sink& out) {
  out << "created: " << text_or(result, "terminal_id", "?") << '\n';
}

void render_ok(const Json&, Sink& out) { out << "ok\n"; }

void render_wait(const Json& result, Sink& out) {
  if (!is_true(result, "matched")) {
    out << "timeout\n";
  } else if (has_text(result, "text")) {
    out << "matched: " << text_or(result, "text", "") << '\n';
  } else if (const auto code = as_int64(member(result, "exit_code"))) {
    out << "exited: " << *code << '\n';
  } else {
    out << "matched\n";
  }
}

}  // namespace quillo::terminal
