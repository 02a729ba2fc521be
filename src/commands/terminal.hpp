#pragma once
// The terminals hosted by the IDE: list, create, type into, send keys to, close, wait on.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/output.hpp"
#include "core/sink.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {
namespace terminal {

struct List {};
struct Create {
  std::optional<std::string> cwd;
  std::optional<std::string> name;
};
struct Send {
  std::string text;
  std::string terminal_id;
  bool submit = false;
};
struct SendKey {
  std::string key;
  std::string terminal_id;
};
struct Close {
  std::string terminal_id;
};
struct Wait {
  std::optional<std::string> text;
  bool exit = false;
  std::uint32_t timeout = 30;  ///< seconds
  std::optional<std::string> terminal_id;
};

}  // namespace terminal

using TerminalCommand = std::variant<terminal::List, terminal::Create, terminal::Send,
                                     terminal::SendKey, terminal::Close, terminal::Wait>;

namespace terminal {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "terminal";
inline constexpr const char* kHelp = "Terminal operations";

grammar::Node<TerminalCommand> grammar();
MethodTarget to_target(const TerminalCommand& command);

/// "terminal.wait" holds its reply for up to its "timeout", in seconds.
inline constexpr WaitRule kWaitRule{"terminal.wait", std::chrono::seconds(1)};

extern const ListRendering kList;
void render_create(const Json& result, Sink& out);
/// "ok", whatever the result holds (send, send-key, close).
void render_ok(const Json& result, Sink& out);
void render_wait(const Json& result, Sink& out);

}  // namespace terminal
}  // namespace quillo
