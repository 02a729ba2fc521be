#pragma once
// The grammar as shell functions that bash and zsh share: which subcommands and options each
// command has, which options take a value, and what to offer for a value.

#include <string>

#include "model.hpp"

namespace docgen {

/// Defines _quillo_subcommands, _quillo_options, _quillo_takes_value, _quillo_value_words,
/// _quillo_value_files and _quillo_positional_files, each taking the command path ("" for the
/// program, "todo message" for a nested group) and, where it applies, an option name.
std::string shell_tables(const Command& root);

}  // namespace docgen
