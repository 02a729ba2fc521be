#include "mcp/threads.hpp"

#include <ctime>

namespace quillo::mcp {
namespace {

void* run(void* argument) {
  const std::unique_ptr<std::function<void()>> function(static_cast<std::function<void()>*>(argument));
  (*function)();
  return nullptr;
}

}  // namespace

Condition::Condition() {
#if defined(__APPLE__)
  pthread_cond_init(&condition_, nullptr);
#else
  // Waits are measured on the monotonic clock: a change of the system's time does not move them.
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&condition_, &attributes);
  pthread_condattr_destroy(&attributes);
#endif
}

void Condition::wait_for(Mutex& mutex, std::chrono::milliseconds timeout) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
  timespec delay{};
  delay.tv_sec = static_cast<time_t>(seconds.count());
  delay.tv_nsec = static_cast<long>((timeout - seconds).count() * 1'000'000);
#if defined(__APPLE__)
  pthread_cond_timedwait_relative_np(&condition_, mutex.native(), &delay);
#else
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += delay.tv_sec;
  deadline.tv_nsec += delay.tv_nsec;
  if (deadline.tv_nsec >= 1'000'000'000) {
    deadline.tv_nsec -= 1'000'000'000;
    ++deadline.tv_sec;
  }
  pthread_cond_timedwait(&condition_, mutex.native(), &deadline);
#endif
}

Thread::~Thread() { join(); }

bool Thread::start(std::function<void()> function) {
  auto owned = std::make_unique<std::function<void()>>(std::move(function));
  if (pthread_create(&thread_, nullptr, run, owned.get()) != 0) return false;
  owned.release();  // the thread's own now
  started_ = true;
  return true;
}

void Thread::join() {
  if (!started_) return;
  pthread_join(thread_, nullptr);
  started_ = false;
}

}  // namespace quillo::mcp
