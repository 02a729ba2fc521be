// The program's JSON reading against the library's own: on every text both accept, the same
// value, and the same compact and indented text written from where the text lies; on every
// other text, both refuse. (The reader refuses on purpose what the library would read in part:
// NUL bytes, byte-order marks, deep nesting.) Written for a terminal, the same value again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/json_document.hpp"
#include "core/json_parser.hpp"
#include "core/json_writer.hpp"
#include "core/sink.hpp"
#include "core/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!quillo::is_valid_utf8(text) || text.find('\0') != std::string::npos || text.starts_with("\xEF\xBB\xBF")) {
    return 0;
  }
  const auto mine = quillo::parse_json(text);
  const auto document = quillo::JsonDocument::read(text);
  if (mine.ok() != document.ok()) std::abort();
  if (!mine.ok()) {
    if (document.error() != mine.error()) std::abort();
    if (mine.error().starts_with("nesting deeper")) return 0;
  }
  const quillo::Json theirs = quillo::Json::parse(text, nullptr, false);
  if (theirs.is_discarded() != !mine.ok()) std::abort();
  if (theirs.is_discarded()) return 0;
  if (mine.value().dump() != theirs.dump()) std::abort();
  quillo::StringSink compact, indented;
  quillo::write_json(document.value().root(), compact);
  quillo::write_json(document.value().root(), indented, {.indented = true});
  if (compact.text() != theirs.dump() || indented.text() != theirs.dump(2)) std::abort();
  // For a terminal: the same value, with no DEL or C1 control left raw.
  quillo::StringSink shown;
  quillo::write_json(document.value().root(), shown, {.for_terminal = true});
  if (quillo::Json::parse(shown.text()) != theirs || shown.text().find('\x7f') != std::string::npos) std::abort();
  for (std::size_t i = shown.text().find('\xc2'); i != std::string::npos; i = shown.text().find('\xc2', i + 1)) {
    if (static_cast<unsigned char>(shown.text()[i + 1]) <= 0x9f) std::abort();
  }
  return 0;
}
