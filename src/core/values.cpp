#include "core/values.hpp"

namespace quillo {

Json no_params(const Values&) { return Json::object(); }

}  // namespace quillo
