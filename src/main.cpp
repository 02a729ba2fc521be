// quillo: drives the Quillo IDE from a shell, one request per run.

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli.hpp"
#include "core/standard_output.hpp"

namespace {

int fail(const std::string& message) {
  std::cerr << "quillo: " << message << '\n';
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
  const bool stdout_was_closed = quillo::guard_standard_descriptors();
  quillo::FdStreamBuf stdout_buffer(1);
  if (stdout_was_closed) stdout_buffer.fail_with(std::strerror(EBADF));
  std::ostream out(&stdout_buffer);

  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  auto parsed = quillo::parse_cli(args, out, std::cerr);
  int status = 0;
  if (const int* parser_status = std::get_if<int>(&parsed)) {
    status = *parser_status;
    // A usage error wrote nothing on standard output, so its state is no concern of this run.
    if (status != 0) return status;
  } else if (auto error = quillo::run(std::get<quillo::Cli>(parsed), out)) {
    return fail(error->message);
  }
  out.flush();
  if (!stdout_buffer.failure().empty()) {
    return fail("cannot write to standard output: " + stdout_buffer.failure());
  }
  return status;
}
