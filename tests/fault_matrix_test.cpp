// The built executable as a user runs it: its exit statuses and both streams on success, on
// every way the socket, the IDE or standard output can fail, for help and version.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/version.hpp"
#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/grammar_walk.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;

const std::string kHint = " (is Quillo running and Agent CLI enabled?)\n";

struct Expected {
  int status;
  std::string err;  ///< exact, or the start when it ends in "..."
  std::string out;  ///< likewise
};

void expect_text(const std::string& text, const std::string& expected) {
  if (expected.ends_with("...")) {
    EXPECT_TRUE(text.starts_with(expected.substr(0, expected.size() - 3))) << text;
    EXPECT_TRUE(text.ends_with("\n")) << text;
  } else {
    EXPECT_EQ(text, expected);
  }
}

void expect_outcome(const ProcessResult& result, const Expected& expected) {
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exit_status, expected.status);
  expect_text(result.out, expected.out);
  expect_text(result.err, expected.err);
}

ProcessResult quillo(const std::vector<std::string>& args, ProcessOptions options = {}) {
  options.env.push_back("HOME=/nonexistent");
  return run_quillo(args, options);
}

TEST(EndToEnd, StatusesAndStreams) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("Library/Application Support/b"));
  standin::Ide ide;
  standin::Server server(dir.file("Library/Application Support/b/quillo.sock"), standin::serve(ide));
  const std::string usage = "Quillo IDE agent CLI\nUsage: quillo [OPTIONS] SUBCOMMAND...";
  const std::string version = quillo::kVersion;
  const std::string ping =
      R"({"app":"Quillo","build":"standin","protocol_version":1,"version":")" + version + "\"}\n";
  const std::string unknown = "quillo: unknown_method: no method named no.such\n";
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> runs = {
      {{"--socket", server.path(), "ping"}, {"HOME=/h"}},
      {{"whoami", "--json", "--socket", server.path()}, {"QUILLO_ROOST=main", "QUILLO_CONTEXT=", "QUILLO_PROJECT_PATH=/p"}},
      {{"ping", "--json"}, {"QUILLO_SOCKET=" + server.path()}},
      {{"help", "no.such", "--socket", server.path()}, {}},
      {{"help", "no.such", "--socket", server.path(), "--json"}, {}},
      {{"ping"}, {"QUILLO_BUNDLE_ID=b"}},
      {{"whoami"}, {"HOME=" + dir.path(), "QUILLO_BUNDLE_ID=b", "QUILLO_CONTEXT=agent"}},
      {{"--help"}, {}},
      {{"-V"}, {}},
      {{}, {}},
  };
  const std::vector<Expected> expected = {
      {0, "", "ok  Quillo " + version + " (build standin)  protocol=1\n"},
      {0, "", "{\"project\":\"/p\",\"roost\":\"main\",\"surface\":null}\n"},
      {0, "", ping},
      {1, unknown, ""},
      {1, unknown, ""},
      {1, "quillo: HOME not set; cannot resolve default socket path\n", ""},
      {0, "", "{\n  \"project\": null,\n  \"roost\": null,\n  \"surface\": \"agent\"\n}\n"},
      {0, "", usage},
      {0, "", "quillo " + version + "\n"},
      {2, usage, ""},
  };
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(i);
    expect_outcome(run_quillo(runs[i].first, with_env(runs[i].second)), expected[i]);
  }
}

