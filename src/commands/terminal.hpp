#pragma once
// The terminals hosted by the IDE: list, create, type into, send keys to, close, wait on.

#include <string_view>

#include "core/command_table.hpp"

namespace quillo::terminal {

inline constexpr std::string_view kName = "terminal";
inline constexpr std::string_view kHelp = "Terminal operations";

/// The family's commands.
extern const Table kTable;

}  // namespace quillo::terminal
