#pragma once
// Opening a file in the IDE's editor, optionally at a line and column.

#include <string_view>

#include "core/command_table.hpp"

namespace quillo::file {

inline constexpr std::string_view kName = "file";
inline constexpr std::string_view kHelp = "File operations";

/// The family's commands.
extern const Table kTable;

}  // namespace quillo::file
