#pragma once
// Threads, a lock and a condition for the MCP server, over POSIX threads rather than the
// standard library's: those report a failure by throwing std::system_error, and linking that
// brings a static constructor into the start of every command the program runs. Here a failure
// to start a thread is a value, and a lock cannot fail on a mutex that is used correctly.

#include <pthread.h>

#include <chrono>
#include <functional>
#include <memory>

namespace quillo::mcp {

class Mutex {
 public:
  Mutex() = default;
  ~Mutex() { pthread_mutex_destroy(&mutex_); }
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock() { pthread_mutex_lock(&mutex_); }
  void unlock() { pthread_mutex_unlock(&mutex_); }
  pthread_mutex_t* native() { return &mutex_; }

 private:
  pthread_mutex_t mutex_ = PTHREAD_MUTEX_INITIALIZER;
};

class Lock {
 public:
  explicit Lock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
  ~Lock() { mutex_.unlock(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  Mutex& mutex_;
};

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
