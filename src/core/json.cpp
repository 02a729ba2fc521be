#include "core/json.hpp"

#include <limits>

namespace quillo {

const Json* member(const Json& value, std::string_view key) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(key);
  return it == value.end() ? nullptr : &*it;
}

std::string_view text_or(const Json& value, std::string_view key, std::string_view fallback) {
  const Json* found = member(value, key);
  if (found == nullptr || !found->is_string()) return fallback;
  return found->get_ref<const std::string&>();
}

bool has_text(const Json& value, std::string_view key) {
  const Json* found = member(value, key);
  return found != nullptr && found->is_string();
}

bool is_true(const Json& value, std::string_view key) {
  const Json* found = member(value, key);
  return found != nullptr && found->is_boolean() && found->get<bool>();
}

bool is_false(const Json& value, std::string_view key) {
  const Json* found = member(value, key);
  return found != nullptr && found->is_boolean() && !found->get<bool>();
}

std::optional<std::int64_t> as_int64(const Json* value) {
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto u = value->get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(u);
  }
  if (value->is_number_integer()) return value->get<std::int64_t>();
  return std::nullopt;
}

std::int64_t int64_or_zero(const Json& value, std::string_view key) {
  return as_int64(member(value, key)).value_or(0);
}

Json string_or_null(const std::optional<std::string_view>& text) {
  return text ? Json(*text) : Json(nullptr);
}

std::optional<std::string> to_pretty_text(const Json& value) {
  try {
    return value.dump(2);
  } catch (const Json::exception&) {
    return std::nullopt;
  }
}

}  // namespace quillo
