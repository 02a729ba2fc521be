#pragma once
// Completion scripts for bash, zsh and fish.

#include <string>

#include "model.hpp"

namespace docgen {

std::string bash_completion(const Command& root);
std::string zsh_completion(const Command& root);
std::string fish_completion(const Command& root);

/// The grammar's words, one per line in quotes, for the grammar fuzzer's dictionary.
std::string fuzz_dictionary(const Command& root);

}  // namespace docgen
