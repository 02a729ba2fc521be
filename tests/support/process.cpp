#include "support/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#if defined(__APPLE__)
#include <util.h>
#else
#include <pty.h>
#endif

#include <cerrno>
#include <stdexcept>

namespace testing_support {
namespace {

std::vector<char*> c_strings(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Reads both pipes to their end without letting either fill up; stops reading standard output
// (and closes it) after `out_limit` bytes.
void drain(int out_fd, int err_fd, std::string& out, std::string& err,
           std::optional<std::size_t> out_limit) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open_count = (out_fd >= 0) + (err_fd >= 0);
  while (open_count > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      std::size_t wanted = sizeof buffer;
      if (i == 0 && out_limit) wanted = std::min(wanted, *out_limit - out.size());
      const ssize_t got = wanted == 0 ? 0 : ::read(fds[i].fd, buffer, wanted);
      if (got > 0) sinks[i]->append(buffer, static_cast<std::size_t>(got));
      const bool limit_reached = i == 0 && out_limit && out.size() >= *out_limit;
      if (got == 0 || (got < 0 && errno != EINTR) || limit_reached) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void become(const char* program, char** argv, char** envp, int out_write,
                         int err_write, StdoutMode mode, std::optional<std::size_t> memory_limit,
                         const char* stdin_path) {
  if (memory_limit) {
    const rlimit limit{static_cast<rlim_t>(*memory_limit), static_cast<rlim_t>(*memory_limit)};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  ::dup2(::open(stdin_path, O_RDONLY), 0);
  if (mode == StdoutMode::Capture || mode == StdoutMode::Terminal) ::dup2(out_write, 1);
  if (mode == StdoutMode::DevFull) ::dup2(::open("/dev/full", O_WRONLY), 1);
  if (mode == StdoutMode::Closed) ::close(1);
  if (mode == StdoutMode::ReadOnly) ::dup2(::open("/dev/null", O_RDONLY), 1);
  ::dup2(mode == StdoutMode::Terminal ? out_write : err_write, 2);
  for (int fd = 3; fd < 1024; ++fd) ::close(fd);  // the stand-in's sockets stay with the tests
  ::execve(program, argv, envp);
  ::_exit(127);
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options) {
  int out_pipe[2] = {-1, -1};
  int err_pipe[2];
  if (::pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
  if (options.stdout_mode == StdoutMode::Capture && ::pipe(out_pipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  if (options.stdout_mode == StdoutMode::Terminal) {
    if (::openpty(&out_pipe[0], &out_pipe[1], nullptr, nullptr, nullptr) != 0) {
      throw std::runtime_error("openpty failed");
    }
    termios raw{};  // what the program writes, unchanged by the line discipline
    ::tcgetattr(out_pipe[1], &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(out_pipe[1], TCSANOW, &raw);
  }
  std::vector<std::string> argv_texts{program};
  argv_texts.insert(argv_texts.end(), args.begin(), args.end());
  std::vector<std::string> env_texts = options.env;
  auto argv = c_strings(argv_texts);
  auto envp = c_strings(env_texts);

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    become(program.c_str(), argv.data(), envp.data(), out_pipe[1], err_pipe[1],
           options.stdout_mode, options.memory_limit,
           options.stdin_path ? options.stdin_path->c_str() : "/dev/null");
  }
  if (out_pipe[1] >= 0) ::close(out_pipe[1]);
  ::close(err_pipe[1]);

  ProcessResult result;
  drain(out_pipe[0], err_pipe[0], result.out, result.err, options.stdout_limit);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

ProcessResult run_quillo(const std::vector<std::string>& args, const ProcessOptions& options) {
  return run_process(QUILLO_BINARY, args, options);
}

}  // namespace testing_support
