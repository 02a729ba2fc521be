#pragma once
// The completion scripts of bash, zsh and fish, generated from the command table: what
// `quillo completion SHELL` prints, and what the build installs for each shell to find.

#include <optional>
#include <string>
#include <string_view>

#include "core/command_table.hpp"

namespace quillo::completion {

enum class Shell : std::uint8_t { Bash, Zsh, Fish };

/// The shells, as `quillo completion` names them.
inline constexpr std::string_view kShellNames = "bash zsh fish";

/// The shell of that name, if it is one of kShellNames.
std::optional<Shell> shell_named(std::string_view name);

/// The script that completes the commands below `root` (the program's group) in `shell`.
std::string completion_script(Shell shell, NodeRef root);

}  // namespace quillo::completion
