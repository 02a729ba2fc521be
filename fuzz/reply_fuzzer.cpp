// Arbitrary bytes as the IDE's reply line: a result that --json writes as canonical JSON, or
// only the documented errors.
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <string>

#include "core/channel.hpp"
#include "core/json_writer.hpp"
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
  quillo::LineBuffer buffer;
  std::size_t available = 0;
  std::copy(line.begin(), line.end(), buffer.room(line.size(), available));
  buffer.grow(line.size());
  const auto reply = quillo::interpret_reply(std::move(buffer));
  if (reply.ok()) {
    // The result, written compactly as --json writes it, is a value of its own that the
    // library reads back the same.
    quillo::StringSink compact;
    quillo::write_json(reply.value().result(), compact);
    const quillo::Json value = quillo::Json::parse(compact.text(), nullptr, false);
    if (value.is_discarded() || value.dump() != compact.text()) std::abort();
    return 0;
  }
  if (!is_transport_or_protocol_error(reply.error()) &&
      !(quillo::is_valid_utf8(line) && is_error_reply(line, reply.error()))) {
    std::abort();
  }
  return 0;
}
