#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Todo, Requests) {
  expect_requests({
      {{"todo", "add", "Milk"}, "todo.add",
       R"({"body":null,"color":null,"file":null,"project":null,"text":"Milk"})"},
      {{"todo", "add", "Ship it", "--project", "/p", "--body", "See notes", "--color", "mauve", "--file", "x.c"},
       "todo.add", R"({"body":"See notes","color":"mauve","file":"x.c","project":"/p","text":"Ship it"})"},
      {{"todo", "list"}, "todo.list", R"({"project":null,"status":"active"})"},
      {{"todo", "list", "--status", "done", "--project", "p"}, "todo.list", R"({"project":"p","status":"done"})"},
      {{"todo", "complete", "T1"}, "todo.complete", R"({"id":"T1"})"},
      {{"todo", "reopen", "T1"}, "todo.reopen", R"({"id":"T1"})"},
      {{"todo", "update", "T1"}, "todo.update", R"({"body":null,"color":null,"id":"T1","text":null})"},
      {{"todo", "update", "T1", "--text", "New", "--body", "", "--color", "red"}, "todo.update",
       R"({"body":"","color":"red","id":"T1","text":"New"})"},
      {{"todo", "remove", "T1"}, "todo.remove", R"({"id":"T1"})"},
      {{"todo", "show", "T1"}, "todo.show", R"({"id":"T1"})"},
      {{"todo", "message", "--json", "add", "--text", "**md**", "T1"}, "todo.message.add",
       R"({"id":"T1","text":"**md**"})"},
  });
}

TEST(Todo, Renderings) {
  expect_renderings({
      {"todo.add", R"({"id":"todo-1","title":"Milk"})", "created: todo-1  Milk\n"},
      {"todo.add", "{}", "created: ?  \n"},
      {"todo.list", R"({"todos":[]})", "(no todos)\n"},
      {"todo.list", "{}", ""},
      {"todo.list",
       R"({"todos":[{"id":"t1","title":"Done","status":"completed"},{"id":"t2","title":"Open","status":"active"},
                    {"id":"t3","title":"Cap","status":"Completed"},5]})",
       "[x] t1  Done\n[ ] t2  Open\n[ ] t3  Cap\n[ ] ?  \n"},
      {"todo.complete", R"({"id":"T1","status":"completed"})", "T1: completed\n"},
      {"todo.reopen", "{}", "?: ?\n"},
      {"todo.update", R"({"id":"T1"})", "updated: T1\n"},
      {"todo.update", "{}", "updated: ?\n"},
      {"todo.remove", R"({"id":"T1"})", "removed: T1\n"},
      {"todo.remove", "null", "removed: ?\n"},
      {"todo.message.add", R"({"id":"m1"})", "message added: m1\n"},
      {"todo.message.add", "{}", "message added: ?\n"},
      {"todo.show",
       R"({"title":"Ship it","status":"active","body":"See notes",
           "messages":[{"authorKind":"agent","body":"Done"},{"body":"Thanks"}]})",
       "[ ] Ship it\n\nSee notes\n\n--- thread ---\n[agent] Done\n[user] Thanks\n"},
      {"todo.show", R"({"title":"Ship","status":"completed","body":""})", "[x] Ship\n"},
      {"todo.show", R"({"title":"T","messages":[]})", "[ ] T\n"},
      {"todo.show", R"({"title":"T","messages":{"0":{"body":"x"}}})", "[ ] T\n"},
      {"todo.show", R"({"title":"T","body":"a\nb","messages":[{"authorKind":7,"body":"x\ny"},3]})",
       "[ ] T\n\na\nb\n\n--- thread ---\n[user] x\ny\n[user] \n"},
      {"todo.show", "null", "[ ] \n"},
  });
}

}  // namespace
