#include "core/standard_output.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillo {

ClosedDescriptors guard_standard_descriptors() {
  ClosedDescriptors closed;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fd == 1) {
      // Open for reading only (`1</dev/null`) is as good as closed: every write would fail.
      const int flags = ::fcntl(fd, F_GETFL);
      if (flags != -1 && (flags & O_ACCMODE) == O_RDONLY) closed.output = true;
      if (flags != -1 || errno != EBADF) continue;
    } else if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
      continue;
    }
    if (fd == 0) closed.input = true;
    if (fd == 1) closed.output = true;
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
  return closed;
}

void FdSink::write(std::string_view text) {
  // What fills the buffer goes straight out after what it holds: a piece as large as the
  // buffer (a writer's own buffer of JSON), copied into it, would fill it for one write anyway.
  if (text.size() < buffer_.size() - used_) {
    std::memcpy(buffer_.data() + used_, text.data(), text.size());
    used_ += text.size();
    return;
  }
  if (!flush()) write_out(text.data(), text.size());
}

MaybeError FdSink::flush() {
  const std::size_t pending = used_;
  used_ = 0;
  write_out(buffer_.data(), pending);
  return failure_;
}

bool FdSink::write_out(const char* data, std::size_t size) {
  if (failure_) return false;
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        // A descriptor made non-blocking by whoever shares it: wait until it takes more, as a
        // blocking one would.
        pollfd ready{fd_, POLLOUT, 0};
        ::poll(&ready, 1, -1);
        continue;
      }
      failure_ = Error{std::strerror(errno)};
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace quillo
