#pragma once
// The message loop of `quillo mcp`: JSON-RPC 2.0 messages, one a line, read from an input until
// it ends; each answer written whole, as one line, on an output sink. Tool calls run at once,
// each on its own thread and its own connection to the IDE, and are answered as they finish.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "cli.hpp"
#include "core/sink.hpp"
#include "mcp/call.hpp"
#include "mcp/survey.hpp"
#include "mcp/tools.hpp"

namespace quillo::mcp {

/// Where the messages come from: standard input, or a test's bytes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// Reads up to `size` bytes; 0 at the end of the input (an error ends it too).
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

class FdSource final : public ByteSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  std::size_t read(char* buffer, std::size_t size) override;

 private:
  int fd_;
};

/// The longest message line read, 16 MiB: a line is kept whole while it is read, and the value
/// built from it holds its texts once more. A longer line is refused without being kept.
inline constexpr std::size_t kMaxMessageBytes = std::size_t{16} << 20;

struct ServerSettings {
  std::optional<std::string> socket;  ///< the global --socket
  bool json = false;                  ///< the global --json: tools give the result as JSON
  ToolFilter filter;
  std::size_t max_output = kDefaultMaxOutput;
  std::size_t max_message_bytes = kMaxMessageBytes;
  std::size_t max_message_values = kMaxMessageValues;
  /// How often a call that asked for progress is told that it is still waiting.
  std::chrono::milliseconds progress_interval{std::chrono::seconds(5)};
  RunSettings run;
};

/// Serves MCP on `input` and `output` until the input ends; then abandons the calls still in
/// progress (their connections shut down, their threads joined) and returns.
void serve(ByteSource& input, Sink& output, const ServerSettings& settings);

}  // namespace quillo::mcp
