#pragma once
// A connected Unix-domain stream socket, whose writing and reading are each bounded as a whole.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/line_buffer.hpp"
#include "core/result.hpp"

namespace quillo {

/// Told about once a second, from the first second on, how long a reply has been awaited and
/// for how long it may be; and once more when the wait is over (`over`), however it ended.
using WaitProgress = std::function<void(std::chrono::milliseconds waited, std::chrono::milliseconds allowed, bool over)>;

class ExchangeCancel;

class UnixSocket {
 public:
  /// Connects to `path`; `timeout` bounds a connect to a listener whose queue is full, and
  /// `cancel`, when there is one, ends that wait within a quarter of a second. The error is the
  /// system's description, or says the time allowed.
  static Result<UnixSocket> connect(const std::string& path, std::chrono::milliseconds timeout,
                                    const ExchangeCancel* cancel = nullptr);

  UnixSocket(UnixSocket&& other) noexcept;
  UnixSocket& operator=(UnixSocket&& other) noexcept;
  UnixSocket(const UnixSocket&) = delete;
  UnixSocket& operator=(const UnixSocket&) = delete;
  ~UnixSocket();

  /// The user id of the process at the other end, when the system tells.
  std::optional<unsigned> peer_user() const;

  /// The descriptor, for a cancel from another thread to shut down (never to close).
  int descriptor() const { return fd_; }

  /// Writes all of `data` within `timeout` in all, however slowly the peer reads. The error is
  /// the system's description.
  MaybeError write_all(std::string_view data, std::chrono::milliseconds timeout);

  /// Reads until the first line feed (kept) or the end of the stream, within `timeout` in all,
  /// however the bytes trickle in. Bytes after the line feed are dropped. A line longer than
  /// `limit` bytes is refused rather than read until memory runs out. `progress` is told of the
  /// wait. The error is the system's description.
  Result<LineBuffer> read_line(std::chrono::milliseconds timeout, const WaitProgress& progress = {},
                               std::size_t limit = kMaxLineBytes);

  /// The longest reply line read: 1 GiB.
  static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 30;

 private:
  explicit UnixSocket(int fd) : fd_(fd) {}
  int fd_ = -1;
};

/// "5 s", or "1300 ms" for a time that is no whole number of seconds.
std::string describe_duration(std::chrono::milliseconds duration);

}  // namespace quillo
