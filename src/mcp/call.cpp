#include "mcp/call.hpp"

#include <cerrno>
#include <cstring>

#include "core/text.hpp"
#include "mcp/tools.hpp"

namespace quillo::mcp {
namespace {

bool starts_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

}  // namespace

void BoundedText::write(std::string_view text) {
  if (limit_ == 0) {
    kept_ += text;
    return;
  }
  std::size_t end = 0;
  for (const char byte : text) {
    if (starts_character(byte)) {
      keeping_ = kept_characters_ < limit_;
      if (keeping_) {
        ++kept_characters_;
      } else {
        ++left_out_;
      }
    }
    if (keeping_) ++end;
  }
  // The kept bytes are the first ones: once a character is left out, all that follows is.
  kept_.append(text.substr(0, end));
}

std::string BoundedText::finish() const {
  if (left_out_ == 0) return kept_;
  std::string text = kept_;
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text + "[" + std::to_string(left_out_) + " more characters left out: this server keeps " +
         std::to_string(limit_) +
         " of each text; the same command of the quillo command line prints it whole, and so does a "
         "server started with quillo mcp --max-output 0]\n";
}

// Whether the connection failed because no IDE listens on the socket: none is there, or none
// accepts. Other failures (too many open files, a path too long) are not helped by a hint.
bool nobody_listening(const std::string& message) {
  if (!message.starts_with("could not connect to ")) return false;
  for (const int code : {ENOENT, ECONNREFUSED}) {
    if (message.find(": " + std::string(std::strerror(code)) + " (") != std::string::npos) return true;
  }
  return false;
}

std::string error_text(const std::string& message) {
  std::string text = visible_controls(message);
  if (nobody_listening(message)) {
    // The message asks already whether the IDE runs: what the agent's host can change is where
    // this server looks, which it does not pass on from the user's shell unless told.
    text += ". If it is, this server may be looking at another socket: start it with quillo --socket PATH mcp, "
            "or give it QUILLO_SOCKET=PATH in the \"env\" of its entry in the host's configuration.";
  } else if (message.starts_with("HOME ")) {
    text += ". Start this server with an absolute HOME, or with the IDE's socket: quillo --socket PATH mcp "
            "(or QUILLO_SOCKET=PATH).";
  }
  return text;
}

CallOutcome call_command(NodeRef command, const Json& arguments, const CallSettings& settings) {
  auto values = values_from_arguments(command, arguments);
  if (!values.ok()) return {visible_controls(values.error()), true};
  Cli cli;
  cli.socket = settings.socket;
  cli.json = settings.json;
  cli.command = command;
  cli.values = std::move(values.value());
  // Shown as on a terminal: the agent reads the text, which an escape sequence must not hide.
  RunSettings run_settings = settings.run;
  run_settings.terminal_output = true;
  BoundedText out(settings.max_output);
  if (const MaybeError error = run(cli, out, run_settings)) {
    BoundedText message(settings.max_output);
    message << error_text(error->message);
    return {message.finish(), true};
  }
  return {out.finish(), false};
}

}  // namespace quillo::mcp
