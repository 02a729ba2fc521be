#pragma once
// UTF-8 text helpers shared by the reading of replies, arguments and tool output.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillo {

/// True when `text` is well-formed UTF-8.
bool is_valid_utf8(std::string_view text);

/// `text` without trailing Unicode white space. `text` must be valid UTF-8.
std::string_view trim_end(std::string_view text);

/// `text` without leading and trailing Unicode white space. `text` must be valid UTF-8.
std::string_view trim(std::string_view text);

/// Number of characters (Unicode scalar values) in the UTF-8 `text`.
std::size_t character_count(std::string_view text);

/// `text` with its control characters made visible as \u{hex}: those of C0 but line feed, tab
/// and carriage return (which keeps its meaning, as in the CR LF of a terminal's output), DEL,
/// and those of C1 (U+0080 to U+009F, two bytes in UTF-8). Everything else stays.
std::string visible_controls(std::string_view text);

/// `text` as a double-quoted literal for error messages: double quote and backslash escaped,
/// tab, carriage return and line feed as \t \r \n, other control characters as \u{hex}.
/// `text` must be valid UTF-8.
std::string quoted_literal(std::string_view text);

}  // namespace quillo
