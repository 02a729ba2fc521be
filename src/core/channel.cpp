#include "core/channel.hpp"

#include <unistd.h>

#include "core/exchange_cancel.hpp"
#include "core/request_id.hpp"
#include "core/text.hpp"
#include "core/unix_socket.hpp"

namespace quillo {
namespace {

const char* const kConnectHint = " (is Quillo running and Agent CLI enabled?)";

// The most of the IDE's error code, and of its message, that is repeated: the IDE may quote
// anything in them (a page's text, a command's output), and a message of megabytes would take
// a terminal minutes to show.
constexpr std::size_t kErrorTextBytes = 4096;

// `text` when short; else its start, cut on a character boundary, and how much was left out.
std::string cut_error_text(const JsonText& text) {
  std::size_t size = 0;
  std::string head = text.head(kErrorTextBytes, size);
  if (head.size() == size) return head;
  const std::size_t left_out = size - head.size();
  return head + "... (" + std::to_string(left_out) + (left_out == 1 ? " more byte)" : " more bytes)");
}

// The IDE's error: the "code" and "message" of the reply's "error", read for those alone.
Error error_reply(const Members& reply) {
  const Members error(reply["error"]);
  return Error{cut_error_text(error.text_or("code", "unknown")) + ": " +
               cut_error_text(error.text_or("message", "(no message)"))};
}

// The checks that come before parsing: something was read, and it is UTF-8.
MaybeError check_line(std::string_view line) {
  if (line.empty()) return Error{"server closed connection without response"};
  if (!is_valid_utf8(line)) return Error{"read error: reply is not valid UTF-8"};
  return std::nullopt;
}

// The longest piece of a reply, and of the description of what is wrong with it, that an error
// message repeats (in bytes before escaping, and after it): enough to recognise the reply, never
// a flood on a terminal or in the context of an agent that reads the message.
constexpr std::size_t kEchoBytes = 256;
constexpr std::size_t kEscapedEchoBytes = 512;

// `text` as it is when short; else its start, cut on a character boundary, and its length.
std::string bounded(std::string_view text, bool quoted) {
  const auto shown = [quoted](std::string_view piece) {
    return quoted ? quoted_literal(piece) : std::string(piece);
  };
  // Only the start is ever shown: the whole of a long text is never escaped, which would cost
  // several times its size.
  if (text.size() <= kEchoBytes) {
    std::string echo = shown(text);
    if (echo.size() <= kEscapedEchoBytes) return echo;
  }
  std::string echo;
  for (std::size_t end = std::min(text.size(), kEchoBytes); end > 0; end -= std::min<std::size_t>(end, 16)) {
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    echo = shown(text.substr(0, end));
    if (echo.size() <= kEscapedEchoBytes) break;
  }
  echo.append("... (").append(std::to_string(text.size())).append(" bytes)");
  return echo;
}

Error invalid_json(const std::string& problem, std::string_view line) {
  return Error{"server returned invalid JSON: " + bounded(problem, false) + "; payload was: " +
               bounded(line, true)};
}

// The request envelope as one compact line ending in a line feed.
Result<std::string> encode_request(const MethodTarget& target, const ChannelClientEnv& client_env,
                                   std::string_view request_id) {
  const Json envelope{{"_env", to_json(client_env)},
                      {"id", request_id},
                      {"method", target.method},
                      {"params", target.params}};
  try {
    std::string line = envelope.dump();
    line += '\n';
    return line;
  } catch (const Json::exception& e) {
    return Error{std::string("encode error: ") + e.what()};
  }
}

// The one exchange: connect, make sure the IDE at the other end is the user's own, write the
// request line, read the first reply line.
Result<LineBuffer> exchange(const std::string& socket_path, const MethodTarget& target,
                             const ChannelClientEnv& client_env, const ExchangeTimeouts& timeouts,
                             const ExchangeHooks& hooks) {
  auto socket = UnixSocket::connect(socket_path, timeouts.write, hooks.cancel);
  if (!socket.ok()) {
    return Error{"could not connect to " + socket_path + ": " + socket.error() + kConnectHint};
  }
  const CancelScope cancellable(hooks.cancel, socket.value().descriptor());  // ends before the socket
  // Another user's process listening there would be handed the request: terminal text, scripts,
  // the caller's context. Root is no exception; who means it runs quillo as that user.
  const unsigned own = static_cast<unsigned>(::geteuid());
  if (const auto peer = socket.value().peer_user(); !peer || *peer != own) {
    return Error{"refusing to talk to " + socket_path + ": it is served by " +
                 (peer ? "user id " + std::to_string(*peer) : std::string("a user the system does not tell")) +
                 ", not by this user (user id " + std::to_string(own) + ")"};
  }
  auto request = encode_request(target, client_env, new_request_id());
  if (!request.ok()) return Error{request.error()};
  if (auto failed = socket.value().write_all(request.value(), timeouts.write)) {
    return Error{"write error: " + failed->message};
  }
  auto line = socket.value().read_line(timeouts.read, hooks.progress);
  if (!line.ok()) return Error{"read error: " + line.error()};
  return std::move(line.value());
}

}  // namespace

Result<ReplyResult> interpret_reply(LineBuffer line) {
  if (auto failed = check_line(line.view())) return *failed;
  auto document = JsonDocument::read(trim_end(line.view()), false);
  if (!document.ok()) return invalid_json(document.error(), line.view());
  const Members reply(document.value().root());
  if (!reply.is_true("ok")) return error_reply(reply);
  const auto result = reply["result"];
  return ReplyResult(std::move(line), std::move(document.value()),
                     result ? std::optional(result->position()) : std::nullopt);
}

Result<ReplyResult> send_request(const std::string& socket_path, const MethodTarget& target,
                                 const ChannelClientEnv& client_env, const ExchangeTimeouts& timeouts,
                                 const ExchangeHooks& hooks) {
  auto line = exchange(socket_path, target, client_env, timeouts, hooks);
  if (!line.ok()) return Error{line.error()};
  return interpret_reply(std::move(line.value()));
}

}  // namespace quillo
