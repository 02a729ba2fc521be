#include "core/channel.hpp"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <thread>
#include <string>
#include <vector>

#include "core/exchange_cancel.hpp"
#include "core/json_writer.hpp"
#include "core/unix_socket.hpp"
#include "server.hpp"
#include "support/temp_dir.hpp"

namespace quillo {
namespace {

using namespace std::chrono_literals;
using testing_support::TempDir;

struct ReplyCase {
  std::string line;
  std::string result;  ///< compact JSON of the result, when the reply is a success
  std::string error;   ///< the whole error message, or its start when it ends in "..."
};

// The reply as the socket would have left it.
Result<ReplyResult> interpret(std::string_view line) {
  LineBuffer buffer;
  std::size_t available = 0;
  std::copy(line.begin(), line.end(), buffer.room(line.size(), available));
  buffer.grow(line.size());
  return interpret_reply(std::move(buffer));
}

// The result as --json prints it.
std::string compact(const ReplyResult& reply) {
  StringSink out;
  write_json(reply.result(), out);
  return out.text();
}

void expect_interpretation(const ReplyCase& row, const Result<ReplyResult>& outcome) {
  if (!row.result.empty()) {
    ASSERT_TRUE(outcome.ok()) << outcome.error();
    EXPECT_EQ(compact(outcome.value()), row.result);
  } else {
    ASSERT_FALSE(outcome.ok()) << compact(outcome.value());
    if (row.error.ends_with("...")) {
      EXPECT_TRUE(outcome.error().starts_with(row.error.substr(0, row.error.size() - 3)))
          << outcome.error();
    } else {
      EXPECT_EQ(outcome.error(), row.error);
    }
  }
}

const std::vector<ReplyCase> kReplies = {
    {"{\"ok\":true,\"result\":{\"b\":1,\"a\":[2]}}\n", R"({"a":[2],"b":1})", ""},
    {"{\"ok\":true}\n", "null", ""},
    {"{\"id\":\"x\",\"ok\":true,\"result\":\"s\"}\n", "\"s\"", ""},
    {"{\"ok\":true,\"result\":7}\r\n", "7", ""},
    {"{\"ok\":true,\"result\":7}", "7", ""},
    {"{\"ok\":true,\"result\":7} \xC2\xA0\n", "7", ""},
    {"{\"ok\":\"true\",\"result\":1}\n", "", "unknown: (no message)"},
    {"{\"result\":1}\n", "", "unknown: (no message)"},
    {"[true]\n", "", "unknown: (no message)"},
    {"{\"ok\":false}\n", "", "unknown: (no message)"},
    {"{\"ok\":false,\"error\":{\"code\":\"not_found\",\"message\":\"no such terminal\"}}\n", "",
     "not_found: no such terminal"},
    {"{\"ok\":false,\"error\":{\"code\":5}}\n", "", "unknown: (no message)"},
    {"{\"ok\":false,\"error\":{\"message\":\"m\"}}\n", "", "unknown: m"},
    {"{\"ok\":false,\"error\":\"boom\"}\n", "", "unknown: (no message)"},
    // The IDE's words are cut at 4 KiB, on a character boundary, saying how much was left out.
    {"{\"ok\":false,\"error\":{\"code\":\"c\",\"message\":\"" + std::string(4095, 'm') + "\u00e9" +
         std::string(100, 'z') + "\"}}\n",
     "", "c: " + std::string(4095, 'm') + "... (102 more bytes)"},
    {"", "", "server closed connection without response"},
    {"\xFF\n", "", "read error: ..."},
    {"garbage\n", "",
     "server returned invalid JSON: parse error at line 1, column 1: syntax error while parsing "
     "value - invalid literal; last read: 'g'; payload was: \"garbage\\n\""},
    {"{\"ok\":true}{}\n", "", "server returned invalid JSON: ..."},
    {std::string("{\"ok\":true}\0garbage\n", 20), "",
     "server returned invalid JSON: unexpected NUL byte at offset 11; payload was: "
     "\"{\\\"ok\\\":true}\\u{0}garbage\\n\""},
    {"\xEF\xBB\xBF{\"ok\":true}\n", "", "server returned invalid JSON: unexpected byte-order mark..."},
    {std::string(100000, '[') + "\n", "", "server returned invalid JSON: nesting deeper..."},
    {"{\"ok\":true,\"result\":1e400}\n", "", "server returned invalid JSON: ..."},
};

// An invalid reply is repeated in the message up to a bound, and so is what the library says
// of it, which can quote the reply too.
TEST(InterpretReply, ALongInvalidReplyIsCutInTheMessage) {
  const std::string line = "\"" + std::string(300, 'x') + "\u00e9\n";
  const std::string problem = "parse error at line 1, column 304: syntax error while parsing value - invalid "
                              "string: missing closing quote; last read: '\"" + std::string(300, 'x') + "\u00e9'";
  EXPECT_EQ(interpret(line).error(),
            "server returned invalid JSON: " + problem.substr(0, 256) + "... (" + std::to_string(problem.size()) +
                " bytes); payload was: \"\\\"" + std::string(255, 'x') + "\"... (304 bytes)");
}

TEST(InterpretReply, EveryShapeOfReply) {
  for (const auto& row : kReplies) {
    SCOPED_TRACE(row.line.substr(0, 60));
    expect_interpretation(row, interpret(row.line));
  }
}

TEST(SendRequest, WritesOneEnvelopeLineAndReturnsTheResult) {
  TempDir dir;
  standin::Server server(dir.file("s"), standin::reply_with("{\"ok\":true,\"result\":{\"pong\":1}}\n"));
  ChannelClientEnv env;
  env.project_path = "/p";
  const MethodTarget target{"terminal.send", Json{{"text", "ls"}, {"a", {{"z", 1}, {"b", nullptr}}}}};
  const auto result = send_request(server.path(), target, env);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(compact(result.value()), R"({"pong":1})");
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string line = server.requests()[0];
  static const std::regex envelope(
      R"(\{"_env":\{"context":null,"project_path":"/p","roost":null\},"id":"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}","method":"terminal.send","params":\{"a":\{"b":null,"z":1\},"text":"ls"\}\}\n)");
  EXPECT_TRUE(std::regex_match(line, envelope)) << line;
}

TEST(UnixSocket, ALineWithoutEndIsRefusedAtItsLimit) {
  TempDir dir;
  standin::Server server(dir.file("s"), standin::reply_with(std::string(100000, 'x')));
  auto socket = UnixSocket::connect(server.path(), 1s);
  ASSERT_TRUE(socket.ok());
  ASSERT_FALSE(socket.value().write_all("{}\n", 1s).has_value());
  const auto line = socket.value().read_line(1s, {}, 50000);
  ASSERT_FALSE(line.ok()) << line.value().size();
  EXPECT_EQ(line.error(), "no line feed in the first 50000 bytes of the reply");
}

TEST(SendRequest, AReplyLaterThanTheReadTimeOutIsAReadError) {
  TempDir dir;
  standin::Server server(dir.file("s"), standin::reply_with("{\"ok\":true}\n", 2s));
  const auto result = send_request(server.path(), {"ping", Json::object()}, {}, {200ms, 5s});
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error(), "read error: timed out after 200 ms without data");
}

