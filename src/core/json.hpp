#pragma once
// The one dynamic value type of the program and the reading conventions that every renderer
// shares. Objects keep their members sorted by key, so everything written has sorted keys.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quillo {

using Json = nlohmann::json;

/// Deepest nesting of arrays and objects accepted from a parsed text. Writing and copying a
/// value recurse, so a bound keeps a hostile reply from exhausting the stack.
inline constexpr std::size_t kMaxJsonDepth = 512;

/// The member `key` of `value`, or nullptr when `value` is not an object or has no such member.
const Json* member(const Json& value, std::string_view key);

/// The member as text when it is a JSON string, else `fallback`. The view lives as long as
/// `value` (or the fallback).
std::string_view text_or(const Json& value, std::string_view key, std::string_view fallback);

/// True when the member is a JSON string.
bool has_text(const Json& value, std::string_view key);

/// True only when the member is the JSON boolean true.
bool is_true(const Json& value, std::string_view key);

/// True only when the member is present and is the JSON boolean false.
bool is_false(const Json& value, std::string_view key);

/// The value as an integer when it is a JSON integer that fits a signed 64-bit value.
std::optional<std::int64_t> as_int64(const Json* value);

/// The member read as a signed 64-bit integer, or 0 (missing, not an integer, out of range).
std::int64_t int64_or_zero(const Json& value, std::string_view key);

/// The text as a JSON string, or null when absent.
Json string_or_null(const std::optional<std::string_view>& text);

/// The number as a JSON integer, or null when absent.
template <class Integer>
Json integer_or_null(const std::optional<Integer>& number) {
  return number ? Json(*number) : Json(nullptr);
}

/// Indented text: two spaces per level, one member or element per line. Never throws: a value
/// that cannot be written gives nullopt.
std::optional<std::string> to_pretty_text(const Json& value);

}  // namespace quillo
