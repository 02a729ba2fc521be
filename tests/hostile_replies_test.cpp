// Replies shaped by whoever wrote the page or the program the IDE reports on, through the built
// executable: each is printed as it should be, in memory close to the reply's own size, which a
// reading that built the value or the text whole, or copied a part once per level, would exceed
// many times over.
#include <gtest/gtest.h>

#include <functional>

#include "core/json.hpp"
#include "server.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;

std::string repeated(const std::string& piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// `inner` in objects nested `depth` deep, each with a member "b" before the member "a" that
// holds the next: every level's keys out of order.
std::string unsorted_nest(std::size_t depth, const std::string& inner) {
  return repeated("{\"b\":1,\"a\":", depth) + inner + std::string(depth, '}');
}

std::string ok(const std::string& result) { return "{\"ok\":true,\"result\":" + result + "}\n"; }

struct HostileCase {
  const char* name;
  std::string reply;
  std::vector<std::string> args;
  int status;
  std::string out;  ///< exactly
  std::string err;  ///< its start
  bool on_terminal = false;  ///< standard output and error a terminal (both in `out`)
};

TEST(HostileReplies, PrintedInMemoryCloseToTheirSize) {
  const std::string zeros = repeated("0,", 20000) + "0";
  const std::string deep_zeros = std::string(510, '[') + zeros + std::string(510, ']');
  const std::string string_of(std::string(4'000'000, 'x'));
  const std::string comments = repeated(R"({"id":"c","filePath":"f","anchor":{"startLine":1},"body":"b"},)", 50000);
  // Arrays nested 500 deep, side by side: every level past the innermost few is large, in the
  // bytes it holds, but holds few of its own.
  const std::string nest = std::string(500, '[') + "0" + std::string(500, ']');
  const std::string deep_nests = "[" + repeated(nest + ",", 20000) + nest + "]";
  const std::vector<HostileCase> cases = {
      // Indented JSON of a reply nested 510 deep: a thousand times the reply, written as read.
      {"deep pretty JSON", ok(deep_zeros), {"whoami"}, 0, quillo::Json::parse(deep_zeros).dump(2) + "\n", ""},
      {"a list of empty objects", ok("[" + repeated("{},", 1'000'000) + "{}]"), {"ping"}, 0,
       "ok  ? ? (build ?)  protocol=0\n", ""},
      {"a list of numbers", ok("{\"todos\":[" + zeros + "]}"), {"todo", "list"}, 0, repeated("[ ] ?  \n", 20001), ""},
      {"keys out of order at every level", ok(unsorted_nest(510, "\"" + string_of + "\"")), {"--json", "ping"}, 0,
       quillo::Json::parse(unsorted_nest(510, "\"" + string_of + "\"")).dump() + "\n", ""},
      {"one name many times", ok("{" + repeated("\"a\":0,", 4'000'000) + "\"a\":1}"), {"--json", "ping"}, 0,
       "{\"a\":1}\n", ""},
      {"many nests of small arrays", ok(deep_nests), {"--json", "ping"}, 0, deep_nests + "\n", ""},
      {"one long string", ok("{\"value\":\"" + string_of + "\"}"), {"browser", "eval", "B", "1"}, 0, string_of + "\n", ""},
      {"a long comment list", ok("{\"comments\":[" + comments + "{}]}"), {"comments", "list"}, 0,
       repeated("c  f:1\n    b\n", 50000) + "?  ?:0\n", ""},
      // The JSON library keeps every byte since the last string or number as it reads.
      {"not JSON at its very end", "[" + repeated("{},", 2'000'000) + "{}]x\n", {"--json", "ping"}, 1, "",
       "quillo: server returned invalid JSON: parse error at line 1, column 6000005: syntax error while parsing value - "
       "invalid literal; last read: '[" + repeated("{},", 11) + "... (5999937 bytes left out) ...{},"},
      {"not JSON from its first byte, which is a control", repeated("\x01", 3'000'000) + "x\n", {"ping"}, 1, "",
       "quillo: server returned invalid JSON: parse error at line 1, column 1: syntax error while parsing value - "
       "invalid literal; last read: '<U+0001>'; payload was: \"\\u{1}\\u{1}"},
      // Not JSON at the end of a long string or number, described with the token's middle left
      // out: the JSON library would hold the whole token several times over.
      {"a long string not JSON at its end", ok("\"" + std::string(20'000'000, 'x') + "\x01\""), {"ping"}, 1, "",
       "quillo: server returned invalid JSON: parse error at line 1, column 20000022: syntax error while parsing "
       "value - invalid string: control character U+0001 (SOH) must be escaped to \\u0001; last read: '\"" +
           std::string(31, 'x') + "... (19999937 bytes left out) ...xxx"},
      {"a number too large", ok("1" + std::string(20'000'000, '0')), {"ping"}, 1, "",
       "quillo: server returned invalid JSON: number overflow parsing '1" + std::string(31, '0') +
           "... (19999937 bytes left out) ..." + std::string(32, '0') + "'; payload was: "},
      // Shown three times as long: never copied whole on the way.
      {"a long text of controls on a terminal", ok("{\"value\":\"" + repeated("\u0085", 6'000'000) + "\"}"),
       {"browser", "eval", "B", "1"}, 0, repeated("\\u{85}", 6'000'000) + "\n", "", true},
      {"a long error message", "{\"ok\":false,\"error\":{\"code\":\"c\",\"message\":\"" + string_of + "\"}}\n",
       {"--json", "ping"}, 1, "", "quillo: c: " + std::string(4096, 'x') + "... (3995904 more bytes)\n"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    standin::Server server(dir.file("s"), standin::reply_with(row.reply));
    std::vector<std::string> args = {"--socket", server.path()};
    args.insert(args.end(), row.args.begin(), row.args.end());
    ProcessOptions options;
    if (row.on_terminal) options.stdout_mode = StdoutMode::Terminal;
#if !defined(__SANITIZE_ADDRESS__)  // which maps terabytes of shadow memory
    // Room for the reply's line twice (it grows by doubling), what reading it keeps, and what
    // any run maps; a reading that built the value or the text whole would need ten times that.
    options.memory_limit = row.reply.size() * 5 / 2 + (std::size_t{24} << 20);
#endif
    const auto result = run_quillo(args, options);
    EXPECT_EQ(result.exit_status, row.status);
    EXPECT_TRUE(result.out == row.out) << result.out.substr(0, 200);
    EXPECT_TRUE(result.err.starts_with(row.err)) << result.err.substr(0, 300);
    EXPECT_LT(result.err.size(), 5000u);
  }
}

}  // namespace
