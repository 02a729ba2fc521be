#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(File, Requests) {
  expect_requests({
      {{"file", "open", "notes.md", "--line", "10", "--column", "5"}, "file.open",
       R"({"column":5,"line":10,"path":"notes.md"})"},
      {{"file", "open", "notes.md"}, "file.open", R"({"column":null,"line":null,"path":"notes.md"})"},
      {{"file", "open", "notes.md", "--column", "3"}, "file.open",
       R"({"column":3,"line":null,"path":"notes.md"})"},
      {{"file", "open", "--line", "0", "/abs/x.c"}, "file.open",
       R"({"column":null,"line":0,"path":"/abs/x.c"})"},
      {{"file", "open", "x", "--line=4294967295"}, "file.open",
       R"({"column":null,"line":4294967295,"path":"x"})"},
  });
}

TEST(File, UsageErrors) {
  expect_usage_errors({
      {{"file", "open"}, "PATH is required"},
      {{"file", "open", "a", "b"}, "not expected: b"},
      {{"file", "open", "a", "--line=-1"}, "not an unsigned 32-bit integer"},
      {{"file", "open", "a", "--line", "-1"}, "--line: a value is required"},
      {{"file", "open", "a", "--line", "1.5"}, "not an unsigned 32-bit integer"},
      {{"file", "open", "a", "--line", "ten"}, "not an unsigned 32-bit integer"},
      {{"file", "open", "a", "--line", "4294967296"}, "not an unsigned 32-bit integer"},
      {{"file", "open", "a", "--column=-3"}, "not an unsigned 32-bit integer"},
      {{"file"}, "Usage: quillo file [OPTIONS] SUBCOMMAND"},
  });
}

TEST(File, Renderings) {
  expect_renderings({
      {"file.open", R"({"path":"/p/notes.md","line":10,"column":4})", "opened: /p/notes.md:10\n"},
      {"file.open", R"({"path":"/p/notes.md","line":null})", "opened: /p/notes.md\n"},
      {"file.open", R"({"path":"/p/notes.md"})", "opened: /p/notes.md\n"},
      {"file.open", R"({"path":"/p/notes.md","line":"10"})", "opened: /p/notes.md\n"},
      {"file.open", R"({"path":"/p/notes.md","line":10.5})", "opened: /p/notes.md\n"},
      {"file.open", R"({"path":"/p/notes.md","line":9223372036854775808})", "opened: /p/notes.md\n"},
      {"file.open", R"({"path":"/p/n","line":-2})", "opened: /p/n:-2\n"},
      {"file.open", "{}", "opened: ?\n"},
      {"file.open", R"({"line":3})", "opened: ?:3\n"},
  });
}

}  // namespace