// Long text from a file or from a pipe reaches the IDE byte for byte, a megabyte too (more than
// one argument may hold); a usage error (a file that cannot be used among them) sends nothing.
TEST(EndToEnd, ArgumentsFromFilesAndUsageErrors) {
  TempDir dir;
  standin::Ide ide;
  standin::Server server(dir.file("s"), standin::serve(ide));
  std::string megabyte = "echo \"$HOME\" `date` 'quoted' \\ \u00e9\n";
  while (megabyte.size() < (1u << 20)) megabyte += megabyte;
  dir.write("big", megabyte);
  dir.write("params", "{\"browser_id\": oops}");
  struct Case {
    std::string script;  ///< run by sh with $Q the program, $S the socket, $D the directory
    std::string err;     ///< standard error, exactly; the run succeeds when it is empty
    std::string key = {};  ///< the parameter that carries the text
    std::string text = {};
  };
  const std::vector<Case> cases = {
      {R"("$Q" terminal send --terminal-id term-1 --text-file "$D/big")", "", "text", megabyte},
      {R"(printf '' | "$Q" todo add T --body-file=-)", "", "body", ""},
      {R"("$Q" terminal send --terminal-id term-1 --text-file - <&-)",
       "--text-file: cannot read standard input: Bad file descriptor\n"
       "Run 'quillo terminal send --help' for more information.\n"},
      {R"("$Q" terminal wait --timeout 0x10)",
       "--timeout: '0x10' is not a whole number of seconds from 0 to 4294967295\n"
       "Run 'quillo terminal wait --help' for more information.\n"},
      {R"("$Q" todo message remove)",
       "The following argument was not expected: remove\nRun 'quillo todo message --help' for more information.\n"},
      {R"("$Q" browser raw browser.list --params-file "$D/params")",
       "--params-file: '" + dir.file("params") + "': invalid JSON: parse error at line 1, column 16: syntax "
       "error while parsing value - invalid literal; last read: '\"browser_id\": o'\n"
       "Run 'quillo browser raw --help' for more information.\n"},
  };
  std::size_t sent = 0;
  for (const auto& row : cases) {
    SCOPED_TRACE(row.script);
    const auto result = run_process("/bin/sh", {"-c", row.script},
                                    with_env({"Q=" QUILLO_BINARY, "D=" + dir.path(), "QUILLO_SOCKET=" + server.path()}));
    EXPECT_EQ(result.exit_status, row.err.empty() ? 0 : 2);
    EXPECT_EQ(result.err, row.err);
    if (!row.err.empty()) continue;
    ASSERT_EQ(server.requests().size(), ++sent);
    EXPECT_EQ(quillo::Json::parse(server.requests().back())["params"][row.key], row.text);
  }
  EXPECT_EQ(server.connections(), sent);
}

// Every file form of the grammar through the executable: from a file and from a pipe the text
// reaches the IDE; a missing file, a directory, text that is not UTF-8, more than 16 MiB, or
// the inline form given as well are usage errors that name the option, the file and the reason.
TEST(EndToEnd, EveryFileForm) {
  TempDir dir;
  standin::Ide ide;
  standin::Server server(dir.file("s"), standin::serve(ide));
  const std::string text = "{\"k\": \"`$HOME` 'x'\"}\n";  // JSON, for the params of a raw call
  dir.write("text", text);
  dir.write("bad", "\xFF");
  dir.write("huge", std::string((16u << 20) + 1, '{'));
  std::filesystem::create_directory(dir.file("folder"));
  std::size_t forms = 0;
  for (const GrammarNode& leaf : walk()) {
    std::size_t forms_here = 0;
    for (std::size_t i = 0; i < leaf.node.argument_count(); ++i) {
      const quillo::ArgumentRef argument = leaf.node.argument(i);
      if (argument.file_option().empty()) continue;
      ++forms_here;
      const std::string file_option(argument.file_option());
      SCOPED_TRACE(joined(leaf.path) + " " + file_option);
      std::string command = "\"$Q\"";
      for (const auto& word : args_for(leaf, false, &argument)) command += " '" + word + "'";
      const std::string form = " " + file_option + " ";
      for (const std::string& script : {command + form + "\"$D/text\"", "cat \"$D/text\" | " + command + form + "-"}) {
        const auto requests = server.requests().size();
        const auto result = run_process("/bin/sh", {"-c", script},
                                        with_env({"Q=" QUILLO_BINARY, "D=" + dir.path(), "QUILLO_SOCKET=" + server.path()}));
        EXPECT_NE(result.exit_status, 2) << result.err;
        ASSERT_EQ(server.requests().size(), requests + 1);
        const auto params = quillo::Json::parse(server.requests().back())["params"];
        EXPECT_TRUE(params.dump().find(quillo::Json(text).dump()) != std::string::npos ||
                    params == quillo::Json::parse(text))
            << params.dump();
      }
      const std::string usage = "Run 'quillo " + joined(leaf.path) + " --help' for more information.\n";
      const auto refused = [&](std::vector<std::string> extra, const std::string& err) {
        auto args = args_for(leaf, false, &argument);
        args.insert(args.end(), extra.begin(), extra.end());
        expect_outcome(quillo(args), {2, file_option + ": " + err + "\n" + usage, ""});
      };
      refused({file_option, dir.file("none")}, "cannot read '" + dir.file("none") + "': No such file or directory");
      refused({file_option, dir.file("folder")}, "cannot read '" + dir.file("folder") + "': Is a directory");
      refused({file_option, dir.file("bad")}, "'" + dir.file("bad") + "' is not valid UTF-8");
      refused({file_option, dir.file("huge")}, "cannot read '" + dir.file("huge") + "': larger than 16 MiB");
      auto both = args_for(leaf, false, &argument);
      append(both, argument);
      both.insert(both.end(), {file_option, dir.file("text")});
      expect_outcome(quillo(both), {2, std::string(argument.name()) + " and " + file_option +
                                           " cannot be given together\n" + usage, ""});
    }
    EXPECT_LE(forms_here, 1u) << "standard input can feed one file form only";
    forms += forms_here;
  }
  EXPECT_GT(forms, 0u);
}

