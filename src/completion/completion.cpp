#include "completion/completion.hpp"

#include "cli.hpp"
#include "core/values.hpp"

namespace quillo::completion {

// Any other word would print nothing useful, and a shell that loads it would fail later, far
// from the mistake.
MaybeError known_shell(std::string_view name) {
  if (shell_named(name)) return std::nullopt;
  return Error{"'" + std::string(name) + "' is not bash, zsh or fish"};
}

MaybeError print_script(const Cli& cli, Sink& out, const RunSettings&) {
  read_values<kArguments>(cli.values, [&](std::string_view shell) {
    out << completion_script(shell_named(shell).value_or(Shell::Bash), program().root);
  });
  return std::nullopt;
}

}  // namespace quillo::completion
