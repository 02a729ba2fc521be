// The MCP message loop in-process: malformed lines answered byte for byte, tool calls against
// the stand-in IDE (concurrent, cancelled, abandoned at the end of the input), the very request
// of the command line for every tool, and the bounded text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <regex>
#include <thread>

#include "ide.hpp"
#include "mcp/call.hpp"
#include "mcp/server.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/grammar_walk.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;
using namespace std::chrono_literals;
using quillo::Json;
namespace mcp = quillo::mcp;

class TextSource final : public mcp::ByteSource {
 public:
  explicit TextSource(std::string text) : text_(std::move(text)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, text_.size() - at_);
    std::copy_n(text_.data() + at_, n, buffer);
    at_ += n;
    return n;
  }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

mcp::ServerSettings settings_for(const std::string& socket) {
  mcp::ServerSettings settings;
  settings.socket = socket;
  settings.run.env = [](std::string_view name) -> std::optional<std::string> {
    if (name == "QUILLO_CONTEXT") return "agent";
    if (name == "QUILLO_ROOST") return "main";
    return std::nullopt;
  };
  settings.progress_interval = 20ms;
  settings.max_message_bytes = 200;
  return settings;
}

std::string served(const std::string& input, const mcp::ServerSettings& settings) {
  TextSource source(input);
  quillo::StringSink out;
  mcp::serve(source, out, settings);
  return out.text();
}

const std::string kMeta =
    R"("_meta":{"io.modelcontextprotocol/protocolVersion":"2026-07-28","io.modelcontextprotocol/clientCapabilities":{}})";

std::string error_line(const std::string& id, int code, const std::string& message, const std::string& data = "") {
  return R"({"error":{"code":)" + std::to_string(code) + (data.empty() ? "" : R"(,"data":)" + data) +
         R"(,"message":")" + message + R"("},"id":)" + id + R"(,"jsonrpc":"2.0"})" + "\n";
}

std::string call_line(int id, const std::string& tool, const std::string& arguments, const std::string& extra = "") {
  return R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":"tools/call","params":{"name":")" + tool +
         R"(","arguments":)" + arguments + extra + "}}";
}

