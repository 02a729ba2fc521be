#include "mcp/command.hpp"

#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <new>

#include "cli.hpp"
#include "core/standard_output.hpp"
#include "core/values.hpp"
#include "mcp/server.hpp"
#include "mcp/tools.hpp"

namespace quillo::mcp {
namespace {

// Serves until standard input ends. Messages go straight to standard output, unbuffered: each
// one is a whole line that the client is waiting for.
MaybeError serve_standard_streams(const Cli& cli, Sink&, const RunSettings& run_settings);

// The program's families, as shells offer them (a test holds them to the program's group).
constexpr std::string_view kFamilies = "shelf terminal file shortcut browser roost comments todo";

constexpr Argument kArguments[] = {
    option("--families", "FAMILIES",
           "Serve only these command families, separated by commas (ping, whoami and help are always served)")
        .with_choices(kFamilies)
        .checked_by(families_problem),
    flag("--read-only", "Serve only the tools that change nothing in the IDE, and refuse the others"),
    option("--max-output", "N", "Cut each tool's text after N characters, saying how many were left out (0: never)")
        .of_type(ValueType::Uint32)
        .counting("a whole number of characters")
        .with_default("100000"),
};

constexpr Example kExamples[] = {
    {R"(printf '%s\n' '{"jsonrpc":"2.0","id":1,"method":"ping"}' | quillo mcp)",
     R"({"id":1,"jsonrpc":"2.0","result":{}})"},
    // A call still running when the input ends is abandoned: the input stays open until it ends.
    {R"((printf '%s\n' '{"jsonrpc":"2.0","id":2,"method":"tools/call","params":{"name":"ping"}}'; sleep 1) | quillo mcp --read-only)",
     R"({"id":2,"jsonrpc":"2.0","result":{"content":[{"text":"ok  Quillo 2.3.0 (build 812)  protocol=1\n","type":"text"}],"isError":false}})"},
};

constexpr Command kMcp{
    .name = "mcp",
    .help = "Serve the commands to an agent over the Model Context Protocol on standard input and output",
    .arguments = kArguments,
    .examples = kExamples,
    .method = {},
    .effect = Effect::Local,
    .rendering = {},
    .local = serve_standard_streams,
};

constexpr Entry kCommands[] = {kMcp};
constexpr Group kGroup{.name = "front ends", .entries = kCommands};

MaybeError serve_standard_streams(const Cli& cli, Sink&, const RunSettings& run_settings) {
  ServerSettings settings = read_values<kArguments>(
      cli.values, [](std::optional<std::string_view> families, bool read_only, std::uint32_t max_output) {
        ServerSettings chosen;
        if (families) chosen.filter.families = split_families(*families);
        chosen.filter.read_only = read_only;
        chosen.max_output = max_output;
        return chosen;
      });
  settings.socket = cli.socket;
  settings.json = cli.json;
  settings.run = run_settings;
  // A client that stops reading must not end the server in the middle of a call: writes then
  // fail, and the server goes on until its input ends.
  std::signal(SIGPIPE, SIG_IGN);
  // The program ends a run at once when memory runs out, which suits one request; a server
  // answers the one message there was no memory for and goes on, so here allocation throws.
  std::set_new_handler(nullptr);
  FdSource input(STDIN_FILENO);
  FdSink output(STDOUT_FILENO);
  serve(input, output, settings);
  return std::nullopt;
}

}  // namespace

constexpr Table kTable = compile<kGroup>();

MaybeError families_problem(std::string_view families) {
  const std::vector<std::string> known = family_names(program().root);
  for (const std::string& name : split_families(families)) {
    if (std::find(known.begin(), known.end(), name) != known.end()) continue;
    std::string message = "'" + name + "' is not a family of commands (they are";
    for (const std::string& family : known) message += " " + family;
    return Error{message + ")"};
  }
  return std::nullopt;
}

}  // namespace quillo::mcp
