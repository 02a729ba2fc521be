// The program's JSON reader against the library's own: on every text both accept, the same
// value and the same compact text; on every other text, both refuse. (The reader refuses on
// purpose what the library would read in part: NUL bytes, byte-order marks, deep nesting.)
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/json_parser.hpp"
#include "core/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!quillo::is_valid_utf8(text) || text.find('\0') != std::string::npos ||
      text.starts_with("\xEF\xBB\xBF")) {
    return 0;
  }
  const auto mine = quillo::parse_json(text);
  const auto compact = quillo::compact_json(text);
  if (mine.ok() != compact.ok()) std::abort();
  if (!mine.ok()) {
    if (compact.error() != mine.error()) std::abort();
    if (mine.error().starts_with("nesting deeper")) return 0;
  }
  const quillo::Json theirs = quillo::Json::parse(text, nullptr, false);
  if (theirs.is_discarded() != !mine.ok()) std::abort();
  if (theirs.is_discarded()) return 0;
  const std::string expected = theirs.dump();
  if (mine.value().dump() != expected) std::abort();
  if (compact.value() != expected) std::abort();
  return 0;
}
