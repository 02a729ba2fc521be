#pragma once
// The command table as shell functions that bash and zsh share: which subcommands and options
// each command has, which options take a value, how to complete a value, and the identifiers
// that the running IDE holds.

#include <string>

#include "core/command_table.hpp"

namespace quillo::completion {

/// Defines the shell functions that bash and zsh share, each taking the command path ("" for
/// the program, "todo message" for a nested group) and, where it applies, an option name or a
/// positional's number: _quillo_subcommands, _quillo_options, _quillo_takes_value,
/// _quillo_value and _quillo_positional (how to complete a value), _quillo_described_commands
/// and _quillo_described_options (NAME:DESCRIPTION lines); and _quillo_listing, which asks the
/// running IDE for the identifiers it holds, and _quillo_dequote.
std::string shell_tables(NodeRef root);

}  // namespace quillo::completion
