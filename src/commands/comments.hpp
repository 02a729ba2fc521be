#pragma once
// Comments anchored to line ranges of files: add, answer, edit, resolve, delete, list, search.

#include <string_view>

#include "core/command_table.hpp"

namespace quillo::comments {

inline constexpr std::string_view kName = "comments";
inline constexpr std::string_view kHelp = "File comment operations (F049)";

/// The family's commands.
extern const Table kTable;

}  // namespace quillo::comments
