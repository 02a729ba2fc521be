#pragma once
// The single exchange of a run: one request line out, one reply line back.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/client_env.hpp"
#include "core/json.hpp"
#include "core/json_document.hpp"
#include "core/method_target.hpp"
#include "core/result.hpp"
#include "core/unix_socket.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {

class ExchangeCancel;

/// What a front end may hear of an exchange in progress, or do to it; the command line uses the
/// first, the MCP server both.
struct ExchangeHooks {
  WaitProgress progress;             ///< told of the wait for the reply
  ExchangeCancel* cancel = nullptr;  ///< ends the exchange from another thread
};

/// A reply that succeeded, read once and checked whole: its line, and where its result stands.
class ReplyResult {
 public:
  ReplyResult(LineBuffer line, JsonDocument document, std::optional<std::uint32_t> result)
      : line_(std::move(line)), document_(std::move(document)), result_(result) {}

  /// The result (null when the reply has none), to be read where it lies.
  JsonView result() const { return result_ ? JsonView(&document_, *result_) : JsonDocument::null().root(); }

 private:
  LineBuffer line_;  ///< where the document's text stays, moved or not
  JsonDocument document_;
  std::optional<std::uint32_t> result_;  ///< where the result stands in the document
};

/// Connects to `socket_path`, writes the request line, reads one reply line and returns its
/// result, checked whole (a reply that is not JSON is an error) yet not built into a value: a
/// reply of any size is printed a part at a time. Otherwise the error message for the user.
Result<ReplyResult> send_request(const std::string& socket_path, const MethodTarget& target,
                                 const ChannelClientEnv& client_env, const ExchangeTimeouts& timeouts = {},
                                 const ExchangeHooks& hooks = {});

/// Turns the bytes read from the IDE (the first line, with its line feed if one came) into the
/// result or an error message: UTF-8 check, trimming, parsing, then "ok"/"result"/"error".
Result<ReplyResult> interpret_reply(LineBuffer line);

}  // namespace quillo
