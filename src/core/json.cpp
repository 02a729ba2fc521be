#include "core/json.hpp"

namespace quillo {

const Json* member(const Json& value, std::string_view key) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(key);
  return it == value.end() ? nullptr : &*it;
}

Json string_or_null(const std::optional<std::string_view>& text) {
  return text ? Json(*text) : Json(nullptr);
}

}  // namespace quillo
