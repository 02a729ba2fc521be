// Text from a reply reaches a terminal with its control characters shown, not obeyed; anywhere
// else it stays byte for byte.
#include <gtest/gtest.h>

#include "core/json.hpp"
#include "cli.hpp"
#include "core/sink.hpp"
#include "core/text.hpp"
#include "support/grammar_walk.hpp"
#include "support/argument_table.hpp"

namespace {

using quillo::Json;

// Each kind of control character: a title, the clipboard (OSC 52), BEL, clearing the screen,
// DEL, the C1 control sequence introducer U+009B, a carriage return that no line feed follows
// (it would print over what came before), the right-to-left override U+202E and the isolate
// U+2066; a carriage return before a line feed, which keeps its meaning, and characters whose
// bytes fall in the range of C1 too.
const std::string kHostile = "t\x1b]0;pwned\x07 \x1b]52;c;ZXZpbA==\x07 \x1b[2J \x7f \xc2\x9b" "6n \r. \xe2\x80\xae"
                             "txt.exe \xe2\x81\xa6 \r\n \xc2\xa0\xc3\xa9\xe2\x80\xa9\xc4\x9f\xf0\x9f\x98\x80";
const std::string kShown =
    "t\\u{1b}]0;pwned\\u{7} \\u{1b}]52;c;ZXZpbA==\\u{7} \\u{1b}[2J \\u{7f} \\u{9b}6n \\u{d}. \\u{202e}txt.exe "
    "\\u{2066} \r\n \xc2\xa0\xc3\xa9\xe2\x80\xa9\xc4\x9f\xf0\x9f\x98\x80";
// In text that is not UTF-8 (an argument), the byte 0x9B alone: a CSI to a terminal of 8-bit
// controls.
const std::string kStray = "a\x9b" "2J \xc4\x9f\xe2\x80\xa9\xff\x9b";

TEST(TerminalOutput, ControlCharactersAreShown) {
  EXPECT_EQ(quillo::visible_controls(kHostile), kShown);
  EXPECT_EQ(quillo::visible_controls("tab\tand CR LF\r\n"), "tab\tand CR LF\r\n");
  // A character cut between two writes, or between the pieces a long write is taken in, is
  // still recognised, and a carriage return waits for what follows it.
  // (A control across the first two pieces, a line's end across the next, a lone carriage
  // return that ends the third.)
  const std::string long_text = std::string(4095, 'x') + "\xc2\x9b" + std::string(4094, 'y') + "\r\n" +
                                std::string(4094, 'z') + "\rq" + kHostile;
  EXPECT_EQ(quillo::visible_controls(kStray), "a\\x{9b}2J \xc4\x9f\xe2\x80\xa9\xff\\x{9b}");
  for (const std::string& text : {kHostile, long_text, kStray}) {
    for (std::size_t cut = 0; cut <= text.size(); cut += text.size() < 100 ? 1 : 97) {
      quillo::StringSink out;
      {
        quillo::TerminalSink terminal(out);
        terminal << text.substr(0, cut) << text.substr(cut);
      }
      ASSERT_EQ(out.text(), quillo::visible_controls(text)) << cut;
    }
  }
  EXPECT_EQ(quillo::visible_controls(long_text), std::string(4095, 'x') + "\\u{9b}" + std::string(4094, 'y') + "\r\n" +
                                                     std::string(4094, 'z') + "\\u{d}q" + kShown);
}

// Every renderer, given a result whose every text is hostile, prints it unchanged to a sink and
// shown through the terminal's filter.
TEST(TerminalOutput, EveryRenderer) {
  const Json text = kHostile;
  const Json item = {{"id", text}, {"title", text}, {"url", text}, {"path", text}, {"kind", text},
                     {"name", text}, {"command", text}, {"scope", text}, {"terminal_id", text},
                     {"cwd", text}, {"browser_id", text}, {"filePath", text}, {"body", text},
                     {"authorKind", text}, {"status", text}, {"term", text}, {"definition", text},
                     {"method", text}, {"summary", text}, {"description", text}};
  Json result = item;
  for (const char* list : {"terminals", "tabs", "items", "shortcuts", "comments", "todos", "messages",
                           "concepts", "domains", "commands"}) {
    result[list] = Json::array({item});
  }
  result.update({{"matched", true}, {"text", text}, {"snapshot", text}, {"value", text}, {"app", text},
                 {"version", text}, {"build", text}});
  auto methods = testing_support::declared_methods();
  methods.push_back("no.such.method");
  std::size_t raw = 0;
  for (const auto& method : methods) {
    SCOPED_TRACE(method);
    quillo::StringSink plain, shown;
    ASSERT_FALSE(testing_support::print_human(method, result.dump(), plain));
    {
      quillo::TerminalSink terminal(shown);
      ASSERT_FALSE(testing_support::print_human(method, result.dump(), terminal));
    }
    EXPECT_EQ(shown.text(), quillo::visible_controls(plain.text()));
    EXPECT_EQ(quillo::visible_controls(shown.text()), shown.text());
    raw += plain.text().find(kHostile) != std::string::npos;
  }
  EXPECT_GT(raw, 30u);
}

}  // namespace
