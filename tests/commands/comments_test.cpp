#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Comments, Requests) {
  expect_requests({
      {{"comments", "add", "--file", "docs/guide.md", "--line", "12", "--comment", "Hello"}, "comments.add",
       R"({"body":"Hello","end_column":null,"end_line":12,"file":"docs/guide.md","parent_id":null,"start_column":1,"start_line":12})"},
      {{"comments", "add", "--file", "a.c", "--line", "7", "--column", "3", "--end-line", "9", "--end-column",
        "4", "--comment", "**b**", "--parent", "P"},
       "comments.add",
       R"({"body":"**b**","end_column":4,"end_line":9,"file":"a.c","parent_id":"P","start_column":3,"start_line":7})"},
      {{"comments", "add", "--line", "4294967295", "--column", "0", "--file", "f", "--comment", ""}, "comments.add",
       R"({"body":"","end_column":null,"end_line":4294967295,"file":"f","parent_id":null,"start_column":0,"start_line":4294967295})"},
      {{"comments", "reply", "--id", "P", "--comment", "T"}, "comments.reply", R"({"body":"T","id":"P"})"},
      {{"comments", "update", "--comment", "New", "--id", "c1"}, "comments.update", R"({"body":"New","id":"c1"})"},
      {{"comments", "resolve", "--id", "X"}, "comments.resolve", R"({"id":"X","unresolve":false})"},
      {{"comments", "resolve", "--id", "X", "--unresolve"}, "comments.resolve", R"({"id":"X","unresolve":true})"},
      {{"comments", "delete", "--id", "c1"}, "comments.delete", R"({"id":"c1"})"},
      {{"comments", "list"}, "comments.list", R"({"file":null,"status":"active"})"},
      {{"comments", "list", "--status", "closed", "--file", "src/a.c"}, "comments.list",
       R"({"file":"src/a.c","status":"closed"})"},
      {{"comments", "search"}, "comments.search", R"({"file_prefix":null,"query":null,"status":"active"})"},
      {{"comments", "search", "--query", "body:\"todo\"", "--file-prefix", "src/", "--status", "all"},
       "comments.search", R"({"file_prefix":"src/","query":"body:\"todo\"","status":"all"})"},
  });
}

TEST(Comments, Renderings) {
  expect_renderings({
      {"comments.add", R"({"id":"c1"})", "created: c1\n"},
      {"comments.reply", "{}", "created: ?\n"},
      {"comments.update", R"({"id":"c1"})", "updated: c1\n"},
      {"comments.update", "{}", "updated: ?\n"},
      {"comments.resolve", R"({"id":"c1","resolvedAt":"2026-01-01T00:00:00Z"})", "resolved: c1\n"},
      {"comments.resolve", R"({"id":"c1","resolvedAt":null})", "reopened: c1\n"},
      {"comments.resolve", "{}", "reopened: ?\n"},
      {"comments.delete", R"({"id":"c1","deletedCount":3})", "deleted 3 comment(s) starting at c1\n"},
      {"comments.delete", "{}", "deleted 0 comment(s) starting at ?\n"},
      {"comments.list", R"({"comments":[]})", "(no comments)\n"},
      {"comments.search", R"({"comments":[]})", "(no comments)\n"},
      {"comments.list", "{}", ""},
      {"comments.list",
       R"({"comments":[{"id":"c1","filePath":"docs/a.md","anchor":{"startLine":3},"body":"First",
                        "authorKind":"agent","isStale":true,"resolvedAt":null}]})",
       "c1  docs/a.md:3 [stale] [agent]\n    First\n"},
      {"comments.search",
       R"({"comments":[{"id":"c2","filePath":"b","anchor":{"startLine":1},"resolvedAt":"t","isStale":true,
                        "authorKind":"agent","body":"x"},
                       {"id":"c3","filePath":"b","anchor":{"startLine":2},"authorKind":"Agent"},
                       {"anchor":{"startLine":-4}},{"anchor":"3"},7]})",
       "c2  b:1 [resolved] [stale] [agent]\n    x\nc3  b:2\n?  ?:-4\n?  ?:0\n?  ?:0\n"},
  });
}

// A body's lines are indented by four spaces; a line feed ends a line, with one carriage return
// before it; other carriage returns stay.
TEST(Comments, BodyLines) {
  const auto listing = [](const std::string& body_json) {
    return R"({"comments":[{"id":"c","filePath":"f","anchor":{"startLine":1},"body":)" + body_json + "}]}";
  };
  expect_renderings({
      {"comments.list", listing(R"("")"), "c  f:1\n"},
      {"comments.list", listing(R"("\n")"), "c  f:1\n    \n"},
      {"comments.list", listing(R"("one\n")"), "c  f:1\n    one\n"},
      {"comments.list", listing(R"("a\n\nb")"), "c  f:1\n    a\n    \n    b\n"},
      {"comments.list", listing(R"("a\r\nb\r\n")"), "c  f:1\n    a\n    b\n"},
      {"comments.list", listing(R"("a\r\r\nb")"), "c  f:1\n    a\r\n    b\n"},
      {"comments.list", listing(R"("a\rb\r")"), "c  f:1\n    a\rb\r\n"},
  });
}

}  // namespace
