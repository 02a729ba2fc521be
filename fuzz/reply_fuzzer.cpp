// Arbitrary bytes as the IDE's reply line: a result whose text reads (as a value, and as the
// compact text --json prints, which must be what writing the value gives), or only the
// documented errors.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/channel.hpp"
#include "core/json_parser.hpp"
#include "core/text.hpp"

namespace {

bool is_transport_or_protocol_error(const std::string& message) {
  for (const char* prefix : {"server closed connection without response", "read error: ",
                             "server returned invalid JSON: "}) {
    if (message.starts_with(prefix)) return true;
  }
  return false;
}

// Otherwise the reply was JSON (the library agrees) and not a success: "{code}: {message}".
bool is_error_reply(const std::string& line, const std::string& message) {
  const quillo::Json reply = quillo::Json::parse(quillo::trim_end(line), nullptr, false);
  if (reply.is_discarded()) return false;
  const auto ok = reply.is_object() ? reply.find("ok") : reply.end();
  const bool succeeded = reply.is_object() && ok != reply.end() && *ok == true;
  return !succeeded && message.find(": ") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const auto reply = quillo::interpret_reply(line);
  if (reply.ok()) {
    const auto value = quillo::parse_json(reply.value().text());
    const auto compact = quillo::compact_json(reply.value().text());
    if (!value.ok() || !compact.ok() || value.value().dump() != compact.value()) {
      std::abort();
    }
    return 0;
  }
  if (!is_transport_or_protocol_error(reply.error()) &&
      !(quillo::is_valid_utf8(line) && is_error_reply(line, reply.error()))) {
    std::abort();
  }
  return 0;
}
