#pragma once
// The completion scripts of bash, zsh and fish, generated from the command table: what the
// build installs for each shell to find.

#include <string>

#include "core/command_table.hpp"

namespace quillo::completion {

enum class Shell : std::uint8_t { Bash, Zsh, Fish };

/// The script that completes the commands below `root` (the program's group) in `shell`.
std::string completion_script(Shell shell, NodeRef root);

}  // namespace quillo::completion
