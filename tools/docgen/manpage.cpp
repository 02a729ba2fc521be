#include "manpage.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "core/version.hpp"

namespace docgen {
namespace {

using quillo::ArgumentRef;
using quillo::NodeRef;
using quillo::ReachedNode;

// Text for groff: backslashes and hyphens escaped, a line never starting with a control
// character, and characters beyond ASCII as named escapes.
std::string roff(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      // Decode one UTF-8 sequence (the grammar's texts are UTF-8).
      const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      std::uint32_t code_point = c & (0xFF >> (length + 1));
      for (int k = 1; k < length && i + 1 < text.size(); ++k) {
        code_point = (code_point << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F);
      }
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\[u%04X]", static_cast<unsigned>(code_point));
      out += escaped;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// A group or command and the words that reach it ("todo message"; "" for the program).
// An option as the page shows it.
struct PageOption {
  std::string_view name, value_name;
  std::string help;
  bool required = false;
  std::string_view default_value;
};

// The options of `node`'s arguments, an argument's file form as one of its own.
std::vector<PageOption> options_of(NodeRef node) {
  std::vector<PageOption> out;
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    const ArgumentRef argument = node.argument(i);
    if (!argument.is_positional()) {
      out.push_back({argument.option(), argument.value_name(), std::string(argument.help()),
                     argument.required_as_typed(), argument.default_value().value_or("")});
    }
    if (!argument.file_option().empty()) {
      out.push_back({argument.file_option(), "FILE", argument.file_option_help(), false, ""});
    }
  }
  return out;
}

std::vector<ArgumentRef> positionals_of(NodeRef node) {
  std::vector<ArgumentRef> out;
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    if (node.argument(i).is_positional()) out.push_back(node.argument(i));
  }
  return out;
}

std::string usage(const ReachedNode& section) {
  std::string text = "\\fBquillo";
  if (!section.path.empty()) text += " " + roff(section.path);
  text += "\\fR";
  const std::vector<PageOption> options = options_of(section.node);
  for (const PageOption& option : options) {
    if (option.required) {
      text += " \\fB" + roff(option.name) + "\\fR \\fI" + roff(option.value_name) + "\\fR";
    }
  }
  if (std::any_of(options.begin(), options.end(),
                  [](const PageOption& o) { return !o.required; })) {
    text += " [\\fIOPTIONS\\fR]";
  }
  for (const ArgumentRef& positional : positionals_of(section.node)) {
    const bool required = positional.required_as_typed();
    text += (required ? " \\fI" : " [\\fI") + roff(positional.value_name()) +
            (required ? "\\fR" : "\\fR]");
  }
  if (section.node.is_group()) text += " \\fICOMMAND\\fR";
  return text;
}

void describe_arguments(NodeRef node, std::string& out) {
  for (const ArgumentRef& positional : positionals_of(node)) {
    out += ".TP\n\\fI" + roff(positional.value_name()) + "\\fR";
    if (!positional.required_as_typed()) out += " (optional)";
    out += "\n" + (positional.help().empty() ? "\\&" : roff(positional.help())) + "\n";
  }
  for (const PageOption& option : options_of(node)) {
    out += ".TP\n\\fB" + roff(option.name) + "\\fR";
    if (!option.value_name.empty()) out += " \\fI" + roff(option.value_name) + "\\fR";
    if (option.required) out += " (required)";
    if (!option.default_value.empty()) out += " (default: " + roff(option.default_value) + ")";
    out += "\n" + (option.help.empty() ? "\\&" : roff(option.help)) + "\n";
  }
}

}  // namespace

