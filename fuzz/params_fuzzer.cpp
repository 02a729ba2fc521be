// The --params text of a raw browser call: a value or a description, never a crash.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "commands/browser.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parsed =
      quillo::browser::parse_raw_params(std::string_view(reinterpret_cast<const char*>(data), size));
  if (parsed.ok()) {
    (void)parsed.value().dump();  // the request writer writes it
  } else if (parsed.error().empty()) {
    std::abort();  // a refusal must say why
  }
  return 0;
}
