#pragma once
// A value of a document written as JSON text, as the value type writes it (keys sorted and one
// of each name, the same escapes, the same numbers), straight from where it lies: compact for
// --json, indented for the renderings that show JSON. Nothing is built, whatever the size.

#include "core/json_document.hpp"
#include "core/sink.hpp"

namespace quillo {

struct JsonStyle {
  /// Two spaces per level, one member or element per line, a space after each colon.
  bool indented = false;
  /// For a terminal: DEL and the C1 controls (U+0080 to U+009F) written as escapes too, the
  /// same JSON value with nothing in it that a terminal would obey.
  bool for_terminal = false;
};

void write_json(const JsonView& value, Sink& out, JsonStyle style = {});

}  // namespace quillo
