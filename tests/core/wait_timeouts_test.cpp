#include "core/wait_timeouts.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "cli.hpp"

namespace quillo {
namespace {

using namespace std::chrono_literals;

// The wait plus 5 s, never less than 30 s; terminal waits in seconds, browser waits in ms; any
// number, rounded up to a millisecond.
TEST(WaitTimeouts, FollowTheWaitAskedFor) {
  struct Case {
    MethodTarget target;
    std::chrono::milliseconds read;
  };
  const std::vector<Case> cases = {
      {{"terminal.wait", {{"timeout", 120}}}, 125s},
      {{"terminal.wait", {{"timeout", 600}}}, 605s},
      {{"terminal.wait", {{"timeout", 25}}}, 30s},
      {{"terminal.wait", {{"timeout", 0}}}, 30s},
      {{"terminal.wait", {{"timeout", 4294967295u}}}, 4294967300s},
      {{"terminal.wait", {{"timeout", "120"}}}, 30s},
      {{"terminal.wait", {{"timeout", 120.0}}}, 125s},
      {{"terminal.wait", {{"timeout", 40.0004}}}, 45001ms},
      {{"browser.wait", {{"timeout", 40000.0}}}, 45s},
      {{"browser.wait", {{"timeout", 30000.2}}}, 35001ms},
      {{"browser.wait", {{"timeout", -40000.0}}}, 30s},
      {{"browser.wait", {{"timeout", 1e300}}}, std::chrono::milliseconds(INT64_MAX)},
      {{"browser.wait", {{"timeout", std::numeric_limits<double>::infinity()}}}, 30s},
      {{"browser.wait", {{"timeout", true}}}, 30s},
      {{"terminal.wait", Json::array()}, 30s},
      {{"browser.wait", {{"timeout", 5000}}}, 30s},
      {{"browser.wait", {{"timeout", 60000}}}, 65s},
      {{"browser.wait", {{"timeout", 25001}}}, 30001ms},
      {{"browser.wait", {{"timeout", -5}}}, 30s},
      {{"browser.wait", {{"timeout", INT64_MAX}}}, std::chrono::milliseconds(INT64_MAX)},
      {{"browser.wait", {{"timeout", 18446744073709551615u}}}, std::chrono::milliseconds(INT64_MAX)},
      {{"terminal.list", {{"timeout", 120}}}, 30s},
      {{"ping", Json::object()}, 30s},
  };
  const ExchangeTimeouts base;  // 30 s read, 5 s write, 5 s margin
  for (const auto& row : cases) {
    SCOPED_TRACE(row.target.method + " " + row.target.params.dump());
    // The unit of the command that sends the method, as a raw call finds it.
    const NodeRef command = find_method(program().root, row.target.method);
    const auto timeouts = timeouts_for(row.target, command.valid() ? command.wait_unit_ms() : 0, base);
    EXPECT_EQ(timeouts.read, row.read);
    EXPECT_EQ(timeouts.write, 5s);
  }
}

}  // namespace
}  // namespace quillo
