#pragma once
// The single exchange of a run: one request line out, one reply line back.

#include <chrono>
#include <string>
#include <string_view>

#include "core/client_env.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/result.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {

class ExchangeCancel;

/// Connects to `socket_path`, writes the request line, reads one reply line and returns the
/// reply's result, or the error message for the user. `cancel`, when given, can end the exchange
/// from another thread (the command line gives none).
Result<Json> send_request(const std::string& socket_path, const MethodTarget& target,
                          const ChannelClientEnv& client_env, const ExchangeTimeouts& timeouts = {},
                          ExchangeCancel* cancel = nullptr);

/// As send_request, but the result comes as the compact text of its value (keys sorted), read
/// without building the value: what --json prints, in a fraction of the memory.
Result<std::string> send_request_for_text(const std::string& socket_path,
                                          const MethodTarget& target,
                                          const ChannelClientEnv& client_env,
                                          const ExchangeTimeouts& timeouts = {},
                                          ExchangeCancel* cancel = nullptr);

/// A reply that succeeded, checked whole: its line, and where its result stands in it.
struct ReplyResult {
  std::string line;
  std::size_t begin = 0;
  std::size_t end = 0;  ///< begin == end: the reply has no result
  /// The result's JSON text as the IDE wrote it ("null" when there is none).
  std::string_view text() const;
};

/// As send_request, but the result is left as text, read whole (a reply that is not JSON is an
/// error) and yet not built into a value: a large reply can be printed a part at a time.
Result<ReplyResult> send_request_for_result(const std::string& socket_path,
                                            const MethodTarget& target,
                                            const ChannelClientEnv& client_env,
                                            const ExchangeTimeouts& timeouts = {},
                                            ExchangeCancel* cancel = nullptr);

/// The request envelope as one compact line ending in a line feed.
Result<std::string> encode_request(const MethodTarget& target, const ChannelClientEnv& client_env,
                                   std::string_view request_id);

/// Turns the bytes read from the IDE (the first line, with its line feed if one came) into the
/// result or an error message: UTF-8 check, trimming, parsing, then "ok"/"result"/"error".
Result<ReplyResult> interpret_reply_result(std::string line);

/// interpret_reply_result with the result read into a value.
Result<Json> interpret_reply(std::string line);

/// interpret_reply_result with the result as compact text, keys sorted: what --json prints.
Result<std::string> interpret_reply_as_text(std::string line);

}  // namespace quillo
