// The completion scripts that `quillo completion SHELL` prints, in real shells, as loaded from
// the program and as installed; and the manual page, as reviewed and as groff reads it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli.hpp"
#include "docgen/manpage.hpp"
#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;

// The full path of a program on PATH, or empty.
std::string find_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream directories(path != nullptr ? path : "");
  for (std::string directory; std::getline(directories, directory, ':');) {
    const std::string candidate = directory + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// The manual page holds every command, argument and help text of the grammar: it is compared
// with the reviewed copy in tests/golden (the date aside). After a change to the grammar,
// review the difference and copy build/docs/quillo.1 there.
TEST(ManualPage, IsAsReviewed) {
  const auto without_date = [](std::istream&& lines) {
    std::string text, line;
    while (std::getline(lines, line)) {
      if (!line.starts_with(".TH ")) text += line + "\n";
    }
    return text;
  };
  const std::string page = docgen::manual_page(quillo::program().root, "2000-01-01");
  EXPECT_EQ(without_date(std::istringstream(page)), without_date(std::ifstream(QUILLO_SOURCE_DIR "/tests/golden/quillo.1")));
  const std::string groff = find_program("groff");
  if (groff.empty()) GTEST_SKIP() << "groff is not installed";
  TempDir dir;
  const auto checked = run_process(groff, {"-man", "-ww", "-z", dir.write("quillo.1", page)}, with_env({}));
  EXPECT_EQ(checked.exit_status, 0);
  EXPECT_EQ(checked.err, "");
}

struct CompletionCase {
  std::vector<std::string> words;  ///< the command line up to the cursor; the last is the word there
  std::vector<std::string> expected;
  std::string shells = "bash zsh fish";
  /// `expected` holds "value:description": what zsh and fish offer; bash offers the values.
  bool described = false;
};

const std::string kEveryShell = "bash zsh fish";

// In a directory holding alpha.txt, beta/ and "my dir/", with a stand-in IDE on QUILLO_SOCKET
// that has one terminal (term-1), one tab, todo, comment and shortcut each (see SetUp), one that
// never answers ({dir}/hung), and none at all.
const std::vector<CompletionCase> kCases = {
    {{"quillo", "ter"}, {"terminal"}},
    {{"quillo", "terminal", ""}, {"list", "create", "send", "send-key", "close", "wait"}},
    {{"quillo", "todo", "message", ""}, {"add"}},
    {{"quillo", "comments", "list", "--st"}, {"--status"}},
    {{"quillo", "comments", "list", "--status", ""}, {"active", "resolved", "stale", "all"}},
    {{"quillo", "shortcut", "add", "--launch-behavior", "new"}, {"newPermanentTerminal", "newTemporaryTerminal"}},
    {{"quillo", "--socket", "/tmp/s", "terminal", "wait", "--j"}, {"--json"}},
    {{"quillo", "terminal", "send", "--text-f"}, {"--text-file"}},
    {{"quillo", "shelf", "add", ""}, {"alpha.txt", "beta", "my dir"}},
    {{"quillo", "terminal", "create", "--cwd", "my"}, {"my dir"}},
    {{"quillo", "shelf", "add", "my\\ dir/"}, {"my dir/sub"}, "bash fish"},
    {{"quillo", "terminal", "wait", "--timeout", ""}, {}},
    {{"quillo", "shelf", "add", "--", "--"}, {}},
    {{"quillo", "todo", "add", "--", "-"}, {}},
    {{"quillo", "terminal", "close", "--terminal-id", ""}, {"term-1:zsh  /Users/demo/project"}, kEveryShell, true},
    {{"quillo", "help", "terminal.cl"}, {"terminal.close:Close a terminal"}, kEveryShell, true},
    {{"quillo", "browser", "wait", "--timeout", "5", ""}, {"tab-1:Page at https://example.com/"}, kEveryShell, true},
    {{"quillo", "todo", "show", ""}, {"todo-1:Fix \"a, b\" {c} \\ [d]"}, kEveryShell, true},
    {{"quillo", "comments", "resolve", "--id", ""}, {"c1:src/a,b.c:12"}, kEveryShell, true},
    {{"quillo", "shortcut", "remove", ""}, {"shortcut-1:Build: make all"}, kEveryShell, true},
    {{"quillo", "completion", ""}, {"bash", "zsh", "fish"}},
    {{"quillo", "co"}, {"comments", "completion"}},
    {{"quillo", "--socket", "{dir}/none", "terminal", "close", "--terminal-id", ""}, {}},
    {{"quillo", "--socket", "{dir}/hung", "terminal", "close", "--terminal-id", ""}, {}},
    {{"quillo", "--socket", "\"{dir}/ide.sock\"", "terminal", "close", "--terminal-id", ""}, {"term-1"}},
};

class ShellCompletion : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.file("work/beta"));
    std::filesystem::create_directories(dir_.file("work/my dir/sub"));
    dir_.write("work/alpha.txt", "");
    for (const char* request :
         {R"("browser.open","params":{"url":"https://example.com/"})",
          R"("todo.add","params":{"text":"Fix \"a, b\" {c} \\ [d]"})",
          R"("comments.add","params":{"file":"src/a,b.c","start_line":12,"start_column":1,"end_line":12,"body":"b"})",
          R"("shortcut.add","params":{"name":"Build","command":"make all","launch_behavior":"currentTerminal","scope":"roost"})"}) {
      ide_state_.answer(std::string(R"({"id":"t","method":)") + request + "}\n");
    }
  }

  // The words the shell offers for `words` (descriptions left out, or after a colon), with the
  // script that `quillo completion SHELL` prints, or the one installed under `prefix`.
  std::vector<std::string> offered(const std::string& shell, const std::vector<std::string>& words,
                                   bool with_descriptions = false, const std::string& prefix = "") {
    std::string quoted, line;
    for (std::string word : words) {
      if (const auto at = word.find("{dir}"); at != std::string::npos) word.replace(at, 5, dir_.path());
      quoted += " '" + word + "'";
      line += (line.empty() ? "" : " ") + word;
    }
    std::string script = "cd '" + dir_.file("work") + "'; ";
    std::vector<std::string> args;
    if (shell == "bash") {
      args = {"--norc", "-c"};
      script += (prefix.empty() ? "source <(quillo completion bash)"
                                : "source '" + prefix + "/share/bash-completion/completions/quillo'") +
                "; COMP_WORDS=(" + quoted + "); COMP_CWORD=" + std::to_string(words.size() - 1) +
                "; _quillo; printf '%s\\n' \"${COMPREPLY[@]}\"";
    } else if (shell == "zsh") {
      // zsh completes only inside its line editor: its builtins are stood in for, each offering
      // what matches the word at the cursor, and the generated function runs in a real zsh.
      args = {"-f", "-c"};
      script += "offer() { local w; for w in \"$@\"; do [[ $w == ${PREFIX}* ]] && print -r -- $w; done; }; "
                "compadd() { offer \"${(@P)2}\"; }; _describe() { offer \"${(@P)${@[-1]}}\"; }; "
                "_files() { offer ${PREFIX}*(N); }; compset() { PREFIX=${PREFIX#*=}; }; "
                "compdef() { [[ $* == '_quillo quillo' ]] || print -u2 compdef $*; }; " +
                (prefix.empty() ? "source <(quillo completion zsh)"
                                : "fpath=('" + prefix + "/share/zsh/site-functions' $fpath); autoload -Uz _quillo") +
                "; words=(" + quoted + "); CURRENT=${#words}; PREFIX=${words[CURRENT]}; _quillo";
    } else {
      args = {"--no-config", "-c"};
      script += (prefix.empty() ? "quillo completion fish | source"
                                : "set fish_complete_path '" + prefix + "/share/fish/vendor_completions.d'") +
                "; complete -C '" + line + "'";
    }
    args.push_back(script);
    const auto result = run_process(find_program(shell), args,
                                    with_env({"HOME=" + dir_.path(), "PATH=" QUILLO_BUILD_DIR ":/usr/bin:/bin",
                                              "QUILLO_SOCKET=" + ide_.path()}));
    EXPECT_EQ(result.err, "") << shell << ": " << line;  // completion never prints anything else
    std::vector<std::string> got;
    std::stringstream lines(result.out);
    for (std::string word; std::getline(lines, word);) {
      const auto description = word.find(shell == "zsh" ? ':' : '\t');
      if (!with_descriptions) word = word.substr(0, description);
      if (with_descriptions && description != std::string::npos) word[description] = ':';
      if (!with_descriptions && word.ends_with("/")) word.pop_back();
      if (!word.empty()) got.push_back(word);
    }
    std::sort(got.begin(), got.end());
    return got;
  }

  TempDir dir_;
  standin::Ide ide_state_;
  standin::Server ide_{dir_.file("ide.sock"), standin::serve(ide_state_)};
  standin::Server hung_{dir_.file("hung"), standin::reply_with("{}\n", std::chrono::seconds(60))};
};