// A listener whose queue is full keeps a connect waiting: for the write time-out, said in the
// message, or until the exchange is cancelled from another thread (a cancel that did not end
// the wait would leave it a minute, and the message would say so).
TEST(SendRequest, AFullQueueIsWaitedForUntilTheTimeOutOrACancel) {
  TempDir dir;
  const std::string path = dir.file("full");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  std::vector<int> waiting;
  for (bool full = false; !full && waiting.size() < 16;) {
    waiting.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
    full = ::connect(waiting.back(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
    if (full && errno != EAGAIN) GTEST_SKIP() << "this system refuses a connect to a full queue at once";
  }
  const auto full_queue = send_request(path, {"ping", Json::object()}, {}, {5s, 200ms});
  ASSERT_FALSE(full_queue.ok());
  EXPECT_TRUE(full_queue.error().starts_with("could not connect to " + path + ": timed out after 200 ms"))
      << full_queue.error();

  ExchangeCancel cancel;
  Result<ReplyResult> cancelled = Error{"not run"};
  std::thread call([&] { cancelled = send_request(path, {"ping", Json::object()}, {}, {5s, 60s}, {{}, &cancel}); });
  cancel.cancel();
  call.join();
  ASSERT_FALSE(cancelled.ok());
  EXPECT_TRUE(cancelled.error().starts_with("could not connect to " + path + ": cancelled")) << cancelled.error();
  for (const int fd : waiting) ::close(fd);
  ::close(listener);
}

}  // namespace
}  // namespace quillo
