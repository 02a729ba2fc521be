// An arbitrary JSON result rendered under every method name: never a crash, and the same text
// from the result as it came and from the same value written as the value type writes it (keys
// sorted, one of each name, other escapes and numbers): a rendering depends on the value alone.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli.hpp"
#include "core/json.hpp"
#include "core/json_document.hpp"
#include "core/output.hpp"

namespace {

// The rendering of `text` for `method`, as a raw call of it prints it; false when the reader
// refuses the text.
bool rendered(const std::string& method, const std::string& text, quillo::Sink& out) {
  const auto document = quillo::JsonDocument::read(text);
  if (!document.ok()) return false;
  quillo::render(quillo::rendering_for(quillo::program().root, method), document.value().root(), out);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The library takes a NUL byte for the end of the text, which the reader refuses.
  if (text.find('\0') != std::string::npos) return 0;
  const quillo::Json value = quillo::Json::parse(text, nullptr, false);
  if (value.is_discarded()) return 0;
  static const auto methods = [] {
    std::vector<std::string> names{"no.such.method", "browser.some.other.method"};
    quillo::for_each_command(quillo::program().root, [&](quillo::NodeRef command) {
      if (!command.method().empty()) names.emplace_back(command.method());
    });
    return names;
  }();
  for (const auto& method : methods) {
    quillo::StringSink as_it_came, as_written;
    // The reader refuses more than the library (nesting): then both texts are refused.
    const bool read = rendered(method, text, as_it_came);
    if (read != rendered(method, value.dump(), as_written)) std::abort();
    if (as_it_came.text() != as_written.text()) std::abort();
  }
  return 0;
}
