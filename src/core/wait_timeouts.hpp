#pragma once
// How long the exchange waits on the socket. Requests that ask the IDE to wait hold their reply
// back for as long as the wait lasts, so the read time-out of such a request follows the wait
// it asks for.

#include <chrono>
#include <cstdint>

#include "core/method_target.hpp"

namespace quillo {

/// Bounds on the exchange: the connect and the writing of the request as a whole, and the
/// reply, which must be complete within `read` of the request's being written.
struct ExchangeTimeouts {
  std::chrono::milliseconds read{std::chrono::seconds(30)};
  std::chrono::milliseconds write{std::chrono::seconds(5)};
  /// Added to the wait of a request that asks the IDE to wait.
  std::chrono::milliseconds wait_margin{std::chrono::seconds(5)};
};

/// The time-outs for `target`, whose "timeout" parameter is a wait in units of `wait_unit_ms`
/// milliseconds (0: it asks for no wait). For a positive "timeout" (any JSON number, rounded up
/// to a millisecond), the read time-out is that wait plus `base.wait_margin`, and never less
/// than `base.read`. Every other request keeps `base`.
ExchangeTimeouts timeouts_for(const MethodTarget& target, std::uint32_t wait_unit_ms,
                              const ExchangeTimeouts& base);

}  // namespace quillo
