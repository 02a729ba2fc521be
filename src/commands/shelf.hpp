#pragma once
// The IDE's shelf: files and folders set aside, one of which may be selected.

#include <string_view>

#include "core/command_table.hpp"

namespace quillo::shelf {

inline constexpr std::string_view kName = "shelf";
inline constexpr std::string_view kHelp = "Shelf operations";

/// The family's commands.
extern const Table kTable;

}  // namespace quillo::shelf
