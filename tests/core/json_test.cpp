#include "core/json_parser.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quillo {
namespace {

std::string parse_error_of(std::string_view text) {
  auto parsed = parse_json(text);
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  return "";
}

TEST(ParseJson, AcceptsOneValueWithSurroundingWhiteSpace) {
  for (const char* text : {"{}", " [1,2] ", "\"x\"", "null", "\t-0\n", "18446744073709551615"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parse_error_of(text), "");
  }
}

TEST(ParseJson, RefusesEverythingButExactlyOneValue) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "unexpected end of input"},
      {"{} x", "expected end of input"},
      {"{}{}", "expected end of input"},
      {"garbage", "syntax error"},
      {std::string("{}\0{}", 5), "NUL byte at offset 2"},
      {std::string("[1,\0 2]", 7), "NUL byte"},
      {"\xEF\xBB\xBF{}", "byte-order mark"},
      {"1e400", "number overflow"},
      {"{\"a\":1,}", "syntax error"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    const std::string error = parse_error_of(text);
    EXPECT_NE(error.find(expected), std::string::npos) << error;
    EXPECT_FALSE(error.starts_with("[json.exception")) << error;
  }
}

TEST(ParseJson, BoundsNesting) {
  const auto nested = [](std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
  };
  EXPECT_EQ(parse_error_of(nested(kMaxJsonDepth)), "");
  EXPECT_NE(parse_error_of(nested(kMaxJsonDepth + 1)).find("nesting deeper than 512"),
            std::string::npos);
  EXPECT_NE(parse_error_of(nested(100000)).find("nesting"), std::string::npos);
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  EXPECT_NE(parse_error_of(objects).find("nesting"), std::string::npos);
}

TEST(Writing, SortsKeysAtEveryLevelAndKeepsIntegersExact) {
  const Json value = Json::parse(
      R"({"b":{"z":1,"a":[{"y":2,"x":3}]},"a":18446744073709551615,"c":-9223372036854775808})");
  EXPECT_EQ(value.dump(),
            R"({"a":18446744073709551615,"b":{"a":[{"x":3,"y":2}],"z":1},"c":-9223372036854775808})");
  EXPECT_EQ(to_pretty_text(Json::parse(R"({"e":[],"o":{},"z":[1,null]})")).value(),
            "{\n  \"e\": [],\n  \"o\": {},\n  \"z\": [\n    1,\n    null\n  ]\n}");
}

TEST(Writing, ReportsAValueThatCannotBeWritten) {
  EXPECT_FALSE(to_pretty_text(Json("\xFF")).has_value());
}

}  // namespace
}  // namespace quillo
