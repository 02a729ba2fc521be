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

TEST(PrintJson, CompactWithSortedKeys) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"null", "null\n"},
      {"\"a\\u00e9\\n\"", "\"aé\\n\"\n"},
      {R"({"z":{"b":1,"a":2},"a":[true,1.5,-0]})", "{\"a\":[true,1.5,0],\"z\":{\"a\":2,\"b\":1}}\n"},
      {"18446744073709551615", "18446744073709551615\n"},
  };
  for (const auto& [result, expected] : cases) {
    std::ostringstream out;
    quillo::print_json(quillo::Json::parse(result), out);
    EXPECT_EQ(out.str(), expected);
  }
}

}  // namespace
