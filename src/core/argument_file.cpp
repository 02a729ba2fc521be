#include "core/argument_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillo {

Result<std::string> read_argument_file(const std::string& path, std::size_t max_bytes) {
  const bool standard_input = path == "-";
  const int fd = standard_input ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Error{std::strerror(errno)};
  std::string content;
  std::string failure;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      failure = std::strerror(errno);
      break;
    }
    if (got == 0) break;
    if (content.size() + static_cast<std::size_t>(got) > max_bytes) {
      failure = max_bytes % (1 << 20) == 0 ? "larger than " + std::to_string(max_bytes >> 20) + " MiB"
                                           : "larger than " + std::to_string(max_bytes) + " bytes";
      break;
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  if (!standard_input) ::close(fd);
  if (!failure.empty()) return Error{failure};
  return content;
}

}  // namespace quillo
