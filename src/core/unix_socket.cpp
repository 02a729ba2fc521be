#include "core/unix_socket.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "core/exchange_cancel.hpp"
#include "core/platform.hpp"

namespace quillo {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string system_error(int code) { return std::strerror(code); }

// The point in time `timeout` from now, saturating for a wait beyond any real bound.
Clock::time_point deadline_after(milliseconds timeout) {
  const auto now = Clock::now();
  const auto room = std::chrono::duration_cast<milliseconds>(Clock::time_point::max() - now);
  return timeout >= room ? Clock::time_point::max() : now + timeout;
}

milliseconds remaining(Clock::time_point deadline) {
  const auto now = Clock::now();
  if (now >= deadline) return milliseconds(0);
  return std::chrono::ceil<milliseconds>(deadline - now);
}

// Waits until `fd` is ready for `events` (or has failed, which the next call reports), for at
// most `limit`.
void wait_for(int fd, short events, milliseconds limit) {
  pollfd entry{fd, events, 0};
  const int ms = static_cast<int>(std::min<milliseconds::rep>(limit.count(), std::numeric_limits<int>::max()));
  ::poll(&entry, 1, ms);
}

}  // namespace

std::string describe_duration(milliseconds duration) {
  const auto ms = duration.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  return std::to_string(ms) + " ms";
}

Result<UnixSocket> UnixSocket::connect(const std::string& path, milliseconds timeout, const ExchangeCancel* cancel) {
  sockaddr_un address{};
  // A longer path would have to be cut, and a cut path may name another socket.
  if (path.size() >= sizeof address.sun_path) {
    return Error{"socket path is too long (" + std::to_string(path.size()) + " bytes; this system allows " +
                 std::to_string(sizeof address.sun_path - 1) + ")"};
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());

  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return Error{system_error(errno)};
  UnixSocket socket(fd);
  platform::suppress_sigpipe(fd);
  // A connect waits while the listener's queue is full, a slice at a time: the send time-out
  // bounds each try (a system that ignores it leaves the wait unbounded, and the connection
  // still works), and between tries the exchange may have been cancelled.
  constexpr milliseconds kSlice(250);
  const auto deadline = deadline_after(timeout);
  for (;;) {
    const milliseconds slice = std::max(milliseconds(1), std::min(kSlice, remaining(deadline)));
    timeval tv{};
    tv.tv_sec = static_cast<decltype(tv.tv_sec)>(slice.count() / 1000);
    tv.tv_usec = static_cast<decltype(tv.tv_usec)>((slice.count() % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return socket;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Error{system_error(errno)};
    if (cancel != nullptr && cancel->cancelled()) return Error{"cancelled"};
    if (remaining(deadline).count() == 0) return Error{"timed out after " + describe_duration(timeout)};
  }
}

UnixSocket::UnixSocket(UnixSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

UnixSocket& UnixSocket::operator=(UnixSocket&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

UnixSocket::~UnixSocket() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<unsigned> UnixSocket::peer_user() const { return platform::peer_user(fd_); }

MaybeError UnixSocket::write_all(std::string_view data, milliseconds timeout) {
  const auto deadline = deadline_after(timeout);
  while (!data.empty()) {
    const ssize_t written = ::send(fd_, data.data(), data.size(), platform::send_flags() | MSG_DONTWAIT);
    if (written >= 0) {
      data.remove_prefix(static_cast<std::size_t>(written));
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Error{system_error(errno)};
    // The peer reads slowly or not at all: the whole write has `timeout`, not each part of it.
    const milliseconds left = remaining(deadline);
    if (left.count() == 0) return Error{"timed out after " + describe_duration(timeout)};
    wait_for(fd_, POLLOUT, left);
  }
  return std::nullopt;
}

Result<LineBuffer> UnixSocket::read_line(milliseconds timeout, const WaitProgress& progress, std::size_t limit) {
  // Read straight into the line, in pieces as large as have arrived.
  constexpr std::size_t kPiece = 1 << 16;
  LineBuffer line;
  const auto start = Clock::now();
  const auto deadline = deadline_after(timeout);
  // The wait is reported when it is over, however it ends, once it has been reported at all.
  bool reported = false;
  const auto over = [&] {
    if (reported) progress(std::chrono::duration_cast<milliseconds>(Clock::now() - start), timeout, true);
  };
  long long told = 0;  // whole seconds of the wait told of
  for (;;) {
    if (line.size() > limit) {
      over();
      return Error{"no line feed in the first " + std::to_string(limit) + " bytes of the reply"};
    }
    std::size_t available = 0;
    char* room = line.room(std::min(kPiece, limit + 1 - line.size()), available);
    // What has arrived is taken at once; only when nothing has is the wait bounded and told of.
    const ssize_t got = ::recv(fd_, room, std::min(available, limit + 1 - line.size()), MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      over();
      return Error{system_error(errno)};
    }
    if (got < 0) {
      const milliseconds left = remaining(deadline);
      if (left.count() == 0) {
        over();
        return Error{"timed out after " + describe_duration(timeout) +
                     (line.empty() ? " without data" : " before the reply was complete")};
      }
      milliseconds slice = left;
      if (progress) {
        const auto waited = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        if (waited.count() / 1000 > told) {
          told = waited.count() / 1000;
          progress(waited, timeout, false);
          reported = true;
        }
        // Wakes at the next whole second of the wait, to tell of it.
        slice = std::min(slice, milliseconds(1000 - waited.count() % 1000));
      }
      wait_for(fd_, POLLIN, slice);
      continue;
    }
    if (got == 0) {
      over();
      return line;  // end of stream
    }
    // Only the new bytes can hold the first line feed: reading stays linear in the line's size.
    const auto size = static_cast<std::size_t>(got);
    const void* newline = std::memchr(room, '\n', size);
    line.grow(size);
    if (newline != nullptr) {
      line.shrink(line.size() - size + static_cast<std::size_t>(static_cast<const char*>(newline) - room) + 1);
      over();
      return line;
    }
  }
}

}  // namespace quillo
