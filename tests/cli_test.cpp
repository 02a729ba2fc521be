// The run driver in process: socket resolution, context, exchange and printing together.
#include "cli.hpp"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
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

TEST(Run, ANullResultInJsonModeIsNull) {
  TempDir dir;
  standin::Server server(dir.file("s"), standin::reply_with("{\"ok\":true}\n"));
  EXPECT_EQ(run_args({"--json", "ping", "--socket", server.path()}, settings_with({})).out, "null\n");
}

TEST(Run, DefaultSocketUnderHome) {
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir -p '" + dir.file("Library/Application Support/b") + "'").c_str()), 0);
  standin::Ide ide;
  standin::Server server(dir.file("Library/Application Support/b/quillo.sock"), standin::serve(ide));
  const auto outcome =
      run_args({"ping"}, settings_with({{"HOME", dir.path()}, {"QUILLO_BUNDLE_ID", "b"}}));
  EXPECT_FALSE(outcome.error.has_value());
  EXPECT_EQ(outcome.out, "ok  Quillo 0.1.0 (build standin)  protocol=1\n");
}

TEST(Run, NoHomeFailsBeforeConnecting) {
  const auto outcome = run_args({"ping"}, settings_with({{"QUILLO_BUNDLE_ID", "b"}}));
  EXPECT_EQ(outcome.error, "HOME not set; cannot resolve default socket path");
  EXPECT_EQ(outcome.out, "");
}

TEST(Cli, GlobalOptionsAndCommand) {
  const ParseOutcome outcome = parse_args({"help", "ping", "--socket", "/s", "--json"});
  ASSERT_TRUE(outcome.cli.has_value());
  EXPECT_EQ(outcome.cli->socket, "/s");
  EXPECT_TRUE(outcome.cli->json);
  ASSERT_TRUE(std::holds_alternative<quillo::Help>(outcome.cli->command));
  EXPECT_EQ(std::get<quillo::Help>(outcome.cli->command).method, "ping");

  const ParseOutcome plain = parse_args({"ping"});
  ASSERT_TRUE(plain.cli.has_value());
  EXPECT_FALSE(plain.cli->socket.has_value());
  EXPECT_FALSE(plain.cli->json);
}

TEST(Cli, TopLevelHelpListsTheCommandsInOrder) {
  expect_help({{{"--help"},
                {"Quillo IDE agent CLI",
                 "--socket SOCKET             Override the Unix socket path (default: $QUILLO_SOCKET or "
                 "bundle-scoped path)",
                 "--json                      Print machine-readable JSON instead of a human-readable summary",
                 "ping                        Health check; returns app version and protocol version",
                 "whoami                      Returns the channel client's resolved context (surface, roost, "
                 "project)",
                 "help                        List all supported methods, or describe one when METHOD is given",
                 "shelf                       Shelf operations", "terminal                    Terminal operations",
                 "file                        File operations", "shortcut                    Shortcut operations",
                 "browser                     Browser operations",
                 "roost                       Roost project operations",
                 "comments                    File comment operations (F049)",
                 "todo                        Quick todo / sticky note operations (F053)"}}});
}

TEST(Run, RoostRepliesInJsonModeAreCompact) {
  TempDir dir;
  standin::Ide ide;
  standin::Server server(dir.file("s"), standin::serve(ide));
  EXPECT_EQ(run_args({"roost", "list-projects", "--json", "--socket", server.path()}, settings_with({})).out,
            R"({"projects":[{"path":"/Users/demo/project","state":"active"}],"roost":"main"})" "\n");
}

}  // namespace
