#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Comments, EditingRequests) {
  expect_requests({
      {{"comments", "add", "--file", "docs/guide.md", "--line", "12", "--comment", "Hello"}, "comments.add",
       R"({"body":"Hello","end_column":null,"end_line":12,"file":"docs/guide.md","parent_id":null,"start_column":1,"start_line":12})"},
      {{"comments", "add", "--file", "a.c", "--line", "7", "--column", "3", "--end-line", "9", "--end-column",
        "4", "--comment", "**b**", "--parent", "P"},
       "comments.add",
       R"({"body":"**b**","end_column":4,"end_line":9,"file":"a.c","parent_id":"P","start_column":3,"start_line":7})"},
      {{"comments", "add", "--end-line", "3", "--line", "9", "--file", "f", "--comment", "c"}, "comments.add",
       R"({"body":"c","end_column":null,"end_line":3,"file":"f","parent_id":null,"start_column":1,"start_line":9})"},
      {{"comments", "add", "--line", "0", "--column", "0", "--file", "f", "--comment", ""}, "comments.add",
       R"({"body":"","end_column":null,"end_line":0,"file":"f","parent_id":null,"start_column":0,"start_line":0})"},
      {{"comments", "add", "--line", "4294967295", "--file", "f", "--comment", "c"}, "comments.add",
       R"({"body":"c","end_column":null,"end_line":4294967295,"file":"f","parent_id":null,"start_column":1,"start_line":4294967295})"},
      {{"comments", "reply", "--id", "P", "--comment", "T"}, "comments.reply", R"({"body":"T","id":"P"})"},
      {{"comments", "update", "--comment", "New", "--id", "c1"}, "comments.update", R"({"body":"New","id":"c1"})"},
      {{"comments", "resolve", "--id", "X"}, "comments.resolve", R"({"id":"X","unresolve":false})"},
      {{"comments", "resolve", "--id", "X", "--unresolve"}, "comments.resolve", R"({"id":"X","unresolve":true})"},
      {{"comments", "delete", "--id", "c1"}, "comments.delete", R"({"id":"c1"})"},
  });
}

TEST(Comments, QueryRequests) {
  expect_requests({
      {{"comments", "list"}, "comments.list", R"({"file":null,"status":"active"})"},
      {{"comments", "list", "--status", "all"}, "comments.list", R"({"file":null,"status":"all"})"},
      {{"comments", "list", "--status", "closed", "--file", "src/a.c"}, "comments.list",
       R"({"file":"src/a.c","status":"closed"})"},
      {{"comments", "search"}, "comments.search", R"({"file_prefix":null,"query":null,"status":"active"})"},
      {{"comments", "search", "--query", "body:\"todo\" OR fixme", "--file-prefix", "src/", "--status",
        "resolved"},
       "comments.search", R"({"file_prefix":"src/","query":"body:\"todo\" OR fixme","status":"resolved"})"},
  });
}

TEST(Comments, UsageErrors) {
  expect_usage_errors({
      {{"comments", "add", "--line", "1", "--comment", "c"}, "--file is required"},
      {{"comments", "add", "--file", "f", "--comment", "c"}, "--line is required"},
      {{"comments", "add", "--file", "f", "--line", "1"}, "--comment is required"},
      {{"comments", "add", "--file", "f", "--line=-1", "--comment", "c"}, "not an unsigned 32-bit integer"},
      {{"comments", "add", "--file", "f", "--line", "-1", "--comment", "c"}, "--line: a value is required"},
      {{"comments", "add", "--file", "f", "--line", "1.5", "--comment", "c"}, "not an unsigned 32-bit integer"},
      {{"comments", "add", "--file", "f", "--line", "1", "--end-column", "4294967296", "--comment", "c"},
       "not an unsigned 32-bit integer"},
      {{"comments", "add", "--file", "f", "--line", "1", "--column", "x", "--comment", "c"},
       "not an unsigned 32-bit integer"},
      {{"comments", "add", "--file", "f", "--line", "1", "--end-line", "", "--comment", "c"},
       "not an unsigned 32-bit integer"},
      {{"comments", "add", "f", "--line", "1", "--comment", "c"}, "not expected: f"},
      {{"comments", "reply", "--id", "P"}, "--comment is required"},
      {{"comments", "update", "--comment", "x"}, "--id is required"},
      {{"comments", "resolve"}, "--id is required"},
      {{"comments", "list", "--status"}, "--status"},
  });
}

TEST(Comments, Help) {
  expect_help({
      {{"comments"},
       {"File comment operations (F049)",
        "add                         Add a comment to a file at a specific line range",
        "list                        List comments for a file (or all comments in the roost)",
        "reply                       Reply to an existing comment thread",
        "update                      Update the body of a comment",
        "resolve                     Mark a comment thread as resolved (or pass --unresolve to reopen)",
        "delete                      Delete a comment (cascades to all replies)",
        "search                      Search comments by content / file / status"}},
      {{"comments", "add", "-h"},
       {"--line LINE REQUIRED        1-based line number where the comment starts",
        "--end-line END_LINE         1-based end line (defaults to start line \xE2\x80\x94 line-only comment)"}},
      {{"comments", "list", "-h"}, {"--status STATUS=active      Filter by status: active, resolved, stale, all"}},
      {{"comments", "search", "-h"}, {"--query QUERY               FTS5 query string (matches comment body)"}},
      {{"comments", "resolve", "-h"}, {"--unresolve                 Reopen a resolved thread"}},
  });
}

