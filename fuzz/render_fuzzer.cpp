// An arbitrary JSON value rendered under every method name, in both output modes.
#include <cstdint>
#include <sstream>
#include <string>

#include "core/json.hpp"
#include "print_human.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto parsed = quillo::parse_json(text);
  if (!std::holds_alternative<quillo::Json>(parsed)) return 0;
  const quillo::Json& result = std::get<quillo::Json>(parsed);
  static const auto methods = [] {
    auto names = quillo::rendered_methods();
    names.push_back("no.such.method");
    names.push_back("browser.some.other.method");
    return names;
  }();
  std::ostringstream out;
  for (const auto method : methods) quillo::print_human(method, result, out);
  out << result.dump() << '\n';  // what --json prints
  return 0;
}
