// The exchange's bounds through the whole run: the reply of a request that asks the IDE to wait
// may come after the base read time-out, as long as it comes within the wait and its margin;
// a reply that trickles in, and a request that is never read, are bounded as a whole.
#include <gtest/gtest.h>


#include "cli.hpp"
#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;
using namespace std::chrono_literals;

struct WaitCase {
  std::vector<std::string> args;  ///< each asks for a wait of one second
  std::string method;
  std::string output;
};

const std::vector<WaitCase> kWaits = {
    {{"terminal", "wait", "--timeout", "1"}, "terminal.wait", "timeout\n"},
    {{"browser", "raw", "browser.wait", "--params", R"({"browser_id":"tab-1","timeout":1000})"},
     "browser.wait", "OK\n"},
};

// The outcome of `args` against a stand-in that holds the reply to `method` for `delay`, with
// a base read time-out of 200 ms and a margin of 300 ms (so a one-second wait reads for 1.3 s).
std::string run_wait(const WaitCase& row, std::chrono::milliseconds delay) {
  TempDir dir;
  standin::Ide ide;
  ide.set_delay(row.method, delay);
  standin::Server server(dir.file("s"), standin::serve(ide));
  quillo::StringSink opened, out;
  quillo::RunSettings settings;
  settings.env = [](std::string_view) { return std::nullopt; };
  settings.base_timeouts = {200ms, 5s, 300ms};
  const auto open = parse_args({"browser", "open", "--socket", server.path()});
  if (quillo::run(*open.cli, opened, settings)) return "could not open a tab";
  auto args = row.args;
  args.insert(args.end(), {"--socket", server.path()});
  const ParseOutcome parsed = parse_args(args);
  if (!parsed.cli) return "parse failed: " + parsed.err;
  auto error = quillo::run(*parsed.cli, out, settings);
  return error ? "error: " + error->message : out.text();
}

TEST(WaitExchange, AReplyAfterTheBaseTimeOutButWithinTheWaitSucceeds) {
  for (const auto& row : kWaits) {
    SCOPED_TRACE(joined(row.args));
    EXPECT_EQ(run_wait(row, 700ms), row.output);
  }
}

TEST(WaitExchange, AReplyPastTheWaitAndItsMarginIsAReadError) {
  for (const auto& row : kWaits) {
    SCOPED_TRACE(joined(row.args));
    EXPECT_EQ(run_wait(row, 3000ms), "error: read error: timed out after 1300 ms without data");
  }
}

// Each bound is on the whole of the writing or the reading: no byte that arrives in time, and no
// part of the request written, makes the run wait longer.
TEST(WaitExchange, ABoundOnTheWholeExchange) {
  struct Case {
    const char* name;
    standin::Behaviour behaviour;
    std::vector<std::string> args;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"a byte every 50 ms", standin::trickle(std::string(100, ' ') + "{\"ok\":true}\n", 50ms), {"ping"},
       "read error: timed out after 200 ms before the reply was complete"},
      // More than the socket's buffers hold, to a peer that never reads it.
      {"a request never read", standin::hold_without_reading(5s),
       {"terminal", "send", std::string(16 << 20, 'x'), "--terminal-id", "T1"}, "write error: timed out after 300 ms"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    standin::Server server(dir.file("s"), row.behaviour);
    auto args = row.args;
    args.insert(args.end(), {"--socket", server.path()});
    const ParseOutcome parsed = parse_args(args);
    ASSERT_TRUE(parsed.cli.has_value()) << parsed.err;
    quillo::StringSink out;
    quillo::RunSettings settings;
    settings.env = [](std::string_view) { return std::nullopt; };
    settings.base_timeouts = {200ms, 300ms, 300ms};
    const auto error = quillo::run(*parsed.cli, out, settings);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->message, row.error);
    EXPECT_EQ(out.text(), "");
  }
}

}  // namespace
