#pragma once
// Threads and a condition for the MCP server, over POSIX threads rather than the standard
// library's, for the reason core/mutex.hpp gives: here a failure to start a thread is a value.

#include <pthread.h>

#include <chrono>
#include <functional>
#include <memory>

#include "core/mutex.hpp"

namespace quillo::mcp {

class Condition {
 public:
  Condition();
  ~Condition() { pthread_cond_destroy(&condition_); }
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;
  /// Waits, `mutex` locked, until notified or `timeout` has passed (or spuriously).
  void wait_for(Mutex& mutex, std::chrono::milliseconds timeout);
  void notify_all() { pthread_cond_broadcast(&condition_); }

 private:
  pthread_cond_t condition_;
};

class Thread {
 public:
  Thread() = default;
  ~Thread();  // joins a thread that was not joined
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  /// Runs `function` on a new thread; false when the system gives none.
  bool start(std::function<void()> function);
  bool running() const { return started_; }
  void join();

 private:
  pthread_t thread_{};
  bool started_ = false;
};

}  // namespace quillo::mcp
