#pragma once
// ping, whoami and help: whether the IDE answers, who it thinks is calling, what it offers.
// Top-level commands, spliced into the program's group.

#include "core/command_table.hpp"

namespace quillo::introspection {

/// The three commands.
extern const Table kTable;

}  // namespace quillo::introspection
