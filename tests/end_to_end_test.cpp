// The built executable against the stand-in IDE: exit statuses, streams, no stray connections.
#include <gtest/gtest.h>

#include "ide.hpp"
#include "server.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;

class EndToEnd : public ::testing::Test {
 protected:
  ProcessResult quillo(std::vector<std::string> args, std::vector<std::string> env = {},
                       StdoutMode mode = StdoutMode::Capture) {
    env.push_back("HOME=" + dir_.path());
    ProcessOptions options = with_env(std::move(env));
    options.stdout_mode = mode;
    return run_quillo(args, options);
  }

  TempDir dir_;
  standin::Ide ide_;
  standin::Server server_{dir_.file("ide.sock"), standin::serve(ide_)};
};

TEST_F(EndToEnd, SuccessPrintsTheRenderingAndExitsZero) {
  const auto result = quillo({"--socket", server_.path(), "ping"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "ok  Quillo 0.1.0 (build standin)  protocol=1\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(EndToEnd, GlobalOptionsAfterTheSubcommand) {
  const auto result = quillo({"whoami", "--json", "--socket", server_.path()},
                             {"QUILLO_ROOST=main", "QUILLO_CONTEXT=", "QUILLO_PROJECT_PATH=/p"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "{\"project\":\"/p\",\"roost\":\"main\",\"surface\":null}\n");
}

TEST_F(EndToEnd, SocketFromTheEnvironment) {
  const auto result = quillo({"ping", "--json"}, {"QUILLO_SOCKET=" + server_.path()});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(server_.connections(), 1u);
}

TEST_F(EndToEnd, AnErrorReplyExitsOneWithNothingOnStdout) {
  for (const char* json : {"--json", "--socket"}) {
    std::vector<std::string> args{"help", "no.such", "--socket", server_.path()};
    if (std::string(json) == "--json") args.push_back(json);
    const auto result = quillo(args);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quillo: unknown_method: no method named no.such\n");
  }
}

TEST_F(EndToEnd, RunErrorsAreReportedWithThePrefix) {
  auto result = run_quillo({"ping"}, with_env({"QUILLO_BUNDLE_ID=b"}));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "quillo: HOME not set; cannot resolve default socket path\n");

  const std::string missing = dir_.file("none.sock");
  result = quillo({"ping", "--socket", missing});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "quillo: could not connect to " + missing +
                            ": No such file or directory (is Quillo running and Agent CLI "
                            "enabled?)\n");
}

TEST_F(EndToEnd, UsageErrorsExitTwoAndOpenNoConnection) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"ping", "extra"},
           {"bogus"},
           {"--json"},
           {},
           {"help", "\xFF"},
           {"ping", "--json=true"}}) {
    std::vector<std::string> full{"--socket", server_.path()};
    full.insert(full.end(), args.begin(), args.end());
    const auto result = quillo(full);
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
  }
  const auto empty_socket = quillo({"--socket", "", "ping"});
  EXPECT_EQ(empty_socket.exit_status, 2);
  EXPECT_NE(empty_socket.err.find("--socket: value must not be empty"), std::string::npos);
  EXPECT_EQ(server_.connections(), 0u);
}

TEST_F(EndToEnd, HelpAndVersionGoToStdoutWithStatusZero) {
  auto result = quillo({"--help"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_NE(result.out.find("Usage: quillo [OPTIONS] SUBCOMMAND"), std::string::npos);
  EXPECT_EQ(result.err, "");
  result = quillo({"-V"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "quillo 0.1.0\n");
  result = quillo({});
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("Usage: quillo [OPTIONS] SUBCOMMAND"), std::string::npos);
}

}  // namespace
