/* canned-server SOCKET REPLY_FILE: answers every connection on SOCKET with the bytes of
 * REPLY_FILE, after reading the request line. A peer for benchmarks that costs next to
 * nothing itself. */
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

static char *load(const char *path, size_t *size) {
  int fd = open(path, O_RDONLY);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return NULL;
  char *data = malloc((size_t)st.st_size + 1);
  size_t got = 0;
  while (data && got < (size_t)st.st_size) {
    ssize_t n = read(fd, data + got, (size_t)st.st_size - got);
    if (n <= 0) break;
    got += (size_t)n;
  }
  close(fd);
  *size = got;
  return data;
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: canned-server SOCKET REPLY_FILE\n");
    return 2;
  }
  size_t size = 0;
  char *reply = load(argv[2], &size);
  if (!reply) {
    perror(argv[2]);
    return 1;
  }
  signal(SIGPIPE, SIG_IGN);
  struct sockaddr_un address;
  memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (strlen(argv[1]) >= sizeof address.sun_path) return 1;
  strcpy(address.sun_path, argv[1]);
  unlink(argv[1]);
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  if (listener < 0 || bind(listener, (struct sockaddr *)&address, sizeof address) != 0 ||
      listen(listener, 64) != 0) {
    perror("listen");
    return 1;
  }
  for (;;) {
    int fd = accept(listener, NULL, NULL);
    if (fd < 0) continue;
    char buffer[8192];
    for (;;) { /* the request line */
      ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0 || memchr(buffer, '\n', (size_t)n)) break;
    }
    size_t sent = 0;
    while (sent < size) {
      ssize_t n = write(fd, reply + sent, size - sent);
      if (n <= 0) break;
      sent += (size_t)n;
    }
    close(fd);
  }
}