// Every line alone: its answer, byte for byte, or none.
TEST(McpLoop, MalformedAndProtocolLinesAreAnsweredExactly) {
  const std::string pong = R"(,"jsonrpc":"2.0","result":{}})" "\n";
  const std::string batch = "Invalid Request: a batch is served at revision 2025-03-26 only; send one message a line";
  const std::string no_id = "Invalid Request: an id is a string or an integer";
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"garbage", error_line("null", -32700, "Parse error: the line is not one JSON value")},
      {R"({"jsonrpc":"2.0","id":1,"method":"ping")", error_line("null", -32700, "Parse error: the line is not one JSON value")},
      {"\"\xff\"", error_line("null", -32700, "Parse error: the line is not valid UTF-8")},
      {"[]", error_line("null", -32600, batch)},
      {R"([{"jsonrpc":"2.0","id":1,"method":"ping"}])", error_line("null", -32600, batch)},
      {"42", error_line("null", -32600, "Invalid Request: a message is a JSON object")},
      {R"({"method":"ping"})", error_line("null", -32600, R"(Invalid Request: \"jsonrpc\" must be \"2.0\")")},
      {R"({"jsonrpc":"1.0","id":"a","method":"ping"})", error_line(R"("a")", -32600, R"(Invalid Request: \"jsonrpc\" must be \"2.0\")")},
      {R"({"jsonrpc":"2.0","id":2})", error_line("2", -32600, "Invalid Request: a request names its method")},
      {R"({"jsonrpc":"2.0","id":2,"result":{}})", error_line("2", -32600, "Invalid Request: a request names its method")},
      {R"({"jsonrpc":"2.0","id":2,"method":7})", error_line("2", -32600, "Invalid Request: a request names its method")},
      {R"({"jsonrpc":"2.0","id":null,"method":"ping"})", error_line("null", -32600, no_id)},
      {R"({"jsonrpc":"2.0","id":1.5,"method":"ping"})", error_line("null", -32600, no_id)},
      {R"({"jsonrpc":"2.0","id":[1],"method":"ping"})", error_line("null", -32600, no_id)},
      {R"({"jsonrpc":"2.0","id":18446744073709551615,"method":"ping"})", R"({"id":18446744073709551615)" + pong},
      {R"({"jsonrpc":"2.0","id":-9223372036854775808,"method":"ping"})", R"({"id":-9223372036854775808)" + pong},
      {R"({"jsonrpc":"2.0","id":"a\"b\u00e9","method":"ping"})", "{\"id\":\"a\\\"b\xc3\xa9\"" + pong},
      {R"(  {"jsonrpc":"2.0","id":0,"method":"ping","params":{}}  )", R"({"id":0)" + pong},
      {R"({"jsonrpc":"2.0","id":3,"method":"resources/list"})", error_line("3", -32601, "Method not found")},
      {R"({"jsonrpc":"2.0","id":4,"method":"ping","params":[]})", error_line("4", -32602, "Invalid params: params must be an object")},
      {R"({"jsonrpc":"2.0","id":5,"method":"tools/list","params":{"cursor":"x"}})",
       error_line("5", -32602, "Invalid params: this server gave no cursor; its list has one page")},
      {R"({"jsonrpc":"2.0","id":6,"method":"tools/call","params":{"name":"nope"}})", error_line("6", -32602, "Invalid params: unknown tool nope")},
      {R"({"jsonrpc":"2.0","id":7,"method":"tools/call","params":{}})", error_line("7", -32602, "Invalid params: tools/call names its tool")},
      {R"({"jsonrpc":"2.0","id":8,"method":"tools/call","params":{"name":"ping","arguments":[]}})",
       error_line("8", -32602, "Invalid params: arguments must be an object")},
      {R"({"jsonrpc":"2.0","id":9,"method":"server/discover"})",
       error_line("9", -32602, "Invalid params: server/discover needs io.modelcontextprotocol/protocolVersion and io.modelcontextprotocol/clientCapabilities in _meta")},
      {R"({"jsonrpc":"2.0","id":10,"method":"tools/list","params":{"_meta":{"io.modelcontextprotocol/protocolVersion":"1900-01-01"}}})",
       error_line("10", -32022, "Unsupported protocol version",
                  R"({"requested":"1900-01-01","supported":["2026-07-28"]})")},
      {R"({"jsonrpc":"2.0","id":10,"method":"server/discover","params":{"_meta":{"io.modelcontextprotocol/protocolVersion":"2025-11-25"}}})",
       error_line("10", -32022, "Unsupported protocol version", R"({"requested":"2025-11-25","supported":["2026-07-28"]})")},
      {R"({"jsonrpc":"2.0","id":11,"method":"tools/list","params":{"_meta":{"io.modelcontextprotocol/protocolVersion":"2026-07-28"}}})",
       error_line("11", -32602, "Invalid params: _meta lacks io.modelcontextprotocol/clientCapabilities")},
      {R"({"jsonrpc":"2.0","id":12,"method":"ping","params":{)" + kMeta + "}}", error_line("12", -32601, "Method not found")},
      {std::string(201, ' '), error_line("null", -32600, "Invalid Request: the line is longer than 200 bytes")},
      {R"({"jsonrpc":"2.0","method":"resources/list"})", ""},
      {R"({"jsonrpc":"2.0","method":"notifications/initialized"})", ""},
      {R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":99}})", ""},
      {R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":7})", ""},
      {" \t\r", ""},
  };
  for (const auto& [line, answer] : rows) {
    SCOPED_TRACE(line);
    EXPECT_EQ(served(line + "\n", settings_for("/nonexistent")), answer);
    EXPECT_EQ(served(line, settings_for("/nonexistent")), answer);  // without its line feed
  }
  // JSON past the bounds of a message, refused before a value is built; the id where the line was
  // read to its end (the last one at the top, as the value would keep).
  mcp::ServerSettings bounded = settings_for("/nonexistent");
  bounded.max_message_bytes = 4096;
  bounded.max_message_values = 40;
  std::string many = "[0";
  for (int i = 0; i < 40; ++i) many += ",0";
  many += "]";
  for (const auto& [line, answer] : std::vector<std::pair<std::string, std::string>>{
           {std::string(513, '[') + std::string(513, ']'), error_line("null", -32600, "Invalid Request: nested deeper than 512 levels")},
           {R"({"jsonrpc":"2.0","id":1,"method":"ping","params":{"n":)" + std::string(400, '9') + "}}",
            error_line("null", -32600, "Invalid Request: a number beyond the range of a double")},
           {R"({"id":1,"params":{"a":)" + many + R"(,"id":2},"id":"last","jsonrpc":"2.0","method":"ping"})",
            error_line(R"("last")", -32600, "Invalid Request: more than 40 JSON values in one message")},
           {R"({"id":1.5,"params":{"a":)" + many + "}}", error_line("null", -32600, "Invalid Request: more than 40 JSON values in one message")},
       }) {
    SCOPED_TRACE(line);
    EXPECT_EQ(served(line, bounded), answer);
  }
  // Refused by the server's options, as a tool's error that the model reads: a tool that changes
  // under --read-only, and the raw call of a family given another family's method.
  mcp::ServerSettings browser = settings_for("/nonexistent"), reading = browser;
  browser.filter.families = {"browser"};
  reading.filter.read_only = true;
  const auto tool_error = [](int id, const std::string& text) {
    return R"({"id":)" + std::to_string(id) + R"(,"jsonrpc":"2.0","result":{"content":[{"text":")" + text +
           R"(","type":"text"}],"isError":true}})" "\n";
  };
  EXPECT_EQ(served(call_line(1, "browser_raw", R"({"method":"terminal.close"})"), browser),
            tool_error(1, "method: this tool sends browser.* methods only"));
  EXPECT_EQ(served(call_line(2, "terminal_close", R"({"terminal_id":"t"})"), reading),
            tool_error(2, "terminal_close changes the IDE, and this server is read-only (quillo mcp --read-only): it "
                          "serves only the tools that read"));
  // A line past the bound is skipped, not kept, and the next one is read.
  EXPECT_EQ(served(std::string(1000, '{') + "\n" + R"({"jsonrpc":"2.0","id":1,"method":"ping"})" + "\n", settings_for("/x")),
            error_line("null", -32600, "Invalid Request: the line is longer than 200 bytes") + R"({"id":1)" + pong);
}