// An empty or relative HOME would put the default socket under the working directory, where
// anyone may have left one: it is refused, and nothing is connected to.
TEST(FaultMatrix, AnEmptyOrRelativeHomeConnectsNowhere) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("Library/Application Support/b"));
  standin::Server planted(dir.file("Library/Application Support/b/quillo.sock"), standin::reply_with("{\"ok\":true}\n"));
  for (const auto& [home, err] : std::vector<std::pair<std::string, std::string>>{
           {"", "quillo: HOME not set; cannot resolve default socket path\n"},
           {".", "quillo: HOME is not an absolute path (.); cannot resolve default socket path\n"}}) {
    const auto result = run_process("/bin/sh", {"-c", "cd \"$D\" && exec \"$Q\" ping"},
                                    with_env({"HOME=" + home, "QUILLO_BUNDLE_ID=b", "D=" + dir.path(), "Q=" QUILLO_BINARY}));
    expect_outcome(result, {1, err, ""});
  }
  EXPECT_EQ(planted.connections(), 0u);
}

TEST(FaultMatrix, SocketsThatCannotBeReached) {
  TempDir dir;
  const std::string missing = dir.file("missing.sock");
  expect_outcome(quillo({"--socket", missing, "ping"}),
                 {1, "quillo: could not connect to " + missing + ": No such file or directory" + kHint, ""});

  // Linux says the connection is refused; macOS that the file is not a socket.
  const std::string regular = dir.write("regular.sock", "not a socket");
  const auto result = quillo({"--socket", regular, "ping"});
  expect_outcome(result, {1, "quillo: could not connect to " + regular + ": ...", ""});
  EXPECT_TRUE(result.err.ends_with(kHint)) << result.err;

  // A socket file whose listener has gone.
  const std::string orphan = dir.file("orphan.sock");
  {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, orphan.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
  }
  expect_outcome(quillo({"--socket", orphan, "ping"}),
                 {1, "quillo: could not connect to " + orphan + ": Connection refused" + kHint, ""});

  // Longer than the system allows: refused whole, never cut to a path that may exist.
  const std::string too_long = dir.path() + "/" + std::string(120, 's') + ".sock";
  expect_outcome(quillo({"--socket", too_long, "ping"}),
                 {1, "quillo: could not connect to " + too_long + ": socket path is too long...", ""});
}

// Only the user's own IDE is spoken to: a socket that another user serves is refused before a
// byte is written to it, root's run included.
TEST(FaultMatrix, AnotherUsersSocketIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "serving a socket as another user takes root";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const std::string path = dir.file("s");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    // The other user's listener: its exit status says whether anything came.
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0) ::_exit(2);
    [[maybe_unused]] const auto signalled = ::write(ready[1], "x", 1);
    const int connection = ::accept(fd, nullptr, nullptr);
    char byte = 0;
    ::_exit(::read(connection, &byte, 1) > 0 ? 1 : 0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  expect_outcome(quillo({"--socket", path, "terminal", "send", "x", "--terminal-id", "T1"}),
                 {1, "quillo: refusing to talk to " + path + ": it is served by user id 65534, not by this user (user id 0)\n", ""});
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other user's socket was sent something";
  ::close(ready[0]);
  ::close(ready[1]);
}

// A person at a terminal sees that the run waits, in one line that goes when the reply comes;
// anywhere else nothing new is printed.
TEST(FaultMatrix, ALongWaitIsToldOfOnATerminal) {
  TempDir dir;
  standin::Server server(dir.file("s"), standin::reply_with("{\"ok\":true,\"result\":{}}\n", std::chrono::milliseconds(1500)));
  ProcessOptions terminal;
  terminal.stdout_mode = StdoutMode::Terminal;
  EXPECT_EQ(quillo({"--socket", server.path(), "ping"}, terminal).out,
            "\r\x1b[Kwaiting for the IDE: ping, 1 s of 30 s\r\x1b[Kok  ? ? (build ?)  protocol=0\n");
  // Within 79 characters whatever the method, so that it never wraps and is erased whole.
  const std::string method = "browser." + std::string(100, 'x');
  EXPECT_EQ(quillo({"--socket", server.path(), "browser", "raw", method}, terminal).out,
            "\r\x1b[Kwaiting for the IDE: browser." + std::string(34, 'x') + "..., 1 s of 30 s\r\x1b[KOK\n");
  expect_outcome(quillo({"--socket", server.path(), "ping"}), {0, "", "ok  ? ? (build ?)  protocol=0\n"});
}

