#pragma once
// The caller's context, sent with every request as the "_env" object.

#include <optional>
#include <string>

#include "core/environment.hpp"
#include "core/json.hpp"

namespace quillo {

struct ChannelClientEnv {
  std::optional<std::string> context;       ///< QUILLO_CONTEXT
  std::optional<std::string> roost;         ///< QUILLO_ROOST
  std::optional<std::string> project_path;  ///< QUILLO_PROJECT_PATH
};

/// Reads the three context variables; an unset, empty or non-UTF-8 one stays empty. Never fails.
ChannelClientEnv read_client_env(const EnvGetter& env);

/// The "_env" object: exactly "context", "project_path" and "roost", null where empty.
Json to_json(const ChannelClientEnv& client_env);

}  // namespace quillo
