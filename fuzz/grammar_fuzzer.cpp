// Argument vectors (the input split at NUL bytes) through the real grammar: each one ends in a
// command, whose request can be built unless it is a local one, or in an exit status of 0 or 2.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size && args.size() <= 32; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  quillo::StringSink out, err;
  auto parsed = quillo::parse_cli(args, out, err);
  if (const auto* cli = std::get_if<quillo::Cli>(&parsed)) {
    // A local command (completion) makes no request to build.
    if (cli->command.local() == nullptr) (void)quillo::to_target(*cli).params.dump();
  } else {
    const int status = std::get<int>(parsed);
    if (status != 0 && status != 2) std::abort();
    if (status == 2 && err.text().empty()) std::abort();  // a usage error always says something
  }
  return 0;
}