struct ReplyCase {
  const char* name;
  standin::Behaviour behaviour;
  std::vector<std::string> args;
  Expected expected;
};

TEST(FaultMatrix, RepliesOfEveryKind) {
  const std::string big_text(50'000'000, 'x');
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "{\"a\":";
  // Larger than the socket's buffers, so that writing is still going on when the peer closes.
  const std::string big_argument(120'000, 'a');
  const std::vector<std::string> big_request = {"comments", "add", "--file", big_argument, "--line", "1",
                                                "--comment", big_argument, "--parent", big_argument};
  const std::vector<ReplyCase> cases = {
      {"closes before reading", standin::close_before_reading(), big_request,
       {1, "quillo: write error: ...", ""}},
      {"closes without replying", standin::reply_with(""), {"ping"},
       {1, "quillo: server closed connection without response\n", ""}},
      {"two lines", standin::reply_with("{\"ok\":true,\"result\":1}\n{\"ok\":true,\"result\":2}\n"),
       {"--json", "ping"}, {0, "", "1\n"}},
      {"whole value without line feed", standin::reply_with("{\"ok\":true,\"result\":3}"),
       {"--json", "ping"}, {0, "", "3\n"}},
      {"50 MB line", standin::reply_with("{\"ok\":true,\"result\":\"" + big_text + "\"}\n"),
       {"--json", "ping"}, {0, "", "\"" + big_text + "\"\n"}},
      {"20 MB of garbage", standin::reply_with(std::string(20'000'000, 'x') + "\n"), {"ping"},
       {1,
        "quillo: server returned invalid JSON: parse error at line 1, column 1: syntax error while parsing "
        "value - invalid literal; last read: 'x'; payload was: \"" + std::string(256, 'x') + "\"... (20000001 bytes)\n",
        ""}},
      {"100000 levels of nesting", standin::reply_with(deep + "\n"), {"ping"},
       {1, "quillo: server returned invalid JSON: nesting deeper than 512 levels; payload was: ...", ""}},
      {"error reply", standin::reply_with("{\"ok\":false,\"error\":{\"code\":\"c\",\"message\":\"m\"}}\n"),
       {"--json", "ping"}, {1, "quillo: c: m\n", ""}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    standin::Server server(dir.file("s"), row.behaviour);
    std::vector<std::string> args = row.args;
    args.insert(args.begin(), {"--socket", server.path()});
    expect_outcome(quillo(args), row.expected);
    EXPECT_EQ(server.connections(), 1u);
  }
}

// A reply too large for the memory the process may use is an error, not an abort.
TEST(FaultMatrix, OutOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
  TempDir dir;
  standin::Server server(dir.file("s"), standin::reply_with("{\"ok\":true,\"result\":\"" +
                                                            std::string(80'000'000, 'x') + "\"}\n"));
  const auto result = run_process("/bin/sh", {"-c", "ulimit -v 60000; exec \"$0\" \"$@\"", QUILLO_BINARY,
                                              "--socket", server.path(), "ping"},
                                  with_env({}));
  expect_outcome(result, {1, "quillo: out of memory\n", ""});
#endif
}

TEST(FaultMatrix, StandardOutput) {
  TempDir dir;
  const std::string big_text(1'000'000, 'x');
  standin::Server server(dir.file("s"), standin::reply_with("{\"ok\":true,\"result\":\"" + big_text + "\"}\n"));
  const std::vector<std::string> args = {"--socket", server.path(), "--json", "ping"};

  // `| head -c1`: the reader goes away; the program ends quietly, as commands in a pipeline do.
  ProcessOptions head;
  head.stdout_limit = 1;
  const auto piped = quillo(args, head);
  EXPECT_EQ(piped.out, "\"");
  EXPECT_EQ(piped.err, "");
  EXPECT_TRUE(piped.signal == SIGPIPE || piped.exit_status == 0) << piped.exit_status << " " << piped.signal;

  // A full disk (Linux has /dev/full to stand for one), for a result and for help alike.
  if (std::filesystem::exists("/dev/full")) {
    ProcessOptions full;
    full.stdout_mode = StdoutMode::DevFull;
    const Expected no_space{1, "quillo: cannot write to standard output: No space left on device\n", ""};
    expect_outcome(quillo(args, full), no_space);
    expect_outcome(quillo({"--help"}, full), no_space);
  }

  // Closed, or open for reading only: known before anything is sent, so the IDE never acts on a
  // request whose outcome is lost, and a caller that tries again does not have it act twice.
  ProcessOptions closed;
  for (const StdoutMode mode : {StdoutMode::ReadOnly, StdoutMode::Closed}) {
    closed.stdout_mode = mode;
    const std::size_t connections = server.connections();
    expect_outcome(quillo({"--socket", server.path(), "terminal", "send", "rm -rf build", "--terminal-id", "T1", "--submit"}, closed),
                   {1, "quillo: cannot write to standard output: Bad file descriptor\n", ""});
    EXPECT_EQ(server.connections(), connections);
  }
  // A usage error writes nothing there, whatever standard output is.
  expect_outcome(quillo({"bogus"}, closed),
                 {2, "The following argument was not expected: bogus\nRun 'quillo --help' for more information.\n", ""});
}

// On a terminal the reply's text, the IDE's error code and the words of a usage error are shown
// with their control characters visible, and --json escapes the ones JSON leaves raw; to a pipe
// everything goes byte for byte.
TEST(FaultMatrix, ControlCharactersOnATerminal) {
  // A title, the clipboard (OSC 52), DEL, the C1 control sequence introducer, a carriage return
  // that would print over what came before, and the right-to-left override.
  const std::string hostile = "\\u001b]0;pwned\\u0007\\u001b]52;c;ZXZpbA==\\u0007\\u007f\\u009b\\rx\\u202e";
  const std::string raw = "\x1b]0;pwned\x07\x1b]52;c;ZXZpbA==\x07\x7f\xc2\x9b\rx\xe2\x80\xae";
  const std::string shown = "\\u{1b}]0;pwned\\u{7}\\u{1b}]52;c;ZXZpbA==\\u{7}\\u{7f}\\u{9b}\\u{d}x\\u{202e}";
  struct Case {
    std::string reply;
    std::vector<std::string> args;
    std::string terminal, pipe;
  };
  const std::vector<Case> cases = {
      {R"({"ok":true,"result":{"title":")" + hostile + "\"}}", {"browser", "title", "B"}, shown + "\n", raw + "\n"},
      {R"({"ok":false,"error":{"code":")" + hostile + "\",\"message\":\"m\"}}", {"ping"},
       "quillo: " + shown + ": m\n", "quillo: " + raw + ": m\n"},
      {R"({"ok":true,"result":{"title":")" + hostile + "\"}}", {"--json", "ping"},
       R"({"title":"\u001b]0;pwned\u0007\u001b]52;c;ZXZpbA==\u0007\u007f\u009b\rx)" "\xe2\x80\xae\"}\n",
       R"({"title":"\u001b]0;pwned\u0007\u001b]52;c;ZXZpbA==\u0007)" "\x7f\xc2\x9b\\rx\xe2\x80\xae\"}\n"},
      {"", {raw}, "The following argument was not expected: " + shown + "\nRun 'quillo --help' for more information.\n",
       "The following argument was not expected: " + raw + "\nRun 'quillo --help' for more information.\n"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.reply);
    TempDir dir;
    standin::Server server(dir.file("s"), standin::reply_with(row.reply + "\n"));
    auto args = row.args;
    args.insert(args.begin(), {"--socket", server.path()});
    ProcessOptions terminal;
    terminal.stdout_mode = StdoutMode::Terminal;
    EXPECT_EQ(quillo(args, terminal).out, row.terminal);
    const auto piped = quillo(args);
    EXPECT_EQ(piped.out + piped.err, row.pipe);
  }
}

// The stand-in's usage line: asked for, on standard output; after a mistake, on standard error.
// Neither makes a socket.
TEST(StandIn, Usage) {
  TempDir dir;
  const std::string usage = "usage: quillo-standin [--hold METHOD=MILLISECONDS]... [--] SOCKET\n";
  for (const auto& [args, expected] : std::vector<std::pair<std::string, Expected>>{
           {"--help", {0, "", usage}}, {"", {2, usage, ""}}, {"--bogus", {2, usage, ""}}, {"a b", {2, usage, ""}},
           {"--hold ping s", {2, usage, ""}}}) {
    SCOPED_TRACE(args);
    expect_outcome(run_process("/bin/sh", {"-c", "cd \"$D\" && exec \"$S\" " + args},
                               with_env({"D=" + dir.path(), "S=" QUILLO_STANDIN_BINARY})),
                   expected);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
