// quillo-standin [--hold METHOD=MILLISECONDS]... [--] SOCKET: serves the stand-in IDE on SOCKET
// until it is interrupted or terminated. --hold makes every reply to METHOD wait that long, as
// the IDE's waits do, for the tests of what happens meanwhile.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ide.hpp"
#include "server.hpp"

namespace {
constexpr const char* kUsage = "usage: quillo-standin [--hold METHOD=MILLISECONDS]... [--] SOCKET\n";

// "METHOD=MILLISECONDS", or nothing when it is not of that form.
bool read_hold(const char* text, std::vector<std::pair<std::string, long>>& holds) {
  const char* equals = std::strchr(text, '=');
  if (equals == nullptr || equals == text || equals[1] == '\0') return false;
  char* end = nullptr;
  const long milliseconds = std::strtol(equals + 1, &end, 10);
  if (*end != '\0' || milliseconds < 0) return false;
  holds.emplace_back(std::string(text, equals), milliseconds);
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // The socket path: the last argument, after "--" for a path that begins with '-'.
  std::vector<std::pair<std::string, long>> holds;
  int i = 1;
  while (i + 1 < argc && std::strcmp(argv[i], "--hold") == 0 && read_hold(argv[i + 1], holds)) i += 2;
  if (i + 1 < argc && std::strcmp(argv[i], "--") == 0) ++i;
  const char* path = i + 1 == argc && (argv[i][0] != '-' || std::strcmp(argv[i - 1], "--") == 0) ? argv[i] : nullptr;
  if (path == nullptr) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before the server's thread starts

  standin::Ide ide;
  for (const auto& [method, milliseconds] : holds) ide.set_delay(method, std::chrono::milliseconds(milliseconds));
  standin::Server server(path, standin::serve(ide));
  std::printf("quillo-standin: listening on %s\n", path);
  std::fflush(stdout);
  int received = 0;
  sigwait(&signals, &received);
  return 0;
}
