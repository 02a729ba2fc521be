#pragma once

#include <string>

#include "core/json.hpp"

namespace quillo {

/// What one command becomes on the wire: a dotted method name and its parameters.
struct MethodTarget {
  std::string method;
  Json params = Json::object();  ///< an object, except for raw browser calls (any JSON value)
};

}  // namespace quillo
