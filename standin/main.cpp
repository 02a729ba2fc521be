// quillo-standin SOCKET: serves the stand-in IDE on SOCKET until it is interrupted or terminated.

#include <csignal>
#include <cstdio>
#include <cstring>

#include "ide.hpp"
#include "server.hpp"

namespace {
constexpr const char* kUsage = "usage: quillo-standin [--] SOCKET\n";
}

int main(int argc, char** argv) {
  // The socket path: the one argument, or the argument after "--" for a path that begins with '-'.
  const char* path = nullptr;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && argv[1][0] != '-') {
    path = argv[1];
  } else if (argc == 3 && std::strcmp(argv[1], "--") == 0) {
    path = argv[2];
  }
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
  standin::Server server(path, standin::serve(ide));
  std::printf("quillo-standin: listening on %s\n", path);
  std::fflush(stdout);
  int received = 0;
  sigwait(&signals, &received);
  return 0;
}
