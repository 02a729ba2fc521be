// Arbitrary bytes as the IDE's reply line, read both ways the program reads replies (into a
// value for the renderers, into compact text for --json): the same verdict either way, the
// same result, and only the documented errors.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/channel.hpp"
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
  const auto value = quillo::interpret_reply(line);
  const auto text = quillo::interpret_reply_as_text(line);
  if (value.ok() != text.ok()) std::abort();
  if (value.ok()) {
    if (value.value().dump() != text.value()) std::abort();
    return 0;
  }
  if (value.error() != text.error()) std::abort();
  if (!is_transport_or_protocol_error(value.error()) &&
      !(quillo::is_valid_utf8(line) && is_error_reply(line, value.error()))) {
    std::abort();
  }
  return 0;
}
