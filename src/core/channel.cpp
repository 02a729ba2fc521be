#include "core/channel.hpp"

#include "core/text.hpp"
#include "core/request_id.hpp"
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

Result<Json> interpret_reply(std::string line) {
  if (line.empty()) return Error{"server closed connection without response"};
  if (!is_valid_utf8(line)) return Error{"read error: reply is not valid UTF-8"};
  auto parsed = parse_json(trim_end(line));
  if (auto* problem = std::get_if<std::string>(&parsed)) {
    return Error{"server returned invalid JSON: " + *problem + "; payload was: " +
                 quoted_literal(line)};
  }
  Json& reply = std::get<Json>(parsed);
  if (!is_true(reply, "ok")) return error_reply(reply);
  auto result = reply.find("result");
  if (result == reply.end()) return Json(nullptr);
  return Json(std::move(*result));
}

Result<Json> send_request(const std::string& socket_path, const MethodTarget& target,
                          const ChannelClientEnv& client_env, const ExchangeTimeouts& timeouts) {
  auto socket = UnixSocket::connect(socket_path, timeouts.read, timeouts.write);
  if (!socket.ok()) {
    return Error{"could not connect to " + socket_path + ": " + socket.error() + kConnectHint};
  }
  auto request = encode_request(target, client_env, new_request_id());
  if (!request.ok()) return Error{request.error()};
  if (auto failed = socket.value().write_all(request.value())) {
    return Error{"write error: " + failed->message};
  }
  auto line = socket.value().read_line();
  if (!line.ok()) return Error{"read error: " + line.error()};
  return interpret_reply(std::move(line.value()));
}

}  // namespace quillo
