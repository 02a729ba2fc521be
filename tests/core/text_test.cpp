#include "core/text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quillo {
namespace {

TEST(Utf8, ValidityCheck) {
  EXPECT_TRUE(is_valid_utf8(""));
  EXPECT_TRUE(is_valid_utf8("plain é ✓ 😀"));
  for (const char* bad : {"\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
    EXPECT_FALSE(is_valid_utf8(bad)) << bad;
  }
}

TEST(Trimming, RemovesUnicodeWhiteSpace) {
  EXPECT_EQ(trim_end("{}\r\n"), "{}");
  EXPECT_EQ(trim_end("{} \t\v\f\xC2\xA0\xE2\x80\xA8\xE3\x80\x80"), "{}");
  EXPECT_EQ(trim_end("a b"), "a b");
  EXPECT_EQ(trim_end(" \n"), "");
  EXPECT_EQ(trim_end("\xC3\xA9"), "\xC3\xA9");
  EXPECT_EQ(trim("\n  dev.quillo.x \t\n"), "dev.quillo.x");
  EXPECT_EQ(trim("   "), "");
}

TEST(QuotedLiteral, EscapesAsDocumented) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"garbage\n", R"("garbage\n")"},
      {"a\"b\\c", R"("a\"b\\c")"},
      {"\t\r\n", R"("\t\r\n")"},
      {std::string("\x1b\x00\x7f", 3), R"("\u{1b}\u{0}\u{7f}")"},
      {"\xC2\x85", R"("\u{85}")"},
      {"é ✓ /", "\"é ✓ /\""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(quoted_literal(text), expected);
}

}  // namespace
}  // namespace quillo
