#pragma once
// The grammar as shell functions that bash and zsh share: which subcommands and options each
// command has, which options take a value, and what to offer for a value.

#include <string>

#include "model.hpp"

namespace docgen {

/// Defines the shell functions that bash and zsh share, each taking the command path ("" for
/// the program, "todo message" for a nested group) and, where it applies, an option name or a
/// positional's number: _quillo_subcommands, _quillo_options, _quillo_takes_value,
/// _quillo_value and _quillo_positional (how to complete a value), _quillo_described_commands
/// and _quillo_described_options (NAME:DESCRIPTION lines), and _quillo_listed, which asks the
/// running IDE for the identifiers it holds.
std::string shell_tables(const Command& root);

/// `text` in single quotes for the shells.
std::string single_quoted(const std::string& text);

/// What an option does, in a few words: its help up to the first clause that explains more.
std::string short_help(const Option& option);

/// How to complete a value: "files", "words W...", "listed KEY COMMAND...", or empty.
std::string value_completion(const Option& option);
std::string positional_completion(const Positional& positional);

}  // namespace docgen
