#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Shelf, Requests) {
  expect_requests({
      {{"shelf", "add", "src/app", "--select"}, "shelf.add", R"({"path":"src/app","select":true})"},
      {{"shelf", "add", "src/app"}, "shelf.add", R"({"path":"src/app","select":false})"},
      {{"shelf", "add", "--", "-odd name"}, "shelf.add", R"({"path":"-odd name","select":false})"},
      {{"shelf", "list"}, "shelf.list", "{}"},
      {{"shelf", "remove", "/p/a"}, "shelf.remove", R"({"path":"/p/a"})"},
      {{"shelf", "remove", ""}, "shelf.remove", R"({"path":""})"},
  });
}

TEST(Shelf, UsageErrors) {
  expect_usage_errors({
      {{"shelf", "add"}, "PATH is required"},
      {{"shelf", "add", "a", "b"}, "not expected: b"},
      {{"shelf", "add", "a", "--select=yes"}, "takes no value"},
      {{"shelf", "remove"}, "PATH is required"},
      {{"shelf"}, "Usage: quillo shelf [OPTIONS] SUBCOMMAND"},
  });
}

TEST(Shelf, Renderings) {
  expect_renderings({
      {"shelf.add", R"({"added":true,"path":"/p/src/app","kind":"folder","selected":true})",
       "added: /p/src/app [folder] (selected)\n"},
      {"shelf.add", R"({"added":false,"path":"/p/a","kind":"file"})", "already shelved: /p/a [file]\n"},
      {"shelf.add", "{}", "already shelved: ? [?]\n"},
      {"shelf.add", R"({"added":"true","path":1,"kind":null,"selected":"yes"})", "already shelved: ? [?]\n"},
      {"shelf.list", R"({"items":[]})", "(shelf is empty)\n"},
      {"shelf.list", "{}", ""},
      {"shelf.list", R"({"items":"none"})", ""},
      {"shelf.list", R"({"items":[{"path":"/p/a","kind":"file","exists":false,"selected":false}]})",
       "  [file] /p/a  (missing)\n"},
      {"shelf.list", R"({"items":[{"path":"/p/a","kind":"file","selected":true},
                                  {"path":"/p/b","kind":"folder","exists":true},
                                  {"path":"/p/c","kind":"file","exists":"false"},
                                  null]})",
       "* [file] /p/a\n  [folder] /p/b\n  [file] /p/c\n  [?] ?\n"},
      {"shelf.remove", R"({"removed":true})", "removed\n"},
      {"shelf.remove", R"({"removed":false})", "not in shelf\n"},
      {"shelf.remove", "{}", "not in shelf\n"},
      {"shelf.remove", "null", "not in shelf\n"},
  });
}

}  // namespace
