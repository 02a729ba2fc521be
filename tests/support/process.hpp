#pragma once
// Runs the built quillo executable as a user would, with a controlled environment.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

/// Standard output captured, a full disk, closed, or a terminal (a pseudo-terminal that
/// standard error shares; all it shows is captured as standard output).
enum class StdoutMode { Capture, DevFull, Closed, ReadOnly, Terminal };

struct ProcessOptions {
  std::vector<std::string> env;  ///< the whole environment, "NAME=value" each
  StdoutMode stdout_mode = StdoutMode::Capture;
  /// With Capture: read at most this many bytes of standard output, then close the pipe (as
  /// `| head -c N` does).
  std::optional<std::size_t> stdout_limit;
  /// The most address space the program may map, in bytes (a memory limit that a wrong way of
  /// reading would exceed).
  std::optional<std::size_t> memory_limit;
  /// A file that standard input reads; /dev/null when absent.
  std::optional<std::string> stdin_path;
};

struct ProcessResult {
  int exit_status = -1;  ///< -1 when ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

/// Options that only set the environment.
inline ProcessOptions with_env(std::vector<std::string> env) {
  ProcessOptions options;
  options.env = std::move(env);
  return options;
}

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options);

/// Runs the quillo executable of this build.
ProcessResult run_quillo(const std::vector<std::string>& args, const ProcessOptions& options);

}  // namespace testing_support
