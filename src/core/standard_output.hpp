#pragma once
// Standard output and error as sinks whose failures are reported rather than lost: a full disk
// or a closed descriptor must not pass for success.

#include <cstddef>
#include <span>
#include <string>

#include "core/result.hpp"
#include "core/sink.hpp"

namespace quillo {

struct ClosedDescriptors {
  bool input = false;
  bool output = false;
};

/// Protects descriptors 0, 1 and 2: a closed one is opened on /dev/null, so that the socket can
/// never take its number. Says whether standard input was closed, and whether standard output
/// was closed or open for reading only.
ClosedDescriptors guard_standard_descriptors();

/// A sink over a file descriptor that remembers the first write error, buffered in `buffer`
/// (none: every piece is written at once).
class FdSink final : public Sink {
 public:
  explicit FdSink(int fd, std::span<char> buffer = {}) : fd_(fd), buffer_(buffer) {}
  ~FdSink() override { flush(); }
  FdSink(const FdSink&) = delete;
  FdSink& operator=(const FdSink&) = delete;

  void write(std::string_view text) override;
  /// Writes out what is buffered: nothing, or why the first write that failed did.
  MaybeError flush();

  /// Makes every write fail with `description` (for a descriptor that was closed).
  void fail_with(std::string description) { failure_ = Error{std::move(description)}; }

 private:
  bool write_out(const char* data, std::size_t size);

  int fd_;
  std::span<char> buffer_;
  std::size_t used_ = 0;
  MaybeError failure_;
};

}  // namespace quillo
