#pragma once
// The projects of the focused roost: add, remove, park, activate, list. The replies are shown
// as indented JSON.

#include <string_view>

#include "core/command_table.hpp"

namespace quillo::roost {

inline constexpr std::string_view kName = "roost";
inline constexpr std::string_view kHelp = "Roost project operations";

/// The family's commands.
extern const Table kTable;

}  // namespace quillo::roost
