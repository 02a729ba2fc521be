#pragma once
// Access to the process environment through a getter, so that the rules that read it can be
// tested with any environment at all.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillo {

/// Returns the raw bytes of one environment variable, or nullopt when it is unset.
using EnvGetter = std::function<std::optional<std::string>(std::string_view name)>;

/// The getter over the real process environment.
EnvGetter process_environment();

/// The variable when it is set, valid UTF-8 and not empty; otherwise nullopt.
std::optional<std::string> present_variable(const EnvGetter& env, std::string_view name);

}  // namespace quillo