// Through the executable, under a memory limit that building the tree of a message of many small
// values would exceed many times over: that message is refused unbuilt, one of a long string
// served, one past the bound skipped; and under a limit too small for that string, its message
// alone is answered -32603. The server goes on to the end of its input each time.
TEST(McpLoop, AMessageTakesMemoryCloseToItsSize) {
  TempDir dir;
  const std::size_t size = 15u << 20;
  std::string many = R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"ping","x":[{})";
  while (many.size() < size) many += ",{}";
  const std::string long_string = R"({"jsonrpc":"2.0","id":2,"method":"ping","params":{"x":")" + std::string(size, 'x') + "\"}}\n";
  const std::string last = R"({"jsonrpc":"2.0","id":4,"method":"ping"})" "\n";
  const std::string pong = R"(,"jsonrpc":"2.0","result":{}})" "\n";
  std::vector<std::tuple<std::string, std::size_t, std::string>> rows = {
      // The line kept as it grows, the string built from it, and what any run maps.
      {many + "]}}\n" + long_string + std::string(17u << 20, ' ') + "\n" + last, 3 * size + (std::size_t{40} << 20),
       error_line("1", -32600, "Invalid Request: more than 10000 JSON values in one message") + R"({"id":2)" + pong +
           error_line("null", -32600, "Invalid Request: the line is longer than 16777216 bytes") + R"({"id":4)" + pong},
      {long_string + last, size + (std::size_t{4} << 20),
       error_line("null", -32603, "Internal error: out of memory for this message") + R"({"id":4)" + pong},
  };
#if defined(__SANITIZE_ADDRESS__)  // which maps terabytes of shadow memory: no limit, nor its row
  rows.pop_back();
#endif
  for (const auto& [input, limit, answers] : rows) {
    ProcessOptions options;
    options.stdin_path = dir.write("in", input);
#if !defined(__SANITIZE_ADDRESS__)
    options.memory_limit = limit;
#endif
    const auto result = run_quillo({"--socket", "/nonexistent", "mcp"}, options);
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.out, answers);
  }
}

