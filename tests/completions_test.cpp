// The completion scripts and the manual page that the build generates from the grammar: real
// shells complete with them, and groff reads the page without a warning.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;

std::string docs(const std::string& name) { return std::string(QUILLO_DOCS_DIR) + "/" + name; }

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
TEST(GeneratedDocs, ManualPageIsAsReviewed) {
  const auto without_date = [](const std::string& path) {
    std::ifstream file(path);
    std::string text, line;
    while (std::getline(file, line)) {
      if (!line.starts_with(".TH ")) text += line + "\n";
    }
    return text;
  };
  EXPECT_EQ(without_date(docs("quillo.1")), without_date(QUILLO_SOURCE_DIR "/tests/golden/quillo.1"));
  const std::string groff = find_program("groff");
  if (groff.empty()) GTEST_SKIP() << "groff is not installed";
  const auto checked = run_process(groff, {"-man", "-ww", "-z", docs("quillo.1")}, with_env({}));
  EXPECT_EQ(checked.exit_status, 0);
  EXPECT_EQ(checked.err, "");
}

struct CompletionCase {
  std::vector<std::string> words;  ///< the command line up to the cursor; the last is the word there
  std::vector<std::string> expected;
};

const std::vector<CompletionCase> kCases = {
    {{"quillo", "ter"}, {"terminal"}},
    {{"quillo", "terminal", ""}, {"list", "create", "send", "send-key", "close", "wait"}},
    {{"quillo", "todo", "message", ""}, {"add"}},
    {{"quillo", "comments", "list", "--st"}, {"--status"}},
    {{"quillo", "comments", "list", "--status", ""}, {"active", "resolved", "stale", "all"}},
    {{"quillo", "shortcut", "add", "--scope", ""}, {"roost", "project"}},
    {{"quillo", "shortcut", "add", "--launch-behavior", "new"}, {"newPermanentTerminal", "newTemporaryTerminal"}},
    {{"quillo", "--socket", "/tmp/s", "terminal", "wait", "--j"}, {"--json"}},
    {{"quillo", "--json", "brow"}, {"browser"}},
    {{"quillo", "shelf", "add", ""}, {"FILES"}},
    {{"quillo", "terminal", "create", "--cwd", ""}, {"FILES"}},
    {{"quillo", "terminal", "wait", "--timeout", ""}, {}},
};

// Runs one shell per case in a directory holding alpha.txt and beta/, whose names stand for
// "FILES" in the expectations.
class ShellCompletion : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("alpha.txt", "");
    std::filesystem::create_directory(dir_.file("beta"));
  }

  void expect_cases(const std::string& shell, const std::function<std::vector<std::string>(const std::string& script)>& args,
                    const std::function<std::string(const CompletionCase&)>& script_of) {
    const std::string program = find_program(shell);
    if (program.empty()) GTEST_SKIP() << shell << " is not installed";
    for (const auto& row : kCases) {
      std::string line;
      for (const auto& word : row.words) line += (line.empty() ? "" : " ") + word;
      SCOPED_TRACE(shell + ": " + line);
      const auto result = run_process(program, args(script_of(row)), with_env({"HOME=" + dir_.path(), "PATH=/usr/bin:/bin"}));
      std::vector<std::string> got;
      std::stringstream lines(result.out);
      for (std::string word; std::getline(lines, word);) {
        word = word.substr(0, word.find('\t'));  // fish adds the description
        if (word == "alpha.txt" || word == "beta" || word == "beta/") word = "FILES";
        if (!word.empty() && std::find(got.begin(), got.end(), word) == got.end()) got.push_back(word);
      }
      std::vector<std::string> expected = row.expected;
      std::sort(expected.begin(), expected.end());
      std::sort(got.begin(), got.end());
      EXPECT_EQ(got, expected) << result.err;
    }
  }

  std::string quoted_words(const CompletionCase& row) {
    std::string text;
    for (const auto& word : row.words) text += " '" + word + "'";
    return text;
  }

  TempDir dir_;
};

TEST_F(ShellCompletion, Bash) {
  expect_cases("bash", [](const std::string& script) { return std::vector<std::string>{"--norc", "-c", script}; },
               [&](const CompletionCase& row) {
                 return "cd '" + dir_.path() + "' && source '" + docs("quillo.bash") +
                        "' && COMP_WORDS=(" + quoted_words(row) + ") && COMP_CWORD=" +
                        std::to_string(row.words.size() - 1) +
                        " && _quillo && printf '%s\\n' \"${COMPREPLY[@]}\"";
               });
}

// zsh completes only inside its line editor; here its builtins are stood in for, with the same
// prefix matching, and the generated function runs in a real zsh.
TEST_F(ShellCompletion, Zsh) {
  expect_cases("zsh", [](const std::string& script) { return std::vector<std::string>{"-f", "-c", script}; },
               [&](const CompletionCase& row) {
                 return "cd '" + dir_.path() + "'; "
                        "compadd() { local w; for w in ${(P)2}; do [[ $w == ${PREFIX}* ]] && print -- $w; done; }; "
                        "_files() { print FILES; }; compset() { PREFIX=${PREFIX#*=}; }; "
                        "words=(" + quoted_words(row) + "); CURRENT=${#words}; PREFIX=${words[CURRENT]}; "
                        "source '" + docs("_quillo") + "'";
               });
}

TEST_F(ShellCompletion, Fish) {
  expect_cases("fish", [](const std::string& script) { return std::vector<std::string>{"--no-config", "-c", script}; },
               [&](const CompletionCase& row) {
                 std::string line;
                 for (const auto& word : row.words) line += (line.empty() ? "" : " ") + word;
                 return "cd '" + dir_.path() + "'; source '" + docs("quillo.fish") + "'; complete -C '" + line + "'";
               });
}

TEST(Install, PutsTheFiveFilesUnderThePrefix) {
  TempDir prefix;
  const auto result = run_process(CMAKE_COMMAND, {"--install", QUILLO_BUILD_DIR, "--prefix", prefix.path()},
                                  with_env({"PATH=/usr/bin:/bin"}));
  ASSERT_EQ(result.exit_status, 0) << result.err;
  for (const char* file : {"bin/quillo", "share/man/man1/quillo.1", "share/bash-completion/completions/quillo",
                           "share/zsh/site-functions/_quillo", "share/fish/vendor_completions.d/quillo.fish"}) {
    EXPECT_TRUE(std::filesystem::exists(prefix.file(file))) << file;
  }
  EXPECT_EQ(::access(prefix.file("bin/quillo").c_str(), X_OK), 0);
}

}  // namespace
