// The run driver in process (socket resolution, context, exchange and printing together), and
// the help of every command: its own line, on the right stream with the right status.
#include "cli.hpp"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "core/version.hpp"
#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/grammar_walk.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;
using quillo::Json;

quillo::RunSettings settings_with(std::map<std::string, std::string, std::less<>> variables) {
  quillo::RunSettings settings;
  settings.env = [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
    const auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
  };
  settings.bundle_lookup = {"/nonexistent/a/b/c/quillo", "/nonexistent/plutil"};
  return settings;
}

struct RunOutcome {
  std::optional<std::string> error;
  std::string out;
};

RunOutcome run_args(const std::vector<std::string>& args, const quillo::RunSettings& settings) {
  const ParseOutcome parsed = parse_args(args);
  EXPECT_TRUE(parsed.cli.has_value()) << parsed.err;
  if (!parsed.cli) return {"parse failed", ""};
  std::ostringstream out;
  auto error = quillo::run(*parsed.cli, out, settings);
  return {error ? std::optional(error->message) : std::nullopt, out.str()};
}

TEST(Run, SendsTheContextAndPrintsTheRendering) {
  TempDir dir;
  standin::Ide ide;
  standin::Server server(dir.file("s"), standin::serve(ide));
  const auto outcome = run_args({"whoami", "--socket", server.path()},
                                settings_with({{"QUILLO_ROOST", "main"},
                                               {"QUILLO_PROJECT_PATH", ""},
                                               {"QUILLO_CONTEXT", "agent"},
                                               {"QUILLO_SOCKET", "/elsewhere"}}));
  EXPECT_FALSE(outcome.error.has_value()) << *outcome.error;
  EXPECT_EQ(outcome.out, "{\n  \"project\": null,\n  \"roost\": \"main\",\n  \"surface\": \"agent\"\n}\n");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(Json::parse(server.requests()[0])["_env"].dump(),
            R"({"context":"agent","project_path":null,"roost":"main"})");
}

TEST(Run, DefaultSocketUnderHome) {
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir -p '" + dir.file("Library/Application Support/b") + "'").c_str()), 0);
  standin::Ide ide;
  standin::Server server(dir.file("Library/Application Support/b/quillo.sock"), standin::serve(ide));
  const auto outcome =
      run_args({"ping"}, settings_with({{"HOME", dir.path()}, {"QUILLO_BUNDLE_ID", "b"}}));
  EXPECT_FALSE(outcome.error.has_value());
  EXPECT_EQ(outcome.out, std::string("ok  Quillo ") + quillo::kVersion + " (build standin)  protocol=1\n");
}

