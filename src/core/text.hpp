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

/// `text` with the characters that would act on a terminal made visible as \u{hex}: those of
/// C0 but line feed and tab, a carriage return that no line feed follows, DEL, those of C1
/// (U+0080 to U+009F), and the bidirectional embeddings, overrides and isolates (U+202A to
/// U+202E, U+2066 to U+2069), which reorder the text that follows them; and, in text that is not
/// UTF-8, a byte from 0x80 to 0x9F that is part of no character, as \x{hex}. Everything else
/// stays.
std::string visible_controls(std::string_view text);

/// How many bytes at the end of `text` may begin a character that visible_controls shows, once
/// the text that follows is known (a carriage return, the start of a multi-byte one).
std::size_t unfinished_control(std::string_view text);

/// `text` as a double-quoted literal for error messages: double quote and backslash escaped,
/// tab, carriage return and line feed as \t \r \n, other control characters as \u{hex}.
/// `text` must be valid UTF-8.
std::string quoted_literal(std::string_view text);

}  // namespace quillo
