#pragma once
// Todo (sticky) notes with a thread of markdown messages each.

#include <string_view>

#include "core/command_table.hpp"

namespace quillo::todo {

inline constexpr std::string_view kName = "todo";
inline constexpr std::string_view kHelp = "Quick todo / sticky note operations (F053)";

/// The family's commands.
extern const Table kTable;

}  // namespace quillo::todo
