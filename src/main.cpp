// quillo: drives the Quillo IDE from a shell, one request per run.

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <variant>
#include <vector>

#include "cli.hpp"
#include "core/standard_output.hpp"

namespace {

// "quillo: " and the message, which may carry the IDE's words: on a terminal its control
// characters are shown, not obeyed.
int fail(quillo::Sink& err, const std::string& message) {
  quillo::TerminalSink terminal(err);
  quillo::Sink& sink = ::isatty(STDERR_FILENO) == 1 ? static_cast<quillo::Sink&>(terminal) : err;
  sink << "quillo: " << message << '\n';
  return 1;
}

// When memory runs out (a reply too large for this machine), say so and end at once: unwinding
// would destroy large values, which itself needs memory.
[[noreturn]] void out_of_memory() {
  static const char kMessage[] = "quillo: out of memory\n";
  [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(out_of_memory);
  const auto closed = quillo::guard_standard_descriptors();
  // Large, for replies of megabytes; not on the stack, where every call below main would stand
  // past it, on pages of their own. (Standard error is written at once, as it usually is.)
  static char out_buffer[65536];
  quillo::FdSink out(STDOUT_FILENO, out_buffer);
  quillo::FdSink err(STDERR_FILENO);
  if (closed.output) out.fail_with(std::strerror(EBADF));

  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::variant<quillo::Cli, int> parsed = 2;
  {
    // A usage error repeats the words it is about, which may hold anything.
    quillo::TerminalSink terminal(err);
    quillo::Sink& usage = ::isatty(STDERR_FILENO) == 1 ? static_cast<quillo::Sink&>(terminal) : err;
    parsed = quillo::parse_cli(args, out, usage, {.standard_input_closed = closed.input});
  }
  if (const int* status = std::get_if<int>(&parsed)) {
    // A usage error wrote nothing on standard output, so its state is no concern of this run.
    if (*status != 0) return *status;
  } else {
    // The outcome could not be printed: nothing is sent, so that a caller that tries again does
    // not have the IDE act twice.
    if (auto failed = out.flush(); failed && closed.output) {
      return fail(err, "cannot write to standard output: " + failed->message);
    }
    quillo::RunSettings settings;
    settings.terminal_output = ::isatty(STDOUT_FILENO) == 1;
    if (::isatty(STDERR_FILENO) == 1) settings.status = &err;
    if (auto error = quillo::run(std::get<quillo::Cli>(parsed), out, settings)) {
      return fail(err, error->message);
    }
  }
  if (auto failed = out.flush()) return fail(err, "cannot write to standard output: " + failed->message);
  return 0;
}
