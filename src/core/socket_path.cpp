#include "core/socket_path.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "core/platform.hpp"
#include "core/text.hpp"

extern char** environ;

namespace quillo {
namespace {

std::string join(std::string left, const std::string& right) {
  if (!left.empty() && left.back() != '/') left += '/';
  return left + right;
}

std::optional<std::string> canonical_path(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result(resolved);
  std::free(resolved);
  return result;
}

std::optional<std::string> parent_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos || path == "/") return std::nullopt;
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// B/Contents/MacOS/bin/quillo -> B/Contents/Info.plist
std::optional<std::string> info_plist_path(const BundleLookup& lookup) {
  auto executable = lookup.executable_path ? lookup.executable_path
                                           : platform::running_executable_path();
  if (!executable) return std::nullopt;
  auto directory = canonical_path(*executable);
  for (int level = 0; level < 3 && directory; ++level) directory = parent_of(*directory);
  if (!directory) return std::nullopt;
  std::string plist = join(*directory, "Info.plist");
  struct stat metadata {};
  if (::stat(plist.c_str(), &metadata) != 0) return std::nullopt;
  return plist;
}

// Runs `argv` without a shell, stdin from /dev/null, stderr discarded; its stdout when it exits 0.
std::optional<std::string> capture_output(const std::vector<std::string>& argv) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);

  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_fds[1]);

  std::string output;
  if (spawned == 0) {
    char buffer[4096];
    for (;;) {
      const ssize_t got = ::read(pipe_fds[0], buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      output.append(buffer, static_cast<std::size_t>(got));
    }
  }
  ::close(pipe_fds[0]);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

std::optional<std::string> bundle_id_from_plist(const BundleLookup& lookup) {
  const auto plist = info_plist_path(lookup);
  if (!plist) return std::nullopt;
  const auto output = capture_output(
      {lookup.plist_tool, "-extract", "CFBundleIdentifier", "raw", "-o", "-", *plist});
  if (!output || !is_valid_utf8(*output)) return std::nullopt;
  std::string id(trim(*output));
  if (id.empty()) return std::nullopt;
  return id;
}

}  // namespace

std::string resolve_bundle_id(const EnvGetter& env, const BundleLookup& lookup) {
  if (auto id = present_variable(env, "QUILLO_BUNDLE_ID")) return *id;
  if (auto id = bundle_id_from_plist(lookup)) return *id;
  return kDefaultBundleId;
}

Result<std::string> resolve_socket_path(const std::optional<std::string>& socket_option,
                                        const EnvGetter& env, const BundleLookup& lookup) {
  if (socket_option) return *socket_option;
  if (auto from_env = present_variable(env, "QUILLO_SOCKET")) return *from_env;
  // An empty or relative HOME would make the path relative to the working directory, where
  // anyone may have put a socket of that name.
  const auto home = present_variable(env, "HOME");
  if (!home) return Error{"HOME not set; cannot resolve default socket path"};
  if (!home->starts_with('/')) {
    return Error{"HOME is not an absolute path (" + *home + "); cannot resolve default socket path"};
  }
  std::string path = join(*home, "Library/Application Support");
  path = join(path, resolve_bundle_id(env, lookup));
  return join(path, "quillo.sock");
}

}  // namespace quillo