TEST(Comments, EditingRenderings) {
  expect_renderings({
      {"comments.add", R"({"id":"c1"})", "created: c1\n"},
      {"comments.add", "{}", "created: ?\n"},
      {"comments.reply", R"({"id":"c2"})", "created: c2\n"},
      {"comments.reply", "null", "created: ?\n"},
      {"comments.update", R"({"id":"c1"})", "updated: c1\n"},
      {"comments.update", R"({"id":1})", "updated: ?\n"},
      {"comments.resolve", R"({"id":"c1","resolvedAt":"2026-01-01T00:00:00Z"})", "resolved: c1\n"},
      {"comments.resolve", R"({"id":"c1","resolvedAt":null})", "reopened: c1\n"},
      {"comments.resolve", R"({"id":"c1","resolvedAt":1700000000})", "reopened: c1\n"},
      {"comments.resolve", "{}", "reopened: ?\n"},
      {"comments.delete", R"({"id":"c1","deletedCount":3})", "deleted 3 comment(s) starting at c1\n"},
      {"comments.delete", R"({"id":"c1","deletedCount":-1})", "deleted -1 comment(s) starting at c1\n"},
      {"comments.delete", R"({"id":"c1","deletedCount":2.5})", "deleted 0 comment(s) starting at c1\n"},
      {"comments.delete", R"({"id":"c1","deletedCount":2.0})", "deleted 0 comment(s) starting at c1\n"},
      {"comments.delete", R"({"id":"c1","deletedCount":"3"})", "deleted 0 comment(s) starting at c1\n"},
      {"comments.delete", R"({"deletedCount":9223372036854775808})", "deleted 0 comment(s) starting at ?\n"},
      {"comments.delete", "{}", "deleted 0 comment(s) starting at ?\n"},
  });
}

TEST(Comments, ListRenderings) {
  expect_renderings({
      {"comments.list", R"({"comments":[]})", "(no comments)\n"},
      {"comments.search", R"({"comments":[]})", "(no comments)\n"},
      {"comments.list", "{}", ""},
      {"comments.list", "null", ""},
      {"comments.search", R"({"comments":"c1"})", ""},
      {"comments.list",
       R"({"comments":[{"id":"c1","filePath":"docs/a.md","anchor":{"startLine":3},"body":"First\r\nSecond\n",
                        "authorKind":"agent","isStale":true,"resolvedAt":null}]})",
       "c1  docs/a.md:3 [stale] [agent]\n    First\n    Second\n"},
      {"comments.search",
       R"({"comments":[{"id":"c2","filePath":"b","anchor":{"startLine":1},"resolvedAt":"t","isStale":true,
                        "authorKind":"agent","body":"x"}]})",
       "c2  b:1 [resolved] [stale] [agent]\n    x\n"},
      {"comments.list",
       R"({"comments":[{"id":"c3","filePath":"b","anchor":{"startLine":2},"isStale":"true","authorKind":"user"},
                       {"id":"c4","filePath":"b","anchor":{"startLine":2},"authorKind":"Agent"},
                       {"id":"c5","filePath":"b","anchor":{"startLine":2},"authorKind":"agent "}]})",
       "c3  b:2\nc4  b:2\nc5  b:2\n"},
      {"comments.list", R"({"comments":[{"id":"c6","filePath":"b","body":"no anchor"}]})",
       "c6  b:0\n    no anchor\n"},
      {"comments.list",
       R"({"comments":[{"anchor":{"startLine":2.0}},{"anchor":{"startLine":-4}},{"anchor":"3"},
                       {"anchor":{"startLine":9223372036854775808}}]})",
       "?  ?:0\n?  ?:-4\n?  ?:0\n?  ?:0\n"},
      {"comments.list", R"({"comments":[7,null]})", "?  ?:0\n?  ?:0\n"},
  });
}

TEST(Comments, BodyLines) {
  const auto listing = [](const std::string& body_json) {
    return R"({"comments":[{"id":"c","filePath":"f","anchor":{"startLine":1},"body":)" + body_json + "}]}";
  };
  expect_renderings({
      {"comments.list", listing(R"("")"), "c  f:1\n"},
      {"comments.list", listing(R"(5)"), "c  f:1\n"},
      {"comments.list", listing(R"("\n")"), "c  f:1\n    \n"},
      {"comments.list", listing(R"("one")"), "c  f:1\n    one\n"},
      {"comments.list", listing(R"("one\n")"), "c  f:1\n    one\n"},
      {"comments.list", listing(R"("one\n\n")"), "c  f:1\n    one\n    \n"},
      {"comments.list", listing(R"("a\n\nb")"), "c  f:1\n    a\n    \n    b\n"},
      {"comments.list", listing(R"("a\r\nb\r\n")"), "c  f:1\n    a\n    b\n"},
      {"comments.list", listing(R"("a\r\r\nb")"), "c  f:1\n    a\r\n    b\n"},
      {"comments.list", listing(R"("a\rb\r")"), "c  f:1\n    a\rb\r\n"},
      {"comments.list", listing(R"("\r\n")"), "c  f:1\n    \n"},
  });
}

}  // namespace
