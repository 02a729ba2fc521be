#include "core/platform.hpp"

#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <cstdint>

#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#include <sys/un.h>
#endif

namespace quillo::platform {

std::optional<std::string> running_executable_path() {
#if defined(__APPLE__)
  std::uint32_t size = 0;
  _NSGetExecutablePath(nullptr, &size);
  std::string path(size, '\0');
  if (_NSGetExecutablePath(path.data(), &size) != 0) return std::nullopt;
  path.resize(path.find('\0'));
  return path;
#else
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(length));
#endif
}

void suppress_sigpipe([[maybe_unused]] int fd) {
#if defined(SO_NOSIGPIPE)
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
}

int send_flags() {
#if defined(MSG_NOSIGNAL)
  return MSG_NOSIGNAL;
#else
  return 0;
#endif
}

std::optional<unsigned> peer_user(int fd) {
#if defined(SO_PEERCRED)
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
  return static_cast<unsigned>(credentials.uid);
#else
  uid_t user = 0;
  gid_t group = 0;
  if (getpeereid(fd, &user, &group) != 0) return std::nullopt;
  return static_cast<unsigned>(user);
#endif
}

void advise_large_pages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size) {
#if defined(MADV_HUGEPAGE)
  // The advice is given for whole pages: those the block starts and ends in, its mapping's own.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(data) & ~(page - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + size + page - 1) & ~(page - 1);
  ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);  // advice only: may fail
#endif
}

}  // namespace quillo::platform
