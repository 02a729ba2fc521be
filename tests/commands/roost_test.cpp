#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Roost, Requests) {
  expect_requests({
      {{"roost", "add-project", "/srv/site"}, "roost.addProject", R"({"path":"/srv/site"})"},
      {{"roost", "remove-project", "/srv/site"}, "roost.removeProject", R"({"path":"/srv/site"})"},
      {{"roost", "park-project", "site"}, "roost.parkProject", R"({"path":"site"})"},
      {{"roost", "activate-project", "/a b"}, "roost.activateProject", R"({"path":"/a b"})"},
      {{"roost", "list-projects"}, "roost.listProjects", "{}"},
  });
}

TEST(Roost, UsageErrors) {
  expect_usage_errors({
      {{"roost", "add-project"}, "PATH is required"},
      {{"roost", "remove-project"}, "PATH is required"},
      {{"roost", "park-project", "a", "b"}, "not expected: b"},
  });
}

TEST(Roost, BareGroupListsTheSubcommandsInOrder) {
  expect_help({{{"roost"},
                {"add-project                 Add a project folder to the focused roost and focus it",
                 "remove-project              Remove a project from the focused roost, closing its terminals/browsers",
                 "park-project                Park a project in the focused roost, persisting state and terminating "
                 "sessions",
                 "activate-project            Activate (unpark) a parked project in the focused roost and focus it",
                 "list-projects               List active, parked, and unresolved projects in the focused roost"}}});
}

TEST(Roost, RepliesArePrettyJson) {
  expect_renderings({
      {"roost.listProjects", R"({"projects":[{"path":"/a","state":"parked"}]})",
       "{\n  \"projects\": [\n    {\n      \"path\": \"/a\",\n      \"state\": \"parked\"\n    }\n  ]\n}\n"},
      {"roost.addProject", "null", "null\n"},
      {"roost.parkProject", "{}", "{}\n"},
  });
}

}  // namespace
