#pragma once
// Standard output as a stream whose failures are reported rather than lost: a full disk or a
// closed descriptor must not pass for success.

#include <memory>
#include <streambuf>
#include <string>

namespace quillo {

/// Protects descriptors 0, 1 and 2: a closed one is opened on /dev/null, so that the socket can
/// never take its number. Returns true when descriptor 1 was closed.
bool guard_standard_descriptors();

/// A buffered stream buffer over a file descriptor that remembers the first write error.
class FdStreamBuf : public std::streambuf {
 public:
  explicit FdStreamBuf(int fd, std::size_t buffer_size = 1 << 16);
  ~FdStreamBuf() override;

  /// The system's description of the first failed write, or empty.
  const std::string& failure() const { return failure_; }
  /// Makes every write fail with `description` (for a descriptor that was closed).
  void fail_with(std::string description) { failure_ = std::move(description); }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;

 private:
  bool flush_buffer();
  bool write_out(const char* data, std::size_t size);

  int fd_;
  std::size_t size_;
  std::unique_ptr<char[]> buffer_;
  std::string failure_;
};

}  // namespace quillo
