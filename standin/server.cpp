#include "server.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#if !defined(MSG_NOSIGNAL)
#define MSG_NOSIGNAL 0
#endif

namespace standin {

Behaviour reply_with(std::string bytes, std::chrono::milliseconds delay) {
  return {true, [bytes = std::move(bytes), delay](const std::string&) {
            return Reply{bytes, delay};
          }};
}

Behaviour close_before_reading() {
  return {false, [](const std::string&) { return Reply{}; }};
}

Behaviour hold_without_reading(std::chrono::milliseconds time) {
  return {false, [time](const std::string&) { return Reply{{}, time}; }};
}

Behaviour trickle(std::string bytes, std::chrono::milliseconds pace) {
  return {true, [bytes = std::move(bytes), pace](const std::string&) { return Reply{bytes, {}, pace}; }};
}

Server::Server(std::string socket_path, Behaviour behaviour)
    : path_(std::move(socket_path)), behaviour_(std::move(behaviour)) {
  sockaddr_un address{};
  if (path_.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long");
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path_.c_str(), path_.size());
  ::unlink(path_.c_str());
  listen_fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
      ::listen(listen_fd_, 16) || ::pipe(wake_fds_)) {
    throw std::runtime_error(std::string("stand-in cannot listen: ") + std::strerror(errno));
  }
  thread_ = std::thread([this] { serve(); });
}

Server::~Server() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stopping_.notify_all();
  const char wake = 1;
  [[maybe_unused]] auto ignored = ::write(wake_fds_[1], &wake, 1);
  thread_.join();
  {
    // A connection still reading is ended: its peer is gone with the test.
    std::lock_guard lock(mutex_);
    for (Connection& connection : open_) {
      if (!connection.done) ::shutdown(connection.fd, SHUT_RDWR);
    }
  }
  for (Connection& connection : open_) connection.thread.join();
  ::close(listen_fd_);
  ::close(wake_fds_[0]);
  ::close(wake_fds_[1]);
  ::unlink(path_.c_str());
}

std::vector<std::string> Server::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool Server::wait_or_stop(std::chrono::milliseconds delay) {
  std::unique_lock lock(mutex_);
  return !stopping_.wait_for(lock, delay, [this] { return stop_; });
}

void Server::serve() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_fds_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    const int fd = ::accept(listen_fd_, nullptr, nullptr);
    if (fd < 0) continue;
    ++connections_;
#if defined(SO_NOSIGPIPE)
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    join_finished();
    std::lock_guard lock(mutex_);
    Connection& connection = open_.emplace_back();
    connection.fd = fd;
    connection.thread = std::thread([this, &connection] {
      answer(connection.fd);
      std::lock_guard done(mutex_);
      ::close(connection.fd);
      connection.done = true;
    });
  }
}

void Server::join_finished() {
  std::list<Connection> finished;
  {
    std::lock_guard lock(mutex_);
    for (auto it = open_.begin(); it != open_.end();) {
      const auto next = std::next(it);
      if (it->done) finished.splice(finished.end(), open_, it);
      it = next;
    }
  }
  for (Connection& connection : finished) connection.thread.join();
}

void Server::answer(int fd) {
  std::string line;
  if (behaviour_.read_request) {
    char buffer[8192];
    while (line.empty() || line.back() != '\n') {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got <= 0) break;
      line.append(buffer, static_cast<std::size_t>(got));
    }
    std::lock_guard lock(mutex_);
    requests_.push_back(line);
  }
  Reply reply;
  {
    std::lock_guard lock(respond_mutex_);
    reply = behaviour_.respond(line);
  }
  if (reply.delay.count() > 0 && !wait_or_stop(reply.delay)) return;
  std::size_t sent = 0;
  while (sent < reply.bytes.size()) {
    if (reply.pace.count() > 0 && !wait_or_stop(reply.pace)) return;
    const std::size_t piece = reply.pace.count() > 0 ? 1 : reply.bytes.size() - sent;
    const ssize_t written = ::send(fd, reply.bytes.data() + sent, piece, MSG_NOSIGNAL);
    if (written <= 0) break;
    sent += static_cast<std::size_t>(written);
  }
}

}  // namespace standin
