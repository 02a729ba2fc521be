#pragma once
// The command `quillo mcp`: the program's commands served to agents over the Model Context
// Protocol, on standard input and output.

#include "core/command_table.hpp"

namespace quillo::mcp {

/// The command, spliced into the program's group after the families it serves.
extern const Table kTable;

/// The families that `--families` may name, for its check and its help: the program's groups.
MaybeError families_problem(std::string_view families);

}  // namespace quillo::mcp
