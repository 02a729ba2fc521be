#include "core/standard_output.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillo {

ClosedDescriptors guard_standard_descriptors() {
  ClosedDescriptors closed;
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
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
  if (flush()) write_out(text.data(), text.size());
}

bool FdSink::flush() {
  const std::size_t pending = used_;
  used_ = 0;
  return write_out(buffer_.data(), pending);
}

bool FdSink::write_out(const char* data, std::size_t size) {
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
