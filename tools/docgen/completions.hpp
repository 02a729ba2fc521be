#pragma once
// Completion scripts for bash, zsh and fish.

#include <string>

#include "model.hpp"

namespace docgen {

std::string bash_completion(const Command& root);
std::string zsh_completion(const Command& root);
std::string fish_completion(const Command& root);

}  // namespace docgen
