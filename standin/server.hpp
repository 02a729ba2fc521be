#pragma once
// A stand-in for the IDE's end of the socket: it listens on a Unix socket and answers each
// connection as the test or the demo scripts it, each on its own thread as the IDE does, so that
// a reply held back (a wait) holds back no other connection.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace standin {

/// How one connection is answered.
struct Reply {
  std::string bytes;                ///< written as they are: a line, several, or none
  std::chrono::milliseconds delay{};  ///< waited before writing
  std::chrono::milliseconds pace{};   ///< when set, waited before each byte: a trickle
};

struct Behaviour {
  bool read_request = true;  ///< false: close the connection before reading anything
  std::function<Reply(const std::string& request_line)> respond;
};

/// Answers every request with `bytes`, after `delay`.
Behaviour reply_with(std::string bytes, std::chrono::milliseconds delay = {});
/// Accepts, then closes without reading.
Behaviour close_before_reading();
/// Accepts, and holds the connection open for `time` without reading anything.
Behaviour hold_without_reading(std::chrono::milliseconds time);
/// Answers with `bytes`, one at a time, `pace` apart.
Behaviour trickle(std::string bytes, std::chrono::milliseconds pace);

class Server {
 public:
  /// Starts listening on `socket_path` (an existing file there is replaced).
  Server(std::string socket_path, Behaviour behaviour);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  const std::string& path() const { return path_; }
  /// The request lines received so far, each with its line feed if one came.
  std::vector<std::string> requests() const;
  /// How many connections were accepted.
  std::size_t connections() const { return connections_; }

 private:
  // One connection being answered.
  struct Connection {
    int fd = -1;
    bool done = false;
    std::thread thread;
  };

  void serve();
  void answer(int fd);
  void join_finished();
  bool wait_or_stop(std::chrono::milliseconds delay);

  std::string path_;
  Behaviour behaviour_;
  int listen_fd_ = -1;
  int wake_fds_[2] = {-1, -1};
  std::atomic<std::size_t> connections_{0};
  mutable std::mutex mutex_;
  std::condition_variable stopping_;
  bool stop_ = false;
  std::vector<std::string> requests_;
  std::mutex respond_mutex_;  ///< one respond at a time: the behaviour's state is not shared
  std::list<Connection> open_;  ///< guarded by mutex_
  std::thread thread_;
};

}  // namespace standin
