#pragma once
// The manual page quillo(1), in the man macros of groff, read from the command table.

#include <string>
#include <string_view>

#include "core/command_table.hpp"

namespace docgen {

/// The page of the commands below `root` (the program's group), dated `date` (YYYY-MM-DD).
std::string manual_page(quillo::NodeRef root, std::string_view date);

}  // namespace docgen