std::string manual_page(NodeRef root, std::string_view date) {
  const std::vector<ReachedNode> sections = quillo::every_node(root);
  std::string out =
      ".\\\" quillo(1), generated from quillo's grammar by quillo-docgen; do not edit.\n";
  out += ".TH QUILLO 1 \"" + std::string(date) + "\" \"quillo " + std::string(quillo::kVersion) +
         "\" \"User Commands\"\n";
  out += ".SH NAME\nquillo \\- " + roff(root.help()) + "\n";
  out += ".SH SYNOPSIS\n" + usage(sections.front()) + " ...\n";
  out += R"ROFF(.SH DESCRIPTION
\fBquillo\fR drives a running Quillo IDE from a shell, for people and for automated coding
agents. Each run parses one command, sends one JSON request line over the IDE's Unix\-domain
socket, reads one JSON reply line, and prints a short human rendering of the result, or the
result itself as one line of compact JSON with \fB\-\-json\fR.
.PP
\fB\-\-socket\fR and \fB\-\-json\fR are accepted before the command and after it, at any
depth. \fB\-h\fR, \fB\-\-help\fR prints the help of any command or group;
\fB\-V\fR, \fB\-\-version\fR prints the version. An argument that begins with a hyphen is an
option: a value that begins with one is attached with \fB=\fR (\fB\-\-text=\-h\fR), and a
positional one follows \fB\-\-\fR, which ends the options: after it no word is an option.
.PP
Each argument that carries long text has a file form (\fB\-\-text\-file\fR,
\fB\-\-comment\-file\fR, ...) that reads it from \fIFILE\fR, or from standard input when
\fIFILE\fR is \fB\-\fR, byte for byte and at most 16 MiB.
.SH OPTIONS
)ROFF";
  describe_arguments(root, out);
  out += ".SH COMMANDS\n";
  for (const ReachedNode& section : std::span(sections).subspan(1)) {
    out += ".SS \"" + roff(section.path) + "\"\n" + usage(section) + "\n.PP\n" +
           roff(section.node.help()) + "\n";
    describe_arguments(section.node, out);
    if (section.node.is_group()) {
      out += ".PP\nCommands:";
      section.node.for_each_child([&](const NodeRef& child) { out += " \\fB" + roff(child.name()) + "\\fR"; });
      out += ".\n";
    }
  }
  out += R"ROFF(.SH EXIT STATUS
.TP
.B 0
Success, in either output mode; also \fB\-\-help\fR and \fB\-\-version\fR.
.TP
.B 1
The run failed: no \fBHOME\fR to find the socket, no connection, a transport or protocol
error, an error reply of the IDE, or standard output that cannot be written. Standard error
shows "quillo: " and the message; standard output stays empty.
.TP
.B 2
Usage error: an unknown command or option, a missing or malformed argument, an argument that
is not valid UTF\-8, an argument file that cannot be read, or a program or group given without
a command (its help is printed on standard error). Nothing is sent to the IDE, and nothing is
printed on standard output.
.SH ENVIRONMENT
A variable that is empty or not valid UTF\-8 counts as unset.
.TP
.B QUILLO_SOCKET
The socket path when \fB\-\-socket\fR is not given.
.TP
.B HOME
Base of the default socket path; it must be an absolute path.
.TP
.B QUILLO_BUNDLE_ID
The bundle identifier in the default socket path. Without it, the identifier is read with
\fI/usr/bin/plutil\fR from the \fIInfo.plist\fR of the application that contains the
executable, else \fBdev.quillo.desktop\fR is used.
.TP
.B QUILLO_CONTEXT
Sent to the IDE with every request as the caller's context.
.TP
.B QUILLO_ROOST
Sent to the IDE with every request as the caller's roost.
.TP
.B QUILLO_PROJECT_PATH
Sent to the IDE with every request as the caller's project; the IDE resolves relative paths
and project defaults against it.
.SH FILES
.TP
.I $HOME/Library/Application Support/<bundle id>/quillo.sock
The IDE's socket, unless \fB\-\-socket\fR or \fBQUILLO_SOCKET\fR names another.
.SH EXAMPLES
What each command prints; the ids, paths and texts are those of a running IDE.
)ROFF";
  // A group's examples repeat its commands'.
  for (const ReachedNode& section : sections) {
    if (section.node.is_group()) continue;
    for (std::size_t i = 0; i < section.node.example_count(); ++i) {
      const quillo::Example example = section.node.example(i);
      out += ".PP\n.nf\n\\fB$ " + roff(example.command) + "\\fR\n";
      for (std::string_view rest = example.output; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        out += roff(rest.substr(0, end)) + "\n";
        rest.remove_prefix(std::min(end + 1, rest.size()));
      }
      out += ".fi\n";
    }
  }
  return out;
}

}  // namespace docgen
