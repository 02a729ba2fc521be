#include "core/client_env.hpp"

namespace quillo {
ChannelClientEnv read_client_env(const EnvGetter& env) {
  ChannelClientEnv result;
  result.context = present_variable(env, "QUILLO_CONTEXT");
  result.roost = present_variable(env, "QUILLO_ROOST");
  result.project_path = present_variable(env, "QUILLO_PROJECT_PATH");
  return result;
}

Json to_json(const ChannelClientEnv& client_env) {
  return Json{{"context", string_or_null(client_env.context)},
              {"project_path", string_or_null(client_env.project_path)},
              {"roost", string_or_null(client_env.roost)}};
}

}  // namespace quillo
