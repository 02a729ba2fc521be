#pragma once
// The IDE's built-in browser tabs: navigation, page interaction, and any browser method raw.

#include <string_view>

#include "core/command_table.hpp"
#include "core/json.hpp"
#include "core/result.hpp"

namespace quillo::browser {

inline constexpr std::string_view kName = "browser";
inline constexpr std::string_view kHelp = "Browser operations";

/// The family's commands.
extern const Table kTable;

/// The params of a raw call: {} for a text that is empty or only JSON white space, else the
/// one JSON value the text holds; otherwise the description of what is wrong with it.
Result<Json> parse_raw_params(std::string_view text);

}  // namespace quillo::browser
