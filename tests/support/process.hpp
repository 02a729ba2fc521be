#pragma once
// Runs the built quillo executable as a user would, with a controlled environment.

#include <string>
#include <vector>

namespace testing_support {

enum class StdoutMode { Capture, DevFull, Closed };

struct ProcessOptions {
  std::vector<std::string> env;  ///< the whole environment, "NAME=value" each
  StdoutMode stdout_mode = StdoutMode::Capture;
};

struct ProcessResult {
  int exit_status = -1;  ///< -1 when ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options);

/// Runs the quillo executable of this build.
ProcessResult run_quillo(const std::vector<std::string>& args, const ProcessOptions& options);

}  // namespace testing_support
