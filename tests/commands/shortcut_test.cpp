#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Shortcut, Requests) {
  expect_requests({
      {{"shortcut", "list"}, "shortcut.list", "{}"},
      {{"shortcut", "add", "--name", "Build", "--command", "make all"}, "shortcut.add",
       R"({"command":"make all","launch_behavior":"newPermanentTerminal","name":"Build","scope":"roost"})"},
      {{"shortcut", "add", "--command", "x", "--name", "N", "--launch-behavior", "sometimes", "--scope",
        "everywhere"},
       "shortcut.add", R"({"command":"x","launch_behavior":"sometimes","name":"N","scope":"everywhere"})"},
      {{"shortcut", "add", "--name=", "--command="}, "shortcut.add",
       R"({"command":"","launch_behavior":"newPermanentTerminal","name":"","scope":"roost"})"},
      {{"shortcut", "remove", "not-a-uuid"}, "shortcut.remove", R"({"id":"not-a-uuid"})"},
  });
}

TEST(Shortcut, UsageErrors) {
  expect_usage_errors({
      {{"shortcut", "add", "--name", "N"}, "--command is required"},
      {{"shortcut", "add", "--command", "c"}, "--name is required"},
      {{"shortcut", "add", "--name", "N", "--command"}, "--command"},
      {{"shortcut", "add", "N", "c"}, "not expected"},
      {{"shortcut", "remove"}, "ID is required"},
      {{"shortcut"}, "Usage: quillo shortcut [OPTIONS] SUBCOMMAND"},
  });
}

TEST(Shortcut, AddHelpKeepsTheQuotesOfItsText) {
  expect_help({{{"shortcut", "add", "--help"},
                {"--name NAME REQUIRED        Display name", "--launch-behavior LAUNCH_BEHAVIOR=newPermanentTerminal",
                 "One of: currentTerminal, newPermanentTerminal, newTemporaryTerminal",
                 "--scope SCOPE=roost         \"roost\" (default) or \"project\""}}});
}

TEST(Shortcut, Renderings) {
  expect_renderings({
      {"shortcut.list", R"({"shortcuts":[{"name":"Build","command":"make all","scope":"project","id":"u1"}]})",
       "  [project] Build: make all\n"},
      {"shortcut.list", R"({"shortcuts":[]})", "(no shortcuts)\n"},
      {"shortcut.list", "{}", ""},
      {"shortcut.list", R"({"shortcuts":[1,{"name":"n"}]})", "  [?] ?: ?\n  [?] n: ?\n"},
      {"shortcut.add", R"({"name":"Build","scope":"roost"})", "added [roost]: Build\n"},
      {"shortcut.add", "{}", "added [?]: ?\n"},
      {"shortcut.remove", R"({"removed":true})", "removed\n"},
      {"shortcut.remove", R"({"removed":false})", "not found\n"},
      {"shortcut.remove", "{}", "not found\n"},
      {"shortcut.remove", "null", "not found\n"},
  });
}

}  // namespace