// initialize answers a revision it knows in kind and any other with the latest that begins with
// initialize; the title of the server's identity from 2025-06-18, and the tools as it defines them.
TEST(McpLoop, InitializeNegotiatesTheRevision) {
  for (const auto& [asked, answered] : std::vector<std::pair<std::string, std::string>>{
           {"2024-11-05", "2024-11-05"}, {"2025-03-26", "2025-03-26"}, {"2025-06-18", "2025-06-18"},
           {"2025-11-25", "2025-11-25"}, {"2026-07-28", "2025-11-25"}, {"1999-01-01", "2025-11-25"}}) {
    SCOPED_TRACE(asked);
    const std::string answers = served(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":")" +
                                           asked + R"(","capabilities":{},"clientInfo":{"name":"t","version":"1"}}})" "\n"
                                           R"({"jsonrpc":"2.0","id":2,"method":"tools/list"})",
                                       settings_for("/x"));
    const Json reply = Json::parse(answers.substr(0, answers.find('\n')));
    // A tool as the revision defines one: annotations from 2025-03-26, its own title from 2025-06-18.
    const Json tool = Json::parse(answers.substr(answers.find('\n') + 1))["result"]["tools"][0];
    EXPECT_EQ(tool.contains("annotations"), answered >= "2025-03-26");
    EXPECT_EQ(tool.contains("title"), answered >= "2025-06-18");
    EXPECT_EQ(reply["result"]["protocolVersion"], answered);
    EXPECT_EQ(reply["result"]["capabilities"], Json::parse(R"({"tools":{}})"));
    EXPECT_EQ(reply["result"]["serverInfo"].contains("title"), answered >= "2025-06-18");
    EXPECT_EQ(reply["result"]["serverInfo"]["name"], "quillo");
  }
  // Discovery names the versions that requests with _meta are served at, as a -32022 does.
  const std::string discovered = served(R"({"jsonrpc":"2.0","id":1,"method":"server/discover","params":{)" + kMeta + "}}", settings_for("/x"));
  EXPECT_EQ(Json::parse(discovered)["result"]["supportedVersions"], Json::parse(R"(["2026-07-28"])")) << discovered;
}

// Answers written by the loop's threads as they come, for a test to wait on.
class LiveSink final : public quillo::Sink {
 public:
  void write(std::string_view text) override {
    const std::lock_guard lock(mutex_);
    text_ += text;
    changed_.notify_all();
  }
  // Waits (for at most a minute, so that a failure cannot hang the suite) until `part` shows.
  bool wait_for(const std::string& part) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 60s, [&] { return text_.find(part) != std::string::npos; });
  }
  std::string text() {
    const std::lock_guard lock(mutex_);
    return text_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string text_;
};

// The loop on a pipe, for lines given one at a time.
class LiveServer {
 public:
  explicit LiveServer(const mcp::ServerSettings& settings) : settings_(settings) {
    if (::pipe(pipe_) != 0) throw std::runtime_error("pipe");
    thread_ = std::thread([this] {
      mcp::FdSource input(pipe_[0]);
      mcp::serve(input, out, settings_);
    });
  }
  ~LiveServer() { end_input(); }
  void send(const std::string& line) { ASSERT_EQ(::write(pipe_[1], (line + "\n").data(), line.size() + 1), ssize_t(line.size() + 1)); }
  void end_input() {
    if (pipe_[1] < 0) return;
    ::close(pipe_[1]);
    pipe_[1] = -1;
    thread_.join();  // serve has returned: every call done or abandoned
    ::close(pipe_[0]);
  }
  LiveSink out;

 private:
  mcp::ServerSettings settings_;
  int pipe_[2] = {-1, -1};
  std::thread thread_;
};

