#include "core/wait_timeouts.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/json.hpp"

namespace quillo {

ExchangeTimeouts timeouts_for(const MethodTarget& target, std::uint32_t wait_unit_ms,
                              const ExchangeTimeouts& base) {
  if (wait_unit_ms == 0) return base;
  const Json* timeout = member(target.params, "timeout");
  if (timeout == nullptr || !timeout->is_number()) return base;
  // In milliseconds, rounded up; a double is exact far beyond any wait that could end.
  const double wait = std::ceil(timeout->get<double>() * static_cast<double>(wait_unit_ms));
  if (!std::isfinite(timeout->get<double>()) || wait <= 0) return base;
  // Saturate rather than overflow: a wait beyond any real bound has none here either.
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  const double read = wait + static_cast<double>(base.wait_margin.count());
  const std::int64_t read_ms = read >= static_cast<double>(kMax) ? kMax : static_cast<std::int64_t>(read);

  ExchangeTimeouts timeouts = base;
  timeouts.read = std::max(base.read, std::chrono::milliseconds(read_ms));
  return timeouts;
}

}  // namespace quillo
