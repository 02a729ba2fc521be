#include "core/exchange_cancel.hpp"

#include <sys/socket.h>

namespace quillo {

void ExchangeCancel::cancel() {
  const Lock lock(mutex_);
  cancelled_ = true;
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

bool ExchangeCancel::cancelled() const {
  const Lock lock(mutex_);
  return cancelled_;
}

void ExchangeCancel::attach(int fd) {
  const Lock lock(mutex_);
  fd_ = fd;
  if (cancelled_) ::shutdown(fd_, SHUT_RDWR);
}

void ExchangeCancel::detach() {
  const Lock lock(mutex_);
  fd_ = -1;
}

}  // namespace quillo