// A wait of 600 seconds holds back no other answer, tells of its progress, and once cancelled
// is shut down and never answered; the end of the input abandons another such wait at once.
TEST(McpLoop, CallsRunConcurrentlyAndAreCancelledOrAbandoned) {
  TempDir dir;
  standin::Ide ide;
  ide.set_delay("terminal.wait", 600s);
  standin::Server ide_server(dir.file("s"), standin::serve(ide));
  LiveServer server(settings_for(ide_server.path()));
  server.send(call_line(1, "terminal_wait", R"({"timeout":600})", R"(,"_meta":{"progressToken":"w"})"));
  server.send(R"({"jsonrpc":"2.0","id":2,"method":"ping"})");
  server.send(call_line(3, "ping", "{}"));
  ASSERT_TRUE(server.out.wait_for(R"({"id":2,"jsonrpc":"2.0","result":{}})"));
  ASSERT_TRUE(server.out.wait_for(R"({"id":3,"jsonrpc":"2.0","result":{"content":[{"text":"ok  Quillo )"));
  ASSERT_TRUE(server.out.wait_for(R"("params":{"message":"waiting for the IDE, 0 s so far","progress":2,"progressToken":"w"})"));
  server.send(R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":1,"reason":"enough"}})");
  server.send(R"({"jsonrpc":"2.0","id":4,"method":"ping"})");
  ASSERT_TRUE(server.out.wait_for(R"({"id":4,)"));
  // Told from its own start, at the revision it was made at: 2024-11-05 has no message. Its token
  // is any number, echoed as it came.
  server.send(R"({"jsonrpc":"2.0","id":7,"method":"initialize","params":{"protocolVersion":"2024-11-05"}})");
  ASSERT_TRUE(server.out.wait_for(R"({"id":7,)"));
  const auto sent = std::chrono::steady_clock::now();
  server.send(call_line(8, "terminal_wait", R"({"timeout":600})", R"(,"_meta":{"progressToken":1.5})"));
  ASSERT_TRUE(server.out.wait_for(R"("params":{"progress":1,"progressToken":1.5}})"));
  EXPECT_GE(std::chrono::steady_clock::now() - sent, 20ms);
  server.send(R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":8}})");
  server.send(call_line(5, "terminal_wait", R"({"timeout":600})"));
  server.send(call_line(6, "terminal_wait", R"({"timeout":600})"));  // a second call is dropped too
  while (ide_server.requests().size() < 5) std::this_thread::sleep_for(1ms);
  server.end_input();
  const std::string out = server.out.text();
  EXPECT_EQ(out.find(R"("id":1,)"), std::string::npos) << out;
  EXPECT_EQ(out.find(R"("id":5,)"), std::string::npos) << out;
  EXPECT_EQ(out.find("\"progressToken\":\"w\"", out.find(R"({"id":4,)")), std::string::npos) << out;
  EXPECT_EQ(ide_server.requests().size(), 5u);
}

// At revision 2025-03-26, which has batches: the answers to a batch's requests in one array,
// those of its calls too (in any order); none for a batch of notifications; an empty one refused.
TEST(McpLoop, ABatchIsAnsweredWithOneArrayAt2025_03_26) {
  const std::string init = R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"protocolVersion":"2025-03-26"}})" "\n";
  const std::string ping = R"({"jsonrpc":"2.0","id":1,"method":"ping"})";
  std::string not_object = error_line("null", -32600, "Invalid Request: a message is a JSON object");
  not_object.pop_back();  // its line feed
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"[]", error_line("null", -32600, "Invalid Request: an empty batch")},
      {"[" + ping + R"(,{"jsonrpc":"2.0","method":"notifications/initialized"},7,[]])",
       R"([{"id":1,"jsonrpc":"2.0","result":{}},)" + not_object + "," + not_object + "]\n"},
      {R"([{"jsonrpc":"2.0","method":"notifications/initialized"}])", ""},
  };
  for (const auto& [line, answer] : rows) {
    SCOPED_TRACE(line);
    const std::string out = served(init + line + "\n", settings_for("/nonexistent"));
    EXPECT_EQ(out.substr(out.find('\n') + 1), answer);
  }
  LiveServer server(settings_for("/nonexistent"));
  server.send(init + "[" + call_line(2, "ping", "{}") + "," + ping + "]");
  ASSERT_TRUE(server.out.wait_for("]\n"));
  const std::string out = server.out.text();
  Json answers = Json::parse(out.substr(out.find('\n') + 1));
  ASSERT_EQ(answers.size(), 2u) << out;
  std::sort(answers.begin(), answers.end(), [](const Json& a, const Json& b) { return a["id"] < b["id"]; });
  EXPECT_EQ(answers[0].dump(), R"({"id":1,"jsonrpc":"2.0","result":{}})");
  EXPECT_EQ(answers[1]["result"]["isError"], true) << out;
}

// Values of a parsed command line as the JSON arguments of its tool.
Json arguments_of(const quillo::Cli& cli) {
  Json arguments = Json::object();
  for (std::size_t i = 0; i < cli.command.argument_count(); ++i) {
    const quillo::ArgumentRef argument = cli.command.argument(i);
    if (!cli.values[i] || argument.default_value() == cli.values[i]) continue;
    const std::string id(argument.id());
    if (argument.type() == quillo::ValueType::Flag) {
      arguments[id] = true;
    } else if (is_integer(argument)) {
      arguments[id] = std::stoll(*cli.values[i]);
    } else {
      arguments[id] = *cli.values[i];
    }
  }
  return arguments;
}

