#pragma once
// The generic renderings: JSON mode, pretty JSON and the acknowledgement.

#include <ostream>

#include "core/json.hpp"

namespace quillo {

/// `--json`: the result as compact JSON and a line feed (an empty line if it cannot be written).
void print_json(const Json& result, std::ostream& out);

/// The result indented by two spaces per level, and a line feed.
void print_pretty(const Json& result, std::ostream& out);

/// The line "OK", whatever the result holds.
void print_ack(const Json& result, std::ostream& out);

}  // namespace quillo