TEST_F(ShellCompletion, EveryShellOffersTheSameWords) {
  for (const char* shell : {"bash", "zsh", "fish"}) {
    if (find_program(shell).empty()) {
      ADD_FAILURE() << shell << " is not installed";
      continue;
    }
    for (const auto& row : kCases) {
      if (row.shells.find(shell) == std::string::npos) continue;
      SCOPED_TRACE(std::string(shell) + ": " + joined(row.words));
      std::vector<std::string> expected = row.expected;
      const bool described = row.described && std::string(shell) != "bash";
      if (row.described && !described) {
        for (std::string& value : expected) value.erase(value.find(':'));
      }
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(offered(shell, row.words, described), expected);
    }
  }
}

// zsh describes every subcommand and option; fish too, in a few words.
TEST_F(ShellCompletion, Descriptions) {
  const auto zsh_commands = offered("zsh", {"quillo", "terminal", ""}, true);
  EXPECT_NE(std::find(zsh_commands.begin(), zsh_commands.end(), "send:Inject text into a terminal"), zsh_commands.end());
  const auto zsh_options = offered("zsh", {"quillo", "browser", "list", "--"}, true);
  EXPECT_EQ(zsh_options, (std::vector<std::string>{"--help:Print this help message and exit",
                                                   "--json:Print machine-readable JSON instead of a human-readable summary",
                                                   "--query:Filter by title or URL substring",
                                                   "--scope:Filter by ownership scope: \"project\"",
                                                   "--socket:Override the Unix socket path"}));
  const auto fish_options = offered("fish", {"quillo", "shortcut", "add", "--s"}, true);
  EXPECT_EQ(fish_options, (std::vector<std::string>{"--scope:\"roost\" (default) or \"project\"",
                                                    "--socket:Override the Unix socket path"}));
}

