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
  const auto wait = as_int64(member(target.params, "timeout"));
  if (!wait || *wait <= 0) return base;

  // Saturate rather than overflow: a wait beyond any real bound simply has none here either.
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  const std::int64_t unit = rule->unit.count();
  const std::int64_t margin = base.wait_margin.count();
  std::int64_t read = kMax;
  if (*wait <= (kMax - margin) / unit) read = *wait * unit + margin;

  ExchangeTimeouts timeouts = base;
  timeouts.read = std::max(base.read, std::chrono::milliseconds(read));
  return timeouts;
}

}  // namespace quillo
