#include "core/standard_output.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillo {

bool guard_standard_descriptors() {
  bool stdout_closed = false;
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == 1) stdout_closed = true;
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
  return stdout_closed;
}

FdStreamBuf::FdStreamBuf(int fd, std::size_t buffer_size)
    : fd_(fd), size_(buffer_size), buffer_(new char[buffer_size]) {  // left uninitialised
  setp(buffer_.get(), buffer_.get() + size_);
}

FdStreamBuf::~FdStreamBuf() { flush_buffer(); }

FdStreamBuf::int_type FdStreamBuf::overflow(int_type c) {
  if (!flush_buffer()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int FdStreamBuf::sync() { return flush_buffer() ? 0 : -1; }

std::streamsize FdStreamBuf::xsputn(const char* data, std::streamsize size) {
  const auto count = static_cast<std::size_t>(size);
  const auto room = static_cast<std::size_t>(epptr() - pptr());
  if (count <= room) {
    std::memcpy(pptr(), data, count);
    pbump(static_cast<int>(count));
    return size;
  }
  // Large pieces go straight out rather than through the buffer.
  if (!flush_buffer() || !write_out(data, count)) return 0;
  return size;
}

bool FdStreamBuf::flush_buffer() {
  const auto pending = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_.get(), buffer_.get() + size_);
  return write_out(buffer_.get(), pending);
}

bool FdStreamBuf::write_out(const char* data, std::size_t size) {
  if (!failure_.empty()) return false;
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      failure_ = std::strerror(errno);
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace quillo
