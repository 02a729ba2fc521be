#include <gtest/gtest.h>

#include <sstream>

#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;

TEST(Todo, Requests) {
  expect_requests({
      {{"todo", "add", "Milk"}, "todo.add",
       R"({"body":null,"color":null,"file":null,"project":null,"text":"Milk"})"},
      {{"todo", "add", "Ship it", "--project", "/p", "--body", "See notes", "--color", "mauve", "--file",
        "src/x.c"},
       "todo.add", R"({"body":"See notes","color":"mauve","file":"src/x.c","project":"/p","text":"Ship it"})"},
      {{"todo", "list"}, "todo.list", R"({"project":null,"status":"active"})"},
      {{"todo", "list", "--status", "all"}, "todo.list", R"({"project":null,"status":"all"})"},
      {{"todo", "list", "--status", "done", "--project", "p"}, "todo.list", R"({"project":"p","status":"done"})"},
      {{"todo", "complete", "T1"}, "todo.complete", R"({"id":"T1"})"},
      {{"todo", "reopen", "T1"}, "todo.reopen", R"({"id":"T1"})"},
      {{"todo", "update", "T1"}, "todo.update", R"({"body":null,"color":null,"id":"T1","text":null})"},
      {{"todo", "update", "T1", "--text", "New", "--body", "", "--color", "red"}, "todo.update",
       R"({"body":"","color":"red","id":"T1","text":"New"})"},
      {{"todo", "remove", "T1"}, "todo.remove", R"({"id":"T1"})"},
      {{"todo", "show", "T1"}, "todo.show", R"({"id":"T1"})"},
      {{"todo", "message", "add", "T1", "--text", "Hello"}, "todo.message.add", R"({"id":"T1","text":"Hello"})"},
      {{"todo", "message", "--json", "add", "--text", "**md**", "T1"}, "todo.message.add",
       R"({"id":"T1","text":"**md**"})"},
  });
}

// The project path reaches the IDE in "_env" only; the parameters keep null.
TEST(Todo, ProjectIsNeverTakenFromTheEnvironment) {
  TempDir dir;
  standin::Server server(dir.file("s"), standin::reply_with("{\"ok\":true,\"result\":{}}\n"));
  quillo::RunSettings settings;
  settings.env = [](std::string_view name) -> std::optional<std::string> {
    if (name == "QUILLO_PROJECT_PATH") return "/from/env";
    return std::nullopt;
  };
  for (const auto& args : std::vector<std::vector<std::string>>{{"todo", "add", "Milk"}, {"todo", "list"}}) {
    auto full = args;
    full.insert(full.end(), {"--socket", server.path()});
    std::ostringstream out;
    EXPECT_FALSE(quillo::run(*parse_args(full).cli, out, settings).has_value());
  }
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const auto& line : requests) {
    const auto request = quillo::Json::parse(line);
    EXPECT_EQ(request["params"]["project"], nullptr) << line;
    EXPECT_EQ(request["_env"]["project_path"], "/from/env") << line;
  }
}

TEST(Todo, Help) {
  expect_help({
      {{"todo", "--help"},
       {"Quick todo / sticky note operations (F053)", "\n  add ", "\n  list ", "\n  complete ", "\n  reopen ",
        "\n  update ", "\n  remove ", "\n  show ", "\n  message                     Thread message operations"}},
      {{"todo", "add", "-h"},
       {"TEXT REQUIRED               Todo title",
        "--project PROJECT           Project path to scope to (defaults to $QUILLO_PROJECT_PATH; omit for "
        "roost-level)"}},
      {{"todo", "list", "-h"}, {"--status STATUS=active      Status filter: active, completed, all"}},
      {{"todo", "update", "-h"},
       {"  --text TEXT                 \n  --body BODY                 \n  --color COLOR               \n"}},
      {{"todo", "message", "add", "-h"}, {"--text TEXT REQUIRED        Message body (markdown)"}},
  });
}

TEST(Todo, UsageErrors) {
  expect_usage_errors({
      {{"todo", "add"}, "TEXT is required"},
      {{"todo", "add", "Buy", "milk"}, "not expected: milk"},
      {{"todo", "complete"}, "ID is required"},
      {{"todo", "message"}, "Usage: quillo todo message [OPTIONS] SUBCOMMAND"},
      {{"todo", "message", "add", "T1"}, "--text is required"},
      {{"todo", "message", "add", "--text", "x"}, "ID is required"},
      {{"todo"}, "Usage: quillo todo [OPTIONS] SUBCOMMAND"},
  });
}


TEST(Todo, Renderings) {
  expect_renderings({
      {"todo.add", R"({"id":"todo-1","title":"Milk"})", "created: todo-1  Milk\n"},
      {"todo.add", R"({"id":"todo-1"})", "created: todo-1  \n"},
      {"todo.add", "{}", "created: ?  \n"},
      {"todo.list", R"({"todos":[]})", "(no todos)\n"},
      {"todo.list", "{}", ""},
      {"todo.list", R"({"todos":null})", ""},
      {"todo.list",
       R"({"todos":[{"id":"t1","title":"Done","status":"completed"},{"id":"t2","title":"Open","status":"active"},
                    {"id":"t3","title":"Cap","status":"Completed"},{"title":"No id"},5]})",
       "[x] t1  Done\n[ ] t2  Open\n[ ] t3  Cap\n[ ] ?  No id\n[ ] ?  \n"},
      {"todo.complete", R"({"id":"T1","status":"completed"})", "T1: completed\n"},
      {"todo.complete", "{}", "?: ?\n"},
      {"todo.reopen", R"({"id":"T1","status":"active"})", "T1: active\n"},
      {"todo.reopen", R"({"id":"T1","status":1})", "T1: ?\n"},
      {"todo.update", R"({"id":"T1"})", "updated: T1\n"},
      {"todo.update", "{}", "updated: ?\n"},
      {"todo.remove", R"({"id":"T1"})", "removed: T1\n"},
      {"todo.remove", "null", "removed: ?\n"},
      {"todo.message.add", R"({"id":"m1"})", "message added: m1\n"},
      {"todo.message.add", "{}", "message added: ?\n"},
  });
}

TEST(Todo, ShowRenderings) {
  expect_renderings({
      {"todo.show",
       R"({"title":"Ship it","status":"active","body":"See notes",
           "messages":[{"authorKind":"agent","body":"Done"},{"body":"Thanks"}]})",
       "[ ] Ship it\n\nSee notes\n\n--- thread ---\n[agent] Done\n[user] Thanks\n"},
      {"todo.show", R"({"title":"Ship","status":"completed"})", "[x] Ship\n"},
      {"todo.show", R"({"title":"T","body":""})", "[ ] T\n"},
      {"todo.show", R"({"title":"T","messages":[]})", "[ ] T\n"},
      {"todo.show", R"({"title":"T","messages":{"0":{"body":"x"}}})", "[ ] T\n"},
      {"todo.show", R"({"title":"T","body":"a\nb","messages":[{"authorKind":7,"body":"x\ny"},3]})",
       "[ ] T\n\na\nb\n\n--- thread ---\n[user] x\ny\n[user] \n"},
      {"todo.show", "[1]", "[ ] \n"},
      {"todo.show", "null", "[ ] \n"},
  });
}

}  // namespace
