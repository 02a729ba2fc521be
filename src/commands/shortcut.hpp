#pragma once
// Terminal shortcuts: named command lines saved in the IDE for the roost or one project.

#include <string_view>

#include "core/command_table.hpp"

namespace quillo::shortcut {

inline constexpr std::string_view kName = "shortcut";
inline constexpr std::string_view kHelp = "Shortcut operations";

/// The family's commands.
extern const Table kTable;

}  // namespace quillo::shortcut
