#include "print_human.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "core/output.hpp"
#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(PrintHuman, GenericRenderings) {
  expect_renderings({
      {"browser.navigate", R"({"anything":[1,2]})", "OK\n"},
      {"browser.some.future.method", "null", "OK\n"},
      {"browser.", "null", "OK\n"},
      {"Browser.navigate", "null", "null\n"},
      {"roost.listProjects", R"({"b":1,"a":[]})", "{\n  \"a\": [],\n  \"b\": 1\n}\n"},
      {"no.such.method", "null", "null\n"},
      {"", "\"text\"", "\"text\"\n"},
      {"PING", "{}", "{}\n"},
  });
}

}  // namespace
