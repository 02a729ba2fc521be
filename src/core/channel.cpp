#include "core/channel.hpp"

#include "core/exchange_cancel.hpp"
#include "core/json_parser.hpp"
#include "core/request_id.hpp"
#include "core/text.hpp"
#include "core/unix_socket.hpp"

namespace quillo {
namespace {

const char* const kConnectHint = " (is Quillo running and Agent CLI enabled?)";

Error error_reply(const Json& reply) {
  const Json* error = member(reply, "error");
  const Json none;
  const Json& details = error != nullptr ? *error : none;
  return Error{std::string(text_or(details, "code", "unknown")) + ": " +
               std::string(text_or(details, "message", "(no message)"))};
}

// The checks that come before parsing: something was read, and it is UTF-8.
MaybeError check_line(const std::string& line) {
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
  std::string echo = shown(text);
  if (text.size() <= kEchoBytes && echo.size() <= kEscapedEchoBytes) return echo;
  for (std::size_t end = std::min(text.size(), kEchoBytes); end > 0; end -= std::min<std::size_t>(end, 16)) {
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    echo = shown(text.substr(0, end));
    if (echo.size() <= kEscapedEchoBytes) break;
  }
  echo.append("... (").append(std::to_string(text.size())).append(" bytes)");
  return echo;
}

Error invalid_json(const std::string& problem, const std::string& line) {
  return Error{"server returned invalid JSON: " + bounded(problem, false) + "; payload was: " +
               bounded(line, true)};
}

// The one exchange: connect, write the request line, read the first reply line.
Result<std::string> exchange(const std::string& socket_path, const MethodTarget& target,
                             const ChannelClientEnv& client_env,
                             const ExchangeTimeouts& timeouts, ExchangeCancel* cancel) {
  auto socket = UnixSocket::connect(socket_path, timeouts.read, timeouts.write);
  if (!socket.ok()) {
    return Error{"could not connect to " + socket_path + ": " + socket.error() + kConnectHint};
  }
  const CancelScope cancellable(cancel, socket.value().descriptor());  // ends before the socket
  auto request = encode_request(target, client_env, new_request_id());
  if (!request.ok()) return Error{request.error()};
  if (auto failed = socket.value().write_all(request.value())) {
    return Error{"write error: " + failed->message};
  }
  auto line = socket.value().read_line();
  if (!line.ok()) return Error{"read error: " + line.error()};
  return std::move(line.value());
}

}  // namespace

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

std::string_view ReplyResult::text() const {
  return end == begin ? std::string_view("null") : std::string_view(line).substr(begin, end - begin);
}

Result<ReplyResult> interpret_reply_result(std::string line) {
  if (auto failed = check_line(line)) return *failed;
  auto parsed = outer_spans(trim_end(line));
  if (auto* problem = std::get_if<std::string>(&parsed)) return invalid_json(*problem, line);
  const OuterSpans& reply = std::get<OuterSpans>(parsed);
  const auto text_of = [&line](const OuterSpans::Span* span) {
    return std::string_view(line).substr(span->begin, span->end - span->begin);
  };
  const OuterSpans::Span* ok = reply.kind == '{' ? reply.last("ok") : nullptr;
  if (ok == nullptr || text_of(ok) != "true") {
    const OuterSpans::Span* error = reply.kind == '{' ? reply.last("error") : nullptr;
    // A part of a reply that read whole reads too.
    auto details = error != nullptr ? parse_json(text_of(error)) : std::variant<Json, std::string>();
    Json* error_value = std::get_if<Json>(&details);
    return error_reply(Json{{"error", error_value != nullptr ? std::move(*error_value) : Json()}});
  }
  const OuterSpans::Span* result = reply.last("result");
  ReplyResult outcome{std::move(line)};
  if (result != nullptr) {
    outcome.begin = result->begin;
    outcome.end = result->end;
  }
  return outcome;
}

Result<Json> interpret_reply(std::string line) {
  auto result = interpret_reply_result(std::move(line));
  if (!result.ok()) return Error{result.error()};
  return std::get<Json>(parse_json(result.value().text()));
}

Result<std::string> interpret_reply_as_text(std::string line) {
  auto result = interpret_reply_result(std::move(line));
  if (!result.ok()) return Error{result.error()};
  return std::move(std::get<CompactJson>(compact_json(result.value().text())).text);
}

Result<ReplyResult> send_request_for_result(const std::string& socket_path, const MethodTarget& target,
                                            const ChannelClientEnv& client_env,
                                            const ExchangeTimeouts& timeouts, ExchangeCancel* cancel) {
  auto line = exchange(socket_path, target, client_env, timeouts, cancel);
  if (!line.ok()) return Error{line.error()};
  return interpret_reply_result(std::move(line.value()));
}

Result<std::string> send_request_for_text(const std::string& socket_path,
                                          const MethodTarget& target,
                                          const ChannelClientEnv& client_env,
                                          const ExchangeTimeouts& timeouts, ExchangeCancel* cancel) {
  auto line = exchange(socket_path, target, client_env, timeouts, cancel);
  if (!line.ok()) return Error{line.error()};
  return interpret_reply_as_text(std::move(line.value()));
}

Result<Json> send_request(const std::string& socket_path, const MethodTarget& target,
                          const ChannelClientEnv& client_env, const ExchangeTimeouts& timeouts,
                          ExchangeCancel* cancel) {
  auto line = exchange(socket_path, target, client_env, timeouts, cancel);
  if (!line.ok()) return Error{line.error()};
  return interpret_reply(std::move(line.value()));
}

}  // namespace quillo
