#include "core/unix_socket.hpp"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/platform.hpp"

namespace quillo {
namespace {

std::string system_error(int code) { return std::strerror(code); }

std::string describe_seconds(std::chrono::milliseconds timeout) {
  const auto ms = timeout.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  return std::to_string(ms) + " ms";
}

void set_timeout(int fd, int option, std::chrono::milliseconds timeout) {
  timeval tv{};
  tv.tv_sec = static_cast<decltype(tv.tv_sec)>(timeout.count() / 1000);
  tv.tv_usec = static_cast<decltype(tv.tv_usec)>((timeout.count() % 1000) * 1000);
  // A failure leaves the socket without this bound; the exchange still works.
  setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

}  // namespace

Result<UnixSocket> UnixSocket::connect(const std::string& path,
                                       std::chrono::milliseconds read_timeout,
                                       std::chrono::milliseconds write_timeout) {
  sockaddr_un address{};
  // A longer path would have to be cut, and a cut path may name another socket.
  if (path.size() >= sizeof address.sun_path) {
    return Error{"socket path is too long (" + std::to_string(path.size()) +
                 " bytes; this system allows " + std::to_string(sizeof address.sun_path - 1) +
                 ")"};
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());

  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return Error{system_error(errno)};
  UnixSocket socket(fd);
  socket.read_timeout_ = read_timeout;
  socket.write_timeout_ = write_timeout;
  platform::suppress_sigpipe(fd);
  set_timeout(fd, SO_RCVTIMEO, read_timeout);
  set_timeout(fd, SO_SNDTIMEO, write_timeout);

  int status;
  do {
    status = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (status != 0 && errno == EINTR);
  if (status != 0) return Error{system_error(errno)};
  return socket;
}

UnixSocket::UnixSocket(UnixSocket&& other) noexcept
    : fd_(other.fd_), read_timeout_(other.read_timeout_), write_timeout_(other.write_timeout_) {
  other.fd_ = -1;
}

UnixSocket& UnixSocket::operator=(UnixSocket&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    read_timeout_ = other.read_timeout_;
    write_timeout_ = other.write_timeout_;
    other.fd_ = -1;
  }
  return *this;
}

UnixSocket::~UnixSocket() {
  if (fd_ >= 0) ::close(fd_);
}

MaybeError UnixSocket::write_all(std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::send(fd_, data.data(), data.size(), platform::send_flags());
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return Error{"timed out after " + describe_seconds(write_timeout_)};
      }
      return Error{system_error(errno)};
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return std::nullopt;
}

Result<std::string> UnixSocket::read_line(std::size_t chunk, std::size_t limit) {
  // Each read lands on the stack and only what arrived is kept: a short reply touches no more
  // memory than it needs.
  char buffer[kReadChunk];
  chunk = std::min(chunk, sizeof buffer);
  std::string line;
  for (;;) {
    if (line.size() > limit) {
      return Error{"no line feed in the first " + std::to_string(limit) + " bytes of the reply"};
    }
    const ssize_t got = ::recv(fd_, buffer, chunk, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return Error{"timed out after " + describe_seconds(read_timeout_) + " without data"};
      }
      return Error{system_error(errno)};
    }
    if (got == 0) return line;  // end of stream
    // Only the new bytes can hold the first line feed: reading stays linear in the line's size.
    const auto size = static_cast<std::size_t>(got);
    const void* newline = std::memchr(buffer, '\n', size);
    if (newline != nullptr) {
      line.append(buffer, static_cast<std::size_t>(static_cast<const char*>(newline) - buffer) + 1);
      return line;
    }
    line.append(buffer, size);
  }
}

}  // namespace quillo
