// An arbitrary JSON value rendered under every method name, in both output modes: the human
// renderings, from the value and a part at a time from the text (the same bytes either way),
// and --json's compact text read straight from the text (which must be what writing the value
// gives).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/json.hpp"
#include "cli.hpp"
#include "core/json_parser.hpp"
#include "core/output.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto parsed = quillo::parse_json(text);
  if (!parsed.ok()) return 0;
  const quillo::Json& result = parsed.value();
  static const auto methods = [] {
    std::vector<std::string> names{"no.such.method", "browser.some.other.method"};
    quillo::for_each_command(quillo::program().root, [&](quillo::NodeRef command) {
      if (!command.method().empty()) names.emplace_back(command.method());
    });
    return names;
  }();
  for (const auto& method : methods) {
    quillo::StringSink from_value, from_text;
    quillo::render(quillo::rendering_for(quillo::program().root, method), result, from_value);
    quillo::print_human(method, std::string_view(text), from_text);
    if (from_value.text() != from_text.text()) std::abort();
  }
  const auto compact = quillo::compact_json(text);
  if (!compact.ok() || compact.value() != result.dump()) std::abort();
  return 0;
}
