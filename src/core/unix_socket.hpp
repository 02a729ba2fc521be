#pragma once
// A connected Unix-domain stream socket with bounded blocking reads and writes.

#include <chrono>
#include <string>
#include <string_view>

#include "core/result.hpp"

namespace quillo {

class UnixSocket {
 public:
  /// Connects to `path` with the given time-outs already set (the write time-out also bounds a
  /// connect to a listener whose queue is full). The error is the system's description.
  static Result<UnixSocket> connect(const std::string& path, std::chrono::milliseconds read_timeout,
                                    std::chrono::milliseconds write_timeout);

  UnixSocket(UnixSocket&& other) noexcept;
  UnixSocket& operator=(UnixSocket&& other) noexcept;
  UnixSocket(const UnixSocket&) = delete;
  UnixSocket& operator=(const UnixSocket&) = delete;
  ~UnixSocket();

  /// The descriptor, for a cancel from another thread to shut down (never to close).
  int descriptor() const { return fd_; }

  /// Writes all of `data`, resuming after partial writes. The error is the system's description.
  MaybeError write_all(std::string_view data);

  /// Reads until the first line feed (kept) or the end of the stream, `chunk` bytes at a time
  /// (at most kReadChunk).
  /// Bytes after the line feed are dropped. A line longer than `limit` bytes is refused rather
  /// than read until memory runs out. The error is the system's description.
  Result<std::string> read_line(std::size_t chunk = kReadChunk, std::size_t limit = kMaxLineBytes);

  /// The most read at a time.
  static constexpr std::size_t kReadChunk = 4096;

  /// The longest reply line read: 1 GiB.
  static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 30;

 private:
  explicit UnixSocket(int fd) : fd_(fd) {}
  int fd_ = -1;
  std::chrono::milliseconds read_timeout_{};
  std::chrono::milliseconds write_timeout_{};
};

}  // namespace quillo
