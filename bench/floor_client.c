/* floor-client SOCKET: the least a client must do for one exchange, as the floor to compare
 * with: read the three context variables, make a version 4 id from the system's random source,
 * connect, write the request line, read one line, print it. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

static size_t put_json_string(char *out, const char *text) {
  if (!text || !*text) {
    memcpy(out, "null", 4);
    return 4;
  }
  size_t n = 0;
  out[n++] = '"';
  for (const unsigned char *p = (const unsigned char *)text; *p; ++p) {
    if (*p == '"' || *p == '\\') {
      out[n++] = '\\';
      out[n++] = (char)*p;
    } else if (*p < 0x20) {
      n += (size_t)sprintf(out + n, "\\u%04x", *p);
    } else {
      out[n++] = (char)*p;
    }
  }
  out[n++] = '"';
  return n;
}

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  unsigned char b[16];
  int random_fd = open("/dev/urandom", O_RDONLY);
  if (random_fd < 0 || read(random_fd, b, sizeof b) != sizeof b) return 1;
  close(random_fd);
  b[6] = (unsigned char)((b[6] & 0x0f) | 0x40);
  b[8] = (unsigned char)((b[8] & 0x3f) | 0x80);

  static char request[65536];
  size_t n = 0;
  n += (size_t)sprintf(request + n, "{\"_env\":{\"context\":");
  n += put_json_string(request + n, getenv("QUILLO_CONTEXT"));
  n += (size_t)sprintf(request + n, ",\"project_path\":");
  n += put_json_string(request + n, getenv("QUILLO_PROJECT_PATH"));
  n += (size_t)sprintf(request + n, ",\"roost\":");
  n += put_json_string(request + n, getenv("QUILLO_ROOST"));
  n += (size_t)sprintf(request + n,
                       "},\"id\":\"%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x\","
                       "\"method\":\"ping\",\"params\":{}}\n",
                       b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12],
                       b[13], b[14], b[15]);

  struct sockaddr_un address;
  memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (strlen(argv[1]) >= sizeof address.sun_path) return 1;
  strcpy(address.sun_path, argv[1]);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0 || connect(fd, (struct sockaddr *)&address, sizeof address) != 0) return 1;
  if (write(fd, request, n) != (ssize_t)n) return 1;

  static char line[1 << 16];
  size_t got = 0;
  for (;;) {
    ssize_t r = read(fd, line + got, sizeof line - got);
    if (r <= 0) break;
    char *newline = memchr(line + got, '\n', (size_t)r);
    got += (size_t)r;
    if (newline) {
      got = (size_t)(newline - line) + 1;
      break;
    }
    if (got == sizeof line) break;
  }
  fwrite(line, 1, got, stdout);
  return 0;
}
