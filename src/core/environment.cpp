#include "core/environment.hpp"

#include <cstdlib>

#include "core/text.hpp"

namespace quillo {

EnvGetter process_environment() {
  return [](std::string_view name) -> std::optional<std::string> {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

std::optional<std::string> present_variable(const EnvGetter& env, std::string_view name) {
  auto value = env(name);
  if (!value || value->empty() || !is_valid_utf8(*value)) return std::nullopt;
  return value;
}

}  // namespace quillo
