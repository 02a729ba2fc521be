#pragma once
// The single exchange of a run: one request line out, one reply line back.

#include <chrono>
#include <string>
#include <string_view>

#include "core/client_env.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/result.hpp"
#include "core/unix_socket.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {

/// A reply that succeeded, checked whole: its line, and where its result stands in it.
struct ReplyResult {
  std::string line;
  std::size_t begin = 0;
  std::size_t end = 0;  ///< begin == end: the reply has no result
  /// The result's JSON text as the IDE wrote it ("null" when there is none).
  std::string_view text() const;
};

/// Connects to `socket_path`, writes the request line, reads one reply line and returns its
/// result, checked whole (a reply that is not JSON is an error) yet not built into a value: a
/// reply of any size is printed a part at a time. Otherwise the error message for the user.
/// `progress` is told of the wait for the reply.
Result<ReplyResult> send_request(const std::string& socket_path, const MethodTarget& target,
                                 const ChannelClientEnv& client_env, const ExchangeTimeouts& timeouts = {},
                                 const WaitProgress& progress = {});

/// The request envelope as one compact line ending in a line feed.
Result<std::string> encode_request(const MethodTarget& target, const ChannelClientEnv& client_env,
                                   std::string_view request_id);

/// Turns the bytes read from the IDE (the first line, with its line feed if one came) into the
/// result or an error message: UTF-8 check, trimming, parsing, then "ok"/"result"/"error".
Result<ReplyResult> interpret_reply(std::string line);

}  // namespace quillo
