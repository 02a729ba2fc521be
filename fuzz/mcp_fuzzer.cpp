// The MCP message loop on arbitrary input: it never dies or hangs, and everything it writes is
// whole lines, each one JSON-RPC 2.0 message or a batch's array of answers; never more answers
// than lines. Tool calls go to a socket that does not exist, so each one ends at once, in an
// error.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/json_parser.hpp"
#include "mcp/server.hpp"

namespace {

class Bytes final : public quillo::mcp::ByteSource {
 public:
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t size) override {
    // A few bytes at a time, so that lines are cut across reads.
    const std::size_t n = std::min({size, bytes_.size(), std::size_t{7}});
    bytes_.copy(buffer, n);
    bytes_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view bytes_;
};

bool is_message(const quillo::Json& message) {
  return message.is_object() && message.value("jsonrpc", "") == "2.0";
}

bool is_answer(const quillo::Json& message) {
  return is_message(message) && message.contains("id") && (message.contains("result") != message.contains("error"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  quillo::mcp::ServerSettings settings;
  settings.socket = "/nonexistent/quillo.sock";
  settings.run.env = [](std::string_view) { return std::nullopt; };
  settings.max_message_bytes = 512;
  settings.max_message_values = 32;
  settings.max_output = 64;
  Bytes source(input);
  quillo::StringSink out;
  quillo::mcp::serve(source, out, settings);

  std::size_t lines = 0;
  for (const char c : input) lines += c == '\n';
  std::string_view written = out.text();
  std::size_t answers = 0;
  while (!written.empty()) {
    const auto end = written.find('\n');
    if (end == std::string_view::npos) std::abort();  // a message cut short
    const auto parsed = quillo::parse_json(written.substr(0, end));
    if (!parsed.ok()) std::abort();
    const quillo::Json& line = parsed.value();
    if (line.is_array()) {  // a batch's answers, one line for one line read
      if (line.empty()) std::abort();
      for (const quillo::Json& message : line) {
        if (!is_answer(message)) std::abort();
      }
      ++answers;
    } else {
      const bool notification = is_message(line) && !line.contains("id") && line.contains("method");
      if (!is_answer(line) && !notification) std::abort();
      answers += !notification;
    }
    written.remove_prefix(end + 1);
  }
  if (answers > lines + 1) std::abort();
  return 0;
}
