#pragma once
// The help screen of a command or group, laid out from its declaration.

#include <span>
#include <string>

#include "core/argument_parser.hpp"

namespace quillo {

/// The help of the last node of `path` (the program's group first, then each subcommand), as
/// -h shows it: what it does, its usage, its positionals, options and subcommands, and its
/// examples. Below the top level the global options are listed too.
std::string help_text(const Program& program, std::span<const NodeRef> path);

}  // namespace quillo
