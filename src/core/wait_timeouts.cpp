#include "core/wait_timeouts.hpp"

#include <algorithm>
#include <limits>

#include "core/json.hpp"

namespace quillo {

ExchangeTimeouts timeouts_for(const MethodTarget& target, std::span<const WaitRule> rules,
                              const ExchangeTimeouts& base) {
  const auto rule = std::find_if(rules.begin(), rules.end(), [&](const WaitRule& candidate) {
    return candidate.method == target.method;
  });
  if (rule == rules.end()) return base;
  const Json* timeout = member(target.params, "timeout");
  if (timeout == nullptr || !timeout->is_number_integer()) return base;

  // Saturate rather than overflow: a wait beyond any real bound has none here either.
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  const std::int64_t wait =
      timeout->is_number_unsigned()
          ? static_cast<std::int64_t>(std::min<std::uint64_t>(timeout->get<std::uint64_t>(), kMax))
          : timeout->get<std::int64_t>();
  if (wait <= 0) return base;
  const std::int64_t unit = rule->unit.count();
  const std::int64_t margin = base.wait_margin.count();
  const std::int64_t read = wait <= (kMax - margin) / unit ? wait * unit + margin : kMax;

  ExchangeTimeouts timeouts = base;
  timeouts.read = std::max(base.read, std::chrono::milliseconds(read));
  return timeouts;
}

}  // namespace quillo
