// Arbitrary bytes as the IDE's reply line: the result is a value or one of the documented
// error messages, never a crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/channel.hpp"

namespace {

bool is_documented(const std::string& message) {
  for (const char* prefix : {"server closed connection without response", "read error: ",
                             "server returned invalid JSON: "}) {
    if (message.starts_with(prefix)) return true;
  }
  // An error reply: "{code}: {message}".
  return message.find(": ") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto outcome = quillo::interpret_reply(std::string(reinterpret_cast<const char*>(data), size));
  if (outcome.ok()) {
    (void)outcome.value().dump();  // what --json does with it
  } else if (!is_documented(outcome.error())) {
    std::abort();
  }
  return 0;
}
