#pragma once
// JSON text into the program's value type, for what is small and is sent on (the parameters of
// a raw call). The IDE's replies are read where they lie instead (json_document.hpp).

#include <string_view>

#include "core/json.hpp"
#include "core/result.hpp"

namespace quillo {

/// Parses `text` as exactly one JSON value (white space around it allowed), nested at most
/// kMaxJsonDepth levels, with no NUL byte, no byte-order mark and numbers that fit a double.
/// Returns the value or a description of what is wrong.
Result<Json> parse_json(std::string_view text);

}  // namespace quillo
