#pragma once
// The MCP tools, derived from the command declarations: one per command that makes a request,
// named, described and typed from its words, help, arguments and effect; and the reading of a
// call's JSON arguments into the values that the command line's parser would have produced.

#include <string>
#include <string_view>
#include <vector>

#include "core/command_table.hpp"
#include "core/json.hpp"
#include "core/result.hpp"
#include "core/values.hpp"

namespace quillo::mcp {

/// The protocol revisions served, oldest first.
enum class Revision { k2024_11_05, k2025_03_26, k2025_06_18, k2025_11_25, k2026_07_28 };

/// The revision's date, as the protocol names it.
std::string_view revision_name(Revision revision);

struct Tool {
  std::string name;         ///< "terminal_send_key"
  std::string title;        ///< "Terminal send key"
  std::string description;  ///< the help line, and its groups' as context, in a tool's terms
  std::string family;       ///< the first word of a family's command; empty for ping, whoami, help
  NodeRef command;
  NodeRef group;  ///< the group the command is in
};

/// Which tools a server serves: those of some families only, the reading ones only.
struct ToolFilter {
  std::vector<std::string> families;  ///< empty: every family
  bool read_only = false;
};

/// The families of the program's group below `root`, in their order.
std::vector<std::string> family_names(NodeRef root);

/// The names in a --families value ("terminal,browser"), white space around each left out.
std::vector<std::string> split_families(std::string_view text);

/// Every command below `root` that makes a request, as a tool, in the order of the help.
std::vector<Tool> all_tools(NodeRef root);

/// Whether `filter` serves `tool`: its family is chosen (the top-level commands always are),
/// and it only reads when the filter says so.
bool in_families(const Tool& tool, const ToolFilter& filter);
bool allowed(const Tool& tool, const ToolFilter& filter);

/// The tool's entry in a tools/list result, as `revision` defines a tool.
Json tool_json(const Tool& tool, Revision revision);

/// The JSON Schema of the command's arguments; `group`, the command's, lends its other commands'
/// help to an argument that has none.
Json input_schema(NodeRef command, NodeRef group = {});

/// The behaviour hints, from the command's effect and declaration.
Json annotations(NodeRef command);

/// What a call's arguments may not hold here though the command line takes it: a tool that sends
/// the method it is given sends its own family's only, so that --families serves no other.
MaybeError call_problem(const Tool& tool, const Json& arguments);

/// The values that the parser would find on a command line giving these arguments (defaults
/// included), each checked as the parser checks a value; or what is wrong, naming the argument.
Result<Values> values_from_arguments(NodeRef command, const Json& arguments);

}  // namespace quillo::mcp
