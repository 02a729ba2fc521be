#pragma once
// Requests that ask the IDE to wait hold their reply back for as long as the wait lasts, so the
// read time-out of such a request follows the wait it asks for.

#include <chrono>
#include <span>
#include <string_view>

#include "core/channel.hpp"
#include "core/method_target.hpp"

namespace quillo {

/// A method whose "timeout" parameter is a wait, in units of `unit`.
struct WaitRule {
  std::string_view method;
  std::chrono::milliseconds unit;
};

/// The time-outs for `target`: for a method of `rules` whose params hold a positive "timeout"
/// (any JSON number, rounded up to a millisecond), the read time-out is that wait plus
/// `base.wait_margin`, and never less than `base.read`. Every other request keeps `base`.
ExchangeTimeouts timeouts_for(const MethodTarget& target, std::span<const WaitRule> rules,
                              const ExchangeTimeouts& base);

}  // namespace quillo
