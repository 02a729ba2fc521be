#pragma once
// The one dynamic value type of the program, for what it builds and sends (requests, MCP
// messages). Objects keep their members sorted by key, so everything written has sorted keys.

#include <cstddef>
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

/// The text as a JSON string, or null when absent.
Json string_or_null(const std::optional<std::string_view>& text);

/// The number as a JSON integer, or null when absent.
template <class Integer>
Json integer_or_null(const std::optional<Integer>& number) {
  return number ? Json(*number) : Json(nullptr);
}

}  // namespace quillo
