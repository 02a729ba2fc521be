#include "core/exchange_cancel.hpp"

#include <sys/socket.h>

namespace quillo {
namespace {

class Locked {
 public:
  explicit Locked(pthread_mutex_t& mutex) : mutex_(mutex) { pthread_mutex_lock(&mutex_); }
  ~Locked() { pthread_mutex_unlock(&mutex_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  pthread_mutex_t& mutex_;
};

}  // namespace

void ExchangeCancel::cancel() {
  const Locked lock(mutex_);
  cancelled_ = true;
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

bool ExchangeCancel::cancelled() const {
  const Locked lock(mutex_);
  return cancelled_;
}

void ExchangeCancel::attach(int fd) {
  const Locked lock(mutex_);
  fd_ = fd;
  if (cancelled_) ::shutdown(fd_, SHUT_RDWR);
}

void ExchangeCancel::detach() {
  const Locked lock(mutex_);
  fd_ = -1;
}

}  // namespace quillo
