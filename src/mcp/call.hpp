#pragma once
// One tools/call: the arguments read into the command the command line would have built, that
// command run as the command line runs it, and what it printed, or its error, as the tool's text.

#include <cstddef>
#include <optional>
#include <string>

#include "cli.hpp"
#include "core/json.hpp"
#include "core/sink.hpp"

namespace quillo::mcp {

/// The most characters of a tool's text, unless the server is told otherwise.
inline constexpr std::size_t kDefaultMaxOutput = 100'000;

/// Keeps the first `limit` characters written (0: all of them) and counts the rest, so that a
/// reply of any size is rendered in bounded memory and is never cut silently.
class BoundedText final : public Sink {
 public:
  explicit BoundedText(std::size_t limit) : limit_(limit) {}
  void write(std::string_view text) override;

  /// What was kept, and when some was left out, a last line that says how much and how to get
  /// it whole.
  std::string finish() const;

 private:
  std::size_t limit_;
  std::string kept_;
  std::size_t kept_characters_ = 0;
  std::size_t left_out_ = 0;  ///< characters
  bool keeping_ = true;       ///< the character being written is kept
};

/// What a call gives the agent.
struct CallOutcome {
  std::string text;
  bool is_error = false;
};

/// How the server's calls run: the global options it was started with, and the run's settings.
struct CallSettings {
  std::optional<std::string> socket;  ///< quillo --socket S mcp
  bool json = false;                  ///< quillo --json mcp
  std::size_t max_output = kDefaultMaxOutput;
  RunSettings run;
};

/// Runs `command` with `arguments` (a JSON object) as the command line runs it.
CallOutcome call_command(NodeRef command, const Json& arguments, const CallSettings& settings);

/// The message of an error of a run as the agent reads it: the command line's, with a sentence
/// of what to do where the command line's message has a hint.
std::string error_text(const std::string& message);

}  // namespace quillo::mcp