// The help line of every command and group, as its own help shows it first.
TEST(Help, EveryCommandsHelpLine) {
  const std::vector<std::pair<std::string, std::string>> lines = {
      {"", "Quillo IDE agent CLI"},
      {"ping", "Health check; returns app version and protocol version"},
      {"whoami", "Returns the channel client's resolved context (surface, roost, project)"},
      {"help", "List all supported methods, or describe one when METHOD is given"},
      {"shelf", "Shelf operations"},
      {"shelf add", "Add a file or folder to the shelf"},
      {"shelf list", "List all shelf entries"},
      {"shelf remove", "Remove a file or folder from the shelf"},
      {"terminal", "Terminal operations"},
      {"terminal list", "List all terminals in the focused roost"},
      {"terminal create", "Spawn a new terminal"},
      {"terminal send", "Inject text into a terminal"},
      {"terminal send-key", "Send a named key event (Enter, Ctrl+C, Tab, arrows, etc.)"},
      {"terminal close", "Close a terminal"},
      {"terminal wait", "Block until output matches text or the process exits"},
      {"file", "File operations"},
      {"file open", "Open a file in the editor"},
      {"shortcut", "Shortcut operations"},
      {"shortcut list", "List saved terminal shortcuts"},
      {"shortcut add", "Register a new terminal shortcut"},
      {"shortcut remove", "Remove a shortcut by ID"},
      {"browser", "Browser operations"},
      {"browser list", "List open browser tabs in the focused roost"},
      {"browser open", "Open a new browser tab"},
      {"browser close", "Close a browser tab"},
      {"browser navigate", "Navigate to a URL"},
      {"browser back", "Go back in history"},
      {"browser forward", "Go forward in history"},
      {"browser reload", "Reload the page"},
      {"browser url", "Get the current URL"},
      {"browser title", "Get the page title"},
      {"browser click", "Click an element"},
      {"browser fill", "Fill an input field"},
      {"browser type", "Type text character-by-character"},
      {"browser press", "Press a key"},
      {"browser snapshot", "Get accessibility tree snapshot"},
      {"browser eval", "Execute JavaScript"},
      {"browser wait", "Wait for a condition"},
      {"browser screenshot", "Capture a screenshot"},
      {"browser raw", "Send any browser.* method with raw JSON params"},
      {"roost", "Roost project operations"},
      {"roost add-project", "Add a project folder to the focused roost and focus it"},
      {"roost remove-project", "Remove a project from the focused roost, closing its terminals/browsers"},
      {"roost park-project", "Park a project in the focused roost, persisting state and terminating sessions"},
      {"roost activate-project", "Activate (unpark) a parked project in the focused roost and focus it"},
      {"roost list-projects", "List active, parked, and unresolved projects in the focused roost"},
      {"comments", "File comment operations (F049)"},
      {"comments add", "Add a comment to a file at a specific line range"},
      {"comments list", "List comments for a file (or all comments in the roost)"},
      {"comments reply", "Reply to an existing comment thread"},
      {"comments update", "Update the body of a comment"},
      {"comments resolve", "Mark a comment thread as resolved (or pass --unresolve to reopen)"},
      {"comments delete", "Delete a comment (cascades to all replies)"},
      {"comments search", "Search comments by content / file / status"},
      {"todo", "Quick todo / sticky note operations (F053)"},
      {"todo add", "Create a todo / sticky note"},
      {"todo list", "List todos (active by default)"},
      {"todo complete", "Mark a todo completed"},
      {"todo reopen", "Reopen a completed todo"},
      {"todo update", "Update a todo's text, body, or color"},
      {"todo remove", "Delete a todo"},
      {"todo show", "Show a todo with its full thread"},
      {"todo message", "Thread message operations"},
      {"todo message add", "Append a markdown message to a todo's thread"},
  };
  const auto tree = quillo::command_tree();
  ASSERT_EQ(lines.size(), walk(tree).size());
  for (const auto& [path, help] : lines) {
    SCOPED_TRACE(path);
    std::vector<std::string> args;
    std::stringstream words(path);
    for (std::string word; words >> word;) args.push_back(word);
    args.push_back("-h");
    const ParseOutcome outcome = parse_args(args);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(outcome.out.starts_with(help + "\nUsage: quillo" + (path.empty() ? "" : " " + path) + " [OPTIONS]"))
        << outcome.out;
  }
}

// -h and --help print on standard output with status 0; a group given alone prints the same on
// standard error with status 2. Each shows its subcommands and arguments with their help.
TEST(Help, StreamsAndStatuses) {
  const auto tree = quillo::command_tree();
  for (const GrammarNode& node : walk(tree)) {
    SCOPED_TRACE(joined(node.path));
    auto args = node.path;
    args.push_back(node.path.size() % 2 == 0 ? "--help" : "-h");
    const ParseOutcome asked = parse_args(args);
    EXPECT_EQ(asked.status, 0);
    for (std::size_t i = 0; i < node.node->child_count(); ++i) {
      EXPECT_NE(asked.out.find("\n  " + node.node->child(i).name + " "), std::string::npos);
    }
    for (const auto& argument : node.node->arguments) {
      EXPECT_NE(asked.out.find(argument.option.empty() ? argument.value_name : argument.option),
                std::string::npos);
      EXPECT_NE(asked.out.find(argument.help), std::string::npos) << argument.help;
    }
    if (node.node->child_count() == 0) continue;
    const ParseOutcome bare = parse_args(node.path);
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.out, "");
    EXPECT_EQ(bare.err, asked.out);
  }
}

}  // namespace
