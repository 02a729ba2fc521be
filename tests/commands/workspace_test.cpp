// The shelf, file open, terminal shortcuts and the roost's projects.
#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Workspace, Requests) {
  expect_requests({
      {{"shelf", "add", "src/app", "--select"}, "shelf.add", R"({"path":"src/app","select":true})"},
      {{"shelf", "add", "--", "-odd name"}, "shelf.add", R"({"path":"-odd name","select":false})"},
      {{"shelf", "list"}, "shelf.list", "{}"},
      {{"shelf", "remove", ""}, "shelf.remove", R"({"path":""})"},
      {{"file", "open", "notes.md", "--line", "10", "--column", "5"}, "file.open",
       R"({"column":5,"line":10,"path":"notes.md"})"},
      {{"file", "open", "notes.md"}, "file.open", R"({"column":null,"line":null,"path":"notes.md"})"},
      {{"file", "open", "x", "--column=4294967295"}, "file.open", R"({"column":4294967295,"line":null,"path":"x"})"},
      {{"shortcut", "list"}, "shortcut.list", "{}"},
      {{"shortcut", "add", "--name", "Build", "--command", "make all"}, "shortcut.add",
       R"({"command":"make all","launch_behavior":"newPermanentTerminal","name":"Build","scope":"roost"})"},
      {{"shortcut", "add", "--command=", "--name", "N", "--launch-behavior", "sometimes", "--scope", "everywhere"},
       "shortcut.add", R"({"command":"","launch_behavior":"sometimes","name":"N","scope":"everywhere"})"},
      {{"shortcut", "remove", "not-a-uuid"}, "shortcut.remove", R"({"id":"not-a-uuid"})"},
      {{"roost", "add-project", "/srv/site"}, "roost.addProject", R"({"path":"/srv/site"})"},
      {{"roost", "remove-project", "/srv/site"}, "roost.removeProject", R"({"path":"/srv/site"})"},
      {{"roost", "park-project", "site"}, "roost.parkProject", R"({"path":"site"})"},
      {{"roost", "activate-project", "/a b"}, "roost.activateProject", R"({"path":"/a b"})"},
      {{"roost", "list-projects"}, "roost.listProjects", "{}"},
  });
}

TEST(Workspace, Renderings) {
  expect_renderings({
      {"shelf.add", R"({"added":true,"path":"/p/src/app","kind":"folder","selected":true})",
       "added: /p/src/app [folder] (selected)\n"},
      {"shelf.add", R"({"added":false,"path":"/p/a","kind":"file"})", "already shelved: /p/a [file]\n"},
      {"shelf.add", "{}", "already shelved: ? [?]\n"},
      {"shelf.list", R"({"items":[]})", "(shelf is empty)\n"},
      {"shelf.list", "{}", ""},
      {"shelf.list", R"({"items":[{"path":"/p/a","kind":"file","selected":true,"exists":false},
                                  {"path":"/p/b","kind":"folder","exists":true},null]})",
       "* [file] /p/a  (missing)\n  [folder] /p/b\n  [?] ?\n"},
      {"shelf.remove", R"({"removed":true})", "removed\n"},
      {"shelf.remove", "{}", "not in shelf\n"},
      {"file.open", R"({"path":"/p/notes.md","line":10,"column":4})", "opened: /p/notes.md:10\n"},
      {"file.open", R"({"path":"/p/notes.md","line":null})", "opened: /p/notes.md\n"},
      {"file.open", R"({"line":-2})", "opened: ?:-2\n"},
      {"shortcut.list", R"({"shortcuts":[{"name":"Build","command":"make all","scope":"project","id":"u1"},1]})",
       "  [project] Build: make all\n  [?] ?: ?\n"},
      {"shortcut.list", R"({"shortcuts":[]})", "(no shortcuts)\n"},
      {"shortcut.list", "{}", ""},
      {"shortcut.add", R"({"name":"Build","scope":"roost"})", "added [roost]: Build\n"},
      {"shortcut.add", "{}", "added [?]: ?\n"},
      {"shortcut.remove", R"({"removed":true})", "removed\n"},
      {"shortcut.remove", "{}", "not found\n"},
      {"roost.listProjects", R"({"projects":[{"path":"/a","state":"parked"}]})",
       "{\n  \"projects\": [\n    {\n      \"path\": \"/a\",\n      \"state\": \"parked\"\n    }\n  ]\n}\n"},
      {"roost.addProject", "null", "null\n"},
  });
}

}  // namespace
