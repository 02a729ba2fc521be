// quillo-standin SOCKET: serves the stand-in IDE on SOCKET until it is interrupted or terminated.

#include <csignal>
#include <cstdio>

#include "ide.hpp"
#include "server.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillo-standin SOCKET\n");
    return 2;
  }
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before the server's thread starts

  standin::Ide ide;
  standin::Server server(argv[1], standin::serve(ide));
  std::printf("quillo-standin: listening on %s\n", argv[1]);
  std::fflush(stdout);
  int received = 0;
  sigwait(&signals, &received);
  return 0;
}