// The installed completions are what the program prints, and each shell finds its own where
// it looks for completions: bash-completion's directory, zsh's $fpath, fish's vendor directory.
// What is installed beside the program is made by the build's docs target, which the tests
// themselves do not need.
TEST_F(ShellCompletion, InstalledAsTheProgramPrintsThem) {
  if (!std::filesystem::exists(QUILLO_BUILD_DIR "/docs")) GTEST_SKIP() << "the docs target is not built";
  TempDir prefix;
  const auto result = run_process(CMAKE_COMMAND, {"--install", QUILLO_BUILD_DIR, "--prefix", prefix.path()},
                                  with_env({"PATH=/usr/bin:/bin"}));
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(std::filesystem::exists(prefix.file("share/man/man1/quillo.1")));
  EXPECT_EQ(::access(prefix.file("bin/quillo").c_str(), X_OK), 0);
  for (const auto& [shell, file] : {std::pair{"bash", "bash-completion/completions/quillo"},
                                    {"zsh", "zsh/site-functions/_quillo"}, {"fish", "fish/vendor_completions.d/quillo.fish"}}) {
    std::ifstream installed(prefix.file("share/") + file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(installed), {}),
              run_quillo({"completion", shell}, with_env({})).out) << file;
    EXPECT_EQ(offered(shell, {"quillo", "terminal", "close", "--terminal-id", ""}, false, prefix.path()),
              std::vector<std::string>{"term-1"}) << shell;
  }
}

}  // namespace