// For every tool, with its required arguments and with all of them (and then --json): the
// request line of the command line and of the tool are the same (but for the request id), and so
// is what each prints.
TEST(McpCall, EveryToolSendsTheRequestOfTheCommandLine) {
  TempDir dir;
  standin::Server ide(dir.file("s"), standin::reply_with(R"({"ok":true,"result":{"x":"\u001b]0;t\u0007"}})" "\n"));
  const mcp::ServerSettings settings = settings_for(ide.path());
  std::size_t tools = 0;
  for (const GrammarNode& leaf : walk()) {
    if (leaf.path == std::vector<std::string>{"mcp"}) {
      std::string families;  // the words that shells offer for --families are the families
      for (const std::string& family : mcp::family_names(quillo::program().root)) families += (families.empty() ? "" : " ") + family;
      EXPECT_EQ(leaf.node.argument(0).choices(), families);
      EXPECT_FALSE(leaf.node.argument(0).check()(" terminal , browser"));  // spaces as a host's file may have them
      EXPECT_EQ(mcp::split_families(" terminal , browser"), (std::vector<std::string>{"terminal", "browser"}));
    }
    if (leaf.node.is_group() || leaf.node.effect() == quillo::Effect::Local) continue;
    ++tools;
    EXPECT_EQ(mcp::input_schema(leaf.node)["properties"].size(), leaf.node.argument_count()) << joined(leaf.path);
    for (const bool everything : {false, true}) {
      std::vector<std::string> args = args_for(leaf, everything);
      SCOPED_TRACE(joined(args));
      args.insert(args.begin(), {"--socket", ide.path()});
      if (everything) args.push_back("--json");
      const mcp::CallSettings call{settings.socket, everything, 0, settings.run};
      const ParseOutcome parsed = parse_args(args);
      ASSERT_TRUE(parsed.cli.has_value()) << parsed.err;
      quillo::StringSink printed;
      quillo::RunSettings terminal = settings.run;
      terminal.terminal_output = true;
      EXPECT_FALSE(quillo::run(*parsed.cli, printed, terminal).has_value());
      const mcp::CallOutcome outcome = mcp::call_command(leaf.node, arguments_of(*parsed.cli), call);
      EXPECT_FALSE(outcome.is_error) << outcome.text;
      EXPECT_EQ(outcome.text, printed.text());
      const auto requests = ide.requests();
      ASSERT_GE(requests.size(), 2u);
      Json by_cli = Json::parse(requests[requests.size() - 2]), by_tool = Json::parse(requests.back());
      EXPECT_NE(by_cli["id"], by_tool["id"]);
      by_cli.erase("id");
      by_tool.erase("id");
      EXPECT_EQ(by_cli.dump(), by_tool.dump());
    }
  }
  EXPECT_EQ(tools, 54u);
}

// What an agent reads of a tool is said in a tool's terms, from the command line's help: no
// option, placeholder or tag of the IDE's tracking; no property undescribed; a list of words once.
TEST(McpCall, ToolTextsSpeakOfToolsAndProperties) {
  std::map<std::string, std::string> texts;  // "tool" or "tool.property": its description
  for (const mcp::Tool& tool : mcp::all_tools(quillo::program().root)) {
    const Json entry = mcp::tool_json(tool, mcp::Revision::k2025_11_25);
    texts[tool.name] = entry["description"];
    for (const auto& [name, property] : entry["inputSchema"]["properties"].items()) {
      texts[tool.name + "." + name] = property.value("description", "");
    }
  }
  const std::regex command_line(R"((^|[ (])--[a-z]|\([A-Z][0-9]+\)|[A-Z]{4,} is given|One of.*Usually one of)");
  for (const auto& [name, text] : texts) {
    EXPECT_FALSE(text.empty()) << name;
    EXPECT_FALSE(std::regex_search(text, command_line)) << name << ": " << text;
  }
  for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"help", "List all supported methods, or describe one when `method` is given"},
           {"comments_resolve", "Mark a comment thread as resolved (or pass `unresolve: true` to reopen) (File comment operations)"},
           {"file_open.column", "1-based column (requires `line`). A column number"},
           {"shortcut_remove.id", "UUID of the shortcut (from `shortcut_list` output)"},
           {"shortcut_add.scope", R"("roost" (default) or "project")"},
           {"comments_search.status", "Status filter. Usually one of: active, resolved, stale, all (any other text is passed on as it is)"},
           {"browser_back.browser_id", R"(The browser ID, as `browser_list` with {"scope":"roost"} lists it)"},
           {"todo_update.body", "Optional longer note body"},
       }) {
    EXPECT_EQ(texts[name], text) << name;
  }
}

