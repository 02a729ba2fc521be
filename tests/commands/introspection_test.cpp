#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Introspection, Requests) {
  expect_requests({
      {{"ping"}, "ping", "{}"},
      {{"whoami"}, "whoami", "{}"},
      {{"help"}, "help", "{}"},
      {{"help", "terminal.send"}, "help", R"({"method":"terminal.send"})"},
      {{"help", ""}, "help", R"({"method":""})"},
  });
}

TEST(Introspection, Renderings) {
  expect_renderings({
      {"ping", R"({"app":"Quillo","version":"1.2","build":"77","protocol_version":3})",
       "ok  Quillo 1.2 (build 77)  protocol=3\n"},
      {"ping", "{}", "ok  ? ? (build ?)  protocol=0\n"},
      {"whoami", R"({"surface":"agent","roost":null,"project":"/p"})",
       "{\n  \"project\": \"/p\",\n  \"roost\": null,\n  \"surface\": \"agent\"\n}\n"},
      {"whoami", "null", "null\n"},
  });
}

// The catalogue, with its columns padded by characters, never cut.
TEST(Introspection, CatalogueView) {
  expect_renderings({
      {"help", "{}", "Quillo\n"},
      {"help", R"({"app":"Q2","summary":""})", "Q2\n"},
      {"help",
       R"({"app":"Quillo","summary":"S","concepts":[{"term":"T","definition":"D"}],
           "domains":[{"name":"terminal","description":"E",
                       "commands":[{"method":"terminal.list","summary":"F"}]}]})",
       "Quillo\n  S\n\nConcepts\n  T               D\n\nterminal\n  E\n"
       "    terminal.list           F\n"},
      {"help", R"({"concepts":[{"term":"averyveryverylongterm"},{"term":"é✓","definition":"x"}]})",
       "Quillo\n\nConcepts\n  averyveryverylongterm  \n  é✓              x\n"},
      {"help", R"({"domains":[{"name":"d"},{"commands":[{},{"method":"a.method.name.longer.than.22"}]}]})",
       "Quillo\n\nd\n  \n\n?\n  \n    ?                       \n    a.method.name.longer.than.22  \n"},
      {"help", R"({"concepts":[],"domains":[],"commands":[{"method":"x"}]})", "Quillo\n"},
  });
}

// One method's schema: the first command, when it has "params".
TEST(Introspection, SchemaView) {
  expect_renderings({
      {"help", R"({"commands":[{"method":"ping","params":{}},{"method":"other","params":{}}],"domains":[{"name":"d"}]})",
       "{\n  \"method\": \"ping\",\n  \"params\": {}\n}\n"},
      {"help", R"({"commands":[{"params":null}]})", "{\n  \"params\": null\n}\n"},
      {"help", R"({"commands":[{"method":"x"},{"params":{}}],"app":"A"})", "A\n"},
      {"help", R"({"commands":["params"]})", "Quillo\n"},
  });
}

}  // namespace
