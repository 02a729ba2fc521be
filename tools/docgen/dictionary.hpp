#pragma once
// The grammar fuzzer's dictionary, read from the command table.

#include <string>

#include "core/command_table.hpp"

namespace docgen {

/// Every word of the commands below `root`, one per line in quotes: the names of groups,
/// commands and options, and the words offered for values.
std::string fuzz_dictionary(quillo::NodeRef root);

}  // namespace docgen
