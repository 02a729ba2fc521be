#pragma once
// The declarations' help as an agent reads it. Their texts are the command line's, word for word
// (its help screens are pinned), and speak of options, command words and the usage line's
// placeholders; a tool has properties and tool names instead. A few rules carry a text over
// rather than a second text per command, which would drift from the first.

#include <string>
#include <string_view>

#include "core/command_table.hpp"

namespace quillo::mcp {

/// `help` (of `command`, or of a group above it) in a tool's terms: `--line` becomes `line`, a
/// flag `--unresolve` becomes `unresolve: true`, `shortcut list` in backticks the tool
/// `shortcut_list`, a placeholder such as METHOD the property `method`; a tag such as "(F049)"
/// is left out.
std::string agent_text(std::string_view help, NodeRef command);

/// What to say of an argument declared without help: what lists its values, when something
/// does; else the help of the argument of the same name in another command of `group`; else its
/// placeholder's words ("The selector").
std::string description_without_help(const ArgumentRef& argument, NodeRef command, NodeRef group);

}  // namespace quillo::mcp