// What a tool is told of arguments that do not fit its schema, and of a run that fails.
TEST(McpCall, ProblemsNameTheArgumentOrSayWhatToDo) {
  const mcp::CallSettings call{"/nonexistent/s", false, 0, settings_for("/x").run};
  const auto command = [](const std::string& name) {
    for (const mcp::Tool& tool : mcp::all_tools(quillo::program().root)) {
      if (tool.name == name) return tool.command;
    }
    return quillo::NodeRef();
  };
  std::vector<std::tuple<std::string, std::string, std::string>> rows = {
      {"terminal_send", R"({"terminal_id":"t"})", "text is required (a string)"},
      {"terminal_send", R"({"text":1,"terminal_id":"t"})", "text: expected a string, got a number"},
      {"terminal_send", R"({"text":"x","terminal_id":"t","submit":"yes"})", "submit: expected true or false, got a string"},
      {"terminal_wait", R"({"timeout":1.5})", "timeout: expected an integer (a whole number of seconds) from 0 to 4294967295, got a number with a fraction"},
      {"terminal_wait", R"({"timeout":-1})", "timeout: '-1' is not a whole number of seconds from 0 to 4294967295"},
      {"terminal_wait", R"({"timeout":null})", "timeout: expected an integer (a whole number of seconds) from 0 to 4294967295, got null"},
      {"terminal_wait", R"({"wait_exit":true})", "wait_exit: not an argument of this tool (it takes text, exit, timeout, terminal_id)"},
      {"ping", R"({"x":1})", "x: not an argument of this tool (it takes none)"},
      {"browser_raw", R"({"method":"browser.x","params":"{"})", "params: "},
      {"terminal_wait", R"({"timeout":2.0})",
       "could not connect to /nonexistent/s: No such file or directory (is Quillo running and Agent CLI enabled?). If "
       "it is, this server may be looking at another socket: start it with quillo --socket PATH mcp, or give it "
       "QUILLO_SOCKET=PATH in the \"env\" of its entry in the host's configuration."},
  };
  // A failure that no IDE started elsewhere would mend has no hint (the path too long here).
  const std::string far(200, 'd');
  rows.emplace_back("ping", "{}", "could not connect to /" + far + ": socket path is too long (");
  for (const auto& [tool, arguments, message] : rows) {
    SCOPED_TRACE(tool + " " + arguments);
    mcp::CallSettings settings = call;
    if (message.find(far) != std::string::npos) settings.socket = "/" + far;
    const mcp::CallOutcome outcome = mcp::call_command(command(tool), Json::parse(arguments), settings);
    EXPECT_TRUE(outcome.is_error);
    if (message.ends_with(": ") || message.ends_with(" (")) {
      EXPECT_TRUE(outcome.text.starts_with(message)) << outcome.text;
      EXPECT_TRUE(!message.ends_with(" (") || outcome.text.ends_with("enabled?)")) << outcome.text;  // nothing added
    } else {
      EXPECT_EQ(outcome.text, message);
    }
  }
}

// The text kept to a bound of characters, never cutting one, and how much was left out.
TEST(McpCall, TextIsCutOnACharacterWithALastLineThatSaysSo) {
  const std::string note = " more characters left out: this server keeps ";
  const std::vector<std::tuple<std::size_t, std::vector<std::string>, std::string>> rows = {
      {0, {"abc", "\xc3\xa9\n"}, "abc\xc3\xa9\n"},
      {5, {"abc", "\xc3\xa9\n"}, "abc\xc3\xa9\n"},
      {4, {"abc", "\xc3\xa9\n"}, "abc\xc3\xa9\n[1" + note + "4"},
      {3, {"ab", "c\xc3", "\xa9\n"}, "abc\n[2" + note + "3"},
      {1, {"\xe2\x82\xac\xe2\x82\xac"}, "\xe2\x82\xac\n[1" + note + "1"},
  };
  for (const auto& [limit, writes, expected] : rows) {
    mcp::BoundedText text(limit);
    for (const std::string& piece : writes) text << piece;
    EXPECT_TRUE(text.finish().starts_with(expected)) << text.finish();
  }
}

}  // namespace
