#include "core/socket_path.hpp"

#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/platform.hpp"
#include "support/temp_dir.hpp"

namespace quillo {
namespace {

using testing_support::TempDir;
using Variables = std::map<std::string, std::string, std::less<>>;

EnvGetter environment(Variables variables) {
  return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
    const auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
  };
}

// A lookup that finds no bundle, so that the default identifier is used.
const BundleLookup kNoBundle{"/nonexistent/a/b/c/quillo", "/nonexistent/plutil"};

struct PathCase {
  const char* name;
  std::optional<std::string> socket_option;
  Variables env;
  std::string expected;  ///< the path, or the error message
  bool is_error = false;
};

TEST(ResolveSocketPath, RulesInOrder) {
  const std::string kDefault = "/Users/a/Library/Application Support/dev.quillo.desktop/quillo.sock";
  const std::string kNoHome = "HOME not set; cannot resolve default socket path";
  const std::vector<PathCase> cases = {
      {"option wins", "/opt.sock", {{"QUILLO_SOCKET", "/env.sock"}, {"HOME", "/h"}}, "/opt.sock"},
      {"option without HOME", "/opt.sock", {}, "/opt.sock"},
      {"environment", std::nullopt, {{"QUILLO_SOCKET", "/env.sock"}}, "/env.sock"},
      {"environment kept as is", std::nullopt, {{"QUILLO_SOCKET", " /e s "}}, " /e s "},
      {"empty QUILLO_SOCKET is unset", std::nullopt, {{"QUILLO_SOCKET", ""}, {"HOME", "/Users/a"}}, kDefault},
      {"non-UTF-8 is unset", std::nullopt, {{"QUILLO_SOCKET", "/\xFF"}, {"HOME", "/Users/a"}}, kDefault},
      {"bundle id with its spaces", std::nullopt, {{"HOME", "/Users/a/"}, {"QUILLO_BUNDLE_ID", " com.x "}},
       "/Users/a/Library/Application Support/ com.x /quillo.sock"},
      {"empty HOME", std::nullopt, {{"HOME", ""}, {"QUILLO_BUNDLE_ID", "b"}}, kNoHome, true},
      {"relative HOME", std::nullopt, {{"HOME", "home/a"}},
       "HOME is not an absolute path (home/a); cannot resolve default socket path", true},
      {"empty HOME with QUILLO_SOCKET", std::nullopt, {{"HOME", ""}, {"QUILLO_SOCKET", "s"}}, "s"},
      {"no HOME", std::nullopt, {}, kNoHome, true},
      {"no HOME even with a bundle id", std::nullopt, {{"QUILLO_BUNDLE_ID", "b"}}, kNoHome, true},
      {"non-UTF-8 HOME", std::nullopt, {{"HOME", "/\xFF"}}, kNoHome, true},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    const auto path = resolve_socket_path(row.socket_option, environment(row.env), kNoBundle);
    EXPECT_EQ(path.ok(), !row.is_error);
    EXPECT_EQ(path.ok() ? path.value() : path.error(), row.expected);
  }
}

// An application bundle B with the executable at B/Contents/D1/D2/quillo and a stand-in for
// the property-list tool that prints the plist's content when called with the expected
// arguments.
class BundleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    executable_ = dir_.write("B.app/Contents/D1/D2/quillo", "", 0755);
    tool_ = dir_.write("plutil",
                       "#!/bin/sh\n"
                       "[ $# -eq 6 ] || exit 5\n"
                       "[ \"$1|$2|$3|$4|$5\" = \"-extract|CFBundleIdentifier|raw|-o|-\" ] || exit 6\n"
                       "echo noise >&2\n"
                       "cat \"$6\"\n",
                       0755);
  }

  std::string bundle_id(const std::string& executable) {
    return resolve_bundle_id(environment({}), BundleLookup{executable, tool_});
  }

  TempDir dir_;
  std::string executable_;
  std::string tool_;
};

// The identifier three levels above the executable (links followed), unless the environment
// names one; the default path is built from it.
TEST_F(BundleTest, ReadsTheIdentifierOfTheEnclosingApplication) {
  dir_.write("B.app/Contents/Info.plist", "  dev.example.ide \n");
  EXPECT_EQ(bundle_id(executable_), "dev.example.ide");
  const std::string link = dir_.file("quillo-link");
  ASSERT_EQ(::symlink(executable_.c_str(), link.c_str()), 0);
  EXPECT_EQ(bundle_id(link), "dev.example.ide");
  EXPECT_EQ(resolve_bundle_id(environment({{"QUILLO_BUNDLE_ID", "from.env"}}), BundleLookup{executable_, tool_}),
            "from.env");
  const auto path = resolve_socket_path(std::nullopt, environment({{"HOME", "/Users/a"}}), {executable_, tool_});
  EXPECT_EQ(path.value(), "/Users/a/Library/Application Support/dev.example.ide/quillo.sock");
}

TEST_F(BundleTest, EveryFailureFallsBackToTheDefaultSilently) {
  EXPECT_EQ(bundle_id(executable_), kDefaultBundleId) << "no Info.plist";
  EXPECT_EQ(bundle_id(dir_.file("nowhere/quillo")), kDefaultBundleId) << "no executable";
  EXPECT_EQ(bundle_id("/tmp"), kDefaultBundleId) << "fewer than three ancestors";

  dir_.write("B.app/Contents/Info.plist", " \n\t");
  EXPECT_EQ(bundle_id(executable_), kDefaultBundleId) << "blank output";
  dir_.write("B.app/Contents/Info.plist", "dev.\xFF\n");
  EXPECT_EQ(bundle_id(executable_), kDefaultBundleId) << "output not UTF-8";

  dir_.write("B.app/Contents/Info.plist", "dev.example.ide\n");
  dir_.write("plutil", "#!/bin/sh\necho dev.example.ide\nexit 1\n", 0755);
  EXPECT_EQ(bundle_id(executable_), kDefaultBundleId) << "tool failed";
  dir_.write("plutil", "#!/bin/sh\necho dev.example.ide\nkill -9 $$\n", 0755);
  EXPECT_EQ(bundle_id(executable_), kDefaultBundleId) << "tool killed";
  EXPECT_EQ(resolve_bundle_id(environment({}), BundleLookup{executable_, dir_.file("no-tool")}),
            kDefaultBundleId)
      << "tool missing";
}

TEST_F(BundleTest, TheToolReadsNothingAndItsErrorsAreDiscarded) {
  dir_.write("B.app/Contents/Info.plist", "dev.example.ide\n");
  dir_.write("plutil",
             "#!/bin/sh\n"
             "[ /dev/stdin -ef /dev/null ] || exit 7\n"
             "[ /dev/stderr -ef /dev/null ] || exit 8\n"
             "cat \"$6\"\n",
             0755);
  EXPECT_EQ(bundle_id(executable_), "dev.example.ide");
}

TEST(RunningExecutable, IsThisProgram) {
  const auto path = platform::running_executable_path();
  ASSERT_TRUE(path.has_value());
  EXPECT_TRUE(path->ends_with("/quillo_tests")) << *path;
}

}  // namespace
}  // namespace quillo
