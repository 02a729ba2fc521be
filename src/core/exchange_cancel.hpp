#pragma once
// A way for another thread to end one exchange in progress, for a front end that runs several
// at once (the MCP server, whose client may cancel a call). The exchange lends it the socket
// while connected; cancel() shuts the socket down, which ends a blocked read or write at once.
// shutdown rather than close: the descriptor stays the exchange's own until it closes it, so its
// number cannot pass to another file while a cancel is on its way.

#include "core/mutex.hpp"

namespace quillo {

class ExchangeCancel {
 public:
  ExchangeCancel() = default;
  ExchangeCancel(const ExchangeCancel&) = delete;
  ExchangeCancel& operator=(const ExchangeCancel&) = delete;

  /// Ends the exchange: at once when it is connected, else as soon as it connects.
  void cancel();
  bool cancelled() const;

  /// For the exchange: the socket while it is connected.
  void attach(int fd);
  void detach();

 private:
  mutable Mutex mutex_;
  int fd_ = -1;
  bool cancelled_ = false;
};

/// Lends `fd` to `cancel` (when there is one) for the life of the scope.
class CancelScope {
 public:
  CancelScope(ExchangeCancel* cancel, int fd) : cancel_(cancel) {
    if (cancel_ != nullptr) cancel_->attach(fd);
  }
  ~CancelScope() {
    if (cancel_ != nullptr) cancel_->detach();
  }
  CancelScope(const CancelScope&) = delete;
  CancelScope& operator=(const CancelScope&) = delete;

 private:
  ExchangeCancel* cancel_;
};

}  // namespace quillo
