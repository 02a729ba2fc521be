#include <gtest/gtest.h>

#include <sstream>

#include "cli.hpp"
#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;
using namespace std::chrono_literals;

TEST(Browser, TabAndNavigationRequests) {
  expect_requests({
      {{"browser", "list"}, "browser.list", R"({"query":"","scope":"project"})"},
      {{"browser", "list", "--query", "docs", "--scope", "roost"}, "browser.list",
       R"({"query":"docs","scope":"roost"})"},
      {{"browser", "list", "--scope", "everywhere"}, "browser.list", R"({"query":"","scope":"everywhere"})"},
      {{"browser", "open"}, "browser.open", R"({"url":""})"},
      {{"browser", "open", "https://example.com"}, "browser.open", R"({"url":"https://example.com"})"},
      {{"browser", "open", "list"}, "browser.open", R"({"url":"list"})"},
      {{"browser", "close", "B1"}, "browser.close", R"({"browser_id":"B1"})"},
      {{"browser", "navigate", "B1", "https://x.test/a?b=c"}, "browser.navigate",
       R"({"browser_id":"B1","url":"https://x.test/a?b=c"})"},
      {{"browser", "back", "B1"}, "browser.back", R"({"browser_id":"B1"})"},
      {{"browser", "forward", "B1"}, "browser.forward", R"({"browser_id":"B1"})"},
      {{"browser", "reload", "B1"}, "browser.reload", R"({"browser_id":"B1"})"},
      {{"browser", "url", "B1"}, "browser.url.get", R"({"browser_id":"B1"})"},
      {{"browser", "title", "B1"}, "browser.get.title", R"({"browser_id":"B1"})"},
  });
}

TEST(Browser, PageInteractionRequests) {
  expect_requests({
      {{"browser", "click", "B1", "--selector", "#go"}, "browser.click",
       R"({"browser_id":"B1","selector":"#go"})"},
      {{"browser", "fill", "B1", "--text", "me@x.test", "--selector", "input[name=email]"}, "browser.fill",
       R"({"browser_id":"B1","selector":"input[name=email]","text":"me@x.test"})"},
      {{"browser", "type", "B1", "--selector", "#q", "--text", "hello"}, "browser.type",
       R"({"browser_id":"B1","selector":"#q","text":"hello"})"},
      {{"browser", "press", "B1", "Enter"}, "browser.press", R"({"browser_id":"B1","key":"Enter"})"},
      {{"browser", "snapshot", "B1"}, "browser.snapshot", R"({"browser_id":"B1","max_depth":null})"},
      {{"browser", "snapshot", "B1", "--max-depth", "3"}, "browser.snapshot",
       R"({"browser_id":"B1","max_depth":3})"},
      {{"browser", "snapshot", "B1", "--max-depth=-1"}, "browser.snapshot",
       R"({"browser_id":"B1","max_depth":-1})"},
      {{"browser", "eval", "B1", "document.title"}, "browser.eval",
       R"({"browser_id":"B1","script":"document.title"})"},
      {{"browser", "wait", "B1"}, "browser.wait",
       R"({"browser_id":"B1","selector":null,"text_contains":null,"timeout":5000,"url_contains":null})"},
      {{"browser", "wait", "B1", "--text", "Welcome"}, "browser.wait",
       R"({"browser_id":"B1","selector":null,"text_contains":"Welcome","timeout":5000,"url_contains":null})"},
      {{"browser", "wait", "B1", "--selector", "#a", "--url-contains", "/done", "--timeout=-5"}, "browser.wait",
       R"({"browser_id":"B1","selector":"#a","text_contains":null,"timeout":-5,"url_contains":"/done"})"},
      {{"browser", "wait", "B1", "--timeout", "0"}, "browser.wait",
       R"({"browser_id":"B1","selector":null,"text_contains":null,"timeout":0,"url_contains":null})"},
      {{"browser", "wait", "B1", "--timeout", "9223372036854775807"}, "browser.wait",
       R"({"browser_id":"B1","selector":null,"text_contains":null,"timeout":9223372036854775807,"url_contains":null})"},
      {{"browser", "screenshot", "B1"}, "browser.screenshot", R"({"browser_id":"B1","full_page":false})"},
      {{"browser", "screenshot", "B1", "--full-page"}, "browser.screenshot",
       R"({"browser_id":"B1","full_page":true})"},
  });
}

TEST(Browser, RawRequests) {
  expect_requests({
      {{"browser", "raw", "browser.get.text"}, "browser.get.text", "{}"},
      {{"browser", "raw", "browser.get.text", "--params", R"({"browser_id":"B1", "z":1, "a":[1, 2]})"},
       "browser.get.text", R"({"a":[1,2],"browser_id":"B1","z":1})"},
      {{"browser", "raw", "browser.x", "--params", ""}, "browser.x", "{}"},
      {{"browser", "raw", "browser.x", "--params", " \n\t "}, "browser.x", "{}"},
      {{"browser", "raw", "browser.x", "--params="}, "browser.x", "{}"},
      {{"browser", "raw", "browser.x", "--params", "[1,\"two\"]"}, "browser.x", R"([1,"two"])"},
      {{"browser", "raw", "browser.x", "--params", "\"text\""}, "browser.x", R"("text")"},
      {{"browser", "raw", "browser.x", "--params", "null"}, "browser.x", "null"},
      {{"browser", "raw", "browser.x", "--params", " 42 "}, "browser.x", "42"},
      {{"browser", "raw", "browser.x", "--params", R"({"a":1,"a":2})"}, "browser.x", R"({"a":2})"},
      {{"browser", "raw", "terminal.list"}, "terminal.list", "{}"},
      {{"browser", "raw", ""}, "", "{}"},
      {{"browser", "raw", " browser.list "}, " browser.list ", "{}"},
  });
}

TEST(Browser, RawParamsBlankMeansJsonWhiteSpace) {
  expect_requests({{{"browser", "raw", "m", "--params", " \r\n\t"}, "m", "{}"}});
  expect_usage_errors({{{"browser", "raw", "m", "--params", "\f"}, "--params: invalid JSON"},
                       {{"browser", "raw", "m", "--params", "\xC2\xA0"}, "--params: invalid JSON"}});
}

TEST(Browser, Help) {
  expect_help({
      {{"browser"},
       {"Browser operations", "\n  list ", "\n  open ", "\n  close ", "\n  navigate ", "\n  back ", "\n  forward ",
        "\n  reload ", "\n  url ", "\n  title ", "\n  click ", "\n  fill ", "\n  type ", "\n  press ",
        "\n  snapshot ", "\n  eval ", "\n  wait ", "\n  screenshot ", "\n  raw "}},
      {{"browser", "list", "-h"},
       {"--scope SCOPE=project       Filter by ownership scope: \"project\" (default, only browsers owned by "
        "QUILLO_PROJECT_PATH / focused project) or \"roost\" (all browsers in the roost, opt-in for "
        "cross-project listings)"}},
      {{"browser", "close", "-h"}, {"BROWSER_ID REQUIRED         Browser ID (from `browser list`)"}},
      {{"browser", "wait", "-h"}, {"--timeout TIMEOUT=5000      Timeout in milliseconds"}},
      {{"browser", "raw", "-h"}, {"--params PARAMS={}          JSON params string"}},
      {{"browser", "screenshot", "-h"},
       {"--full-page                 Capture the entire scrollable document. Default captures only the "
        "visible viewport"}},
  });
}

TEST(Browser, UsageErrors) {
  expect_usage_errors({
      {{"browser", "close"}, "BROWSER_ID is required"},
      {{"browser", "navigate", "B1"}, "URL is required"},
      {{"browser", "navigate", "B1", "u", "v"}, "not expected: v"},
      {{"browser", "back"}, "BROWSER_ID is required"},
      {{"browser", "click", "B1"}, "--selector is required"},
      {{"browser", "fill", "B1", "--selector", "#a"}, "--text is required"},
      {{"browser", "type", "B1", "--text", "t"}, "--selector is required"},
      {{"browser", "press", "B1"}, "KEY is required"},
      {{"browser", "eval", "B1"}, "SCRIPT is required"},
      {{"browser", "snapshot", "B1", "--max-depth", "1.5"}, "not a signed 64-bit integer"},
      {{"browser", "snapshot", "B1", "--max-depth", "0x10"}, "not a signed 64-bit integer"},
      {{"browser", "wait", "B1", "--timeout", "9223372036854775808"}, "not a signed 64-bit integer"},
      {{"browser", "wait", "B1", "--timeout", "1e3"}, "not a signed 64-bit integer"},
      {{"browser", "wait", "B1", "--timeout", ""}, "not a signed 64-bit integer"},
      {{"browser", "screenshot", "B1", "--full-page=false"}, "takes no value"},
      {{"browser", "raw"}, "METHOD is required"},
      {{"browser", "raw", "browser.x", "--params", "{\"a\":"}, "--params: invalid JSON: parse error at line 1, column 6"},
      {{"browser", "raw", "browser.x", "--params", "{browser_id: B1}"}, "--params: invalid JSON"},
      {{"browser", "raw", "browser.x", "--params", "{} {}"}, "--params: invalid JSON"},
      {{"browser", "raw", "browser.x", "--params", "1e400"}, "--params: invalid JSON"},
      {{"browser", "raw", "browser.x", "--params", "\xEF\xBB\xBF{}"}, "--params"},
      {{"browser", "raw", "browser.x", "--params", std::string(600, '[') + std::string(600, ']')},
       "--params: invalid JSON: nesting deeper than 512 levels"},
  });
}

TEST(Browser, Renderings) {
  expect_renderings({
      {"browser.list", R"({"tabs":[]})", "(no browser tabs)\n"},
      {"browser.list", "{}", ""},
      {"browser.list", R"({"tabs":{}})", ""},
      {"browser.list", R"({"tabs":[{"browser_id":"B1","title":"Docs","url":"https://d.test"}]})",
       "B1  Docs  https://d.test\n"},
      {"browser.list", R"({"tabs":[{"url":"https://d.test"},{"browser_id":7,"title":null},"x"]})",
       "?    https://d.test\n?    \n?    \n"},
      {"browser.open", R"({"browser_id":"B2"})", "opened: B2\n"},
      {"browser.open", R"({"browser_id":2})", "opened: ?\n"},
      {"browser.close", "null", "closed\n"},
      {"browser.close", R"({"closed":false})", "closed\n"},
      {"browser.url.get", R"({"url":"https://x.test/"})", "https://x.test/\n"},
      {"browser.url.get", R"({"url":null})", "\n"},
      {"browser.get.title", R"({"title":"Home"})", "Home\n"},
      {"browser.get.title", "{}", "\n"},
      {"browser.navigate", "{}", "OK\n"},
      {"browser.back", "null", "OK\n"},
      {"browser.forward", R"({"url":"x"})", "OK\n"},
      {"browser.reload", "[]", "OK\n"},
      {"browser.click", "{}", "OK\n"},
      {"browser.wait", R"({"matched":false})", "OK\n"},
      {"browser.get.text", R"({"text":"page text"})", "OK\n"},
      {"browser.snapshot", R"({"snapshot":"- document\n  - link \"Home\""})",
       "- document\n  - link \"Home\"\n"},
      {"browser.snapshot", "{}", "(empty)\n"},
      {"browser.snapshot", R"({"snapshot":{"tree":1}})", "(empty)\n"},
      {"browser.eval", R"({"value":"a \"quoted\" text"})", "a \"quoted\" text\n"},
      {"browser.eval", R"({"value":42})", "42\n"},
      {"browser.eval", R"({"value":null})", "null\n"},
      {"browser.eval", R"({"value":true})", "true\n"},
      {"browser.eval", R"({"value":{"b":1}})", "{\n  \"b\": 1\n}\n"},
      {"browser.eval", R"({"value":[1,[]]})", "[\n  1,\n  []\n]\n"},
      {"browser.eval", "{}", "OK\n"},
      {"browser.eval", "\"value\"", "OK\n"},
      {"browser.screenshot", R"({"size":20480,"data":"iVBOR"})", "screenshot captured (20480 bytes)\n"},
      {"browser.screenshot", R"({"size":-3})", "screenshot captured (-3 bytes)\n"},
      {"browser.screenshot", R"({"size":1.5})", "screenshot captured (0 bytes)\n"},
      {"browser.screenshot", R"({"size":"2048"})", "screenshot captured (0 bytes)\n"},
      {"browser.screenshot", R"({"size":18446744073709551615})", "screenshot captured (0 bytes)\n"},
      {"browser.screenshot", "{}", "screenshot captured (0 bytes)\n"},
  });
}

// A raw call is rendered by its method name, through the same table as everything else.
TEST(Browser, RawCallsAreRenderedByTheirMethod) {
  TempDir dir;
  standin::Ide ide;
  standin::Server server(dir.file("s"), standin::serve(ide));
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--socket", server.path()});
    const ParseOutcome parsed = parse_args(args);
    std::ostringstream out;
    quillo::RunSettings settings;
    settings.env = [](std::string_view) { return std::nullopt; };
    auto error = quillo::run(*parsed.cli, out, settings);
    return error ? "error: " + error->message : out.str();
  };
  EXPECT_EQ(run({"browser", "open", "https://a.test"}), "opened: tab-1\n");
  EXPECT_EQ(run({"browser", "raw", "browser.list"}), "tab-1  Page at https://a.test  https://a.test\n");
  EXPECT_EQ(run({"browser", "raw", "browser.get.text", "--params", R"({"browser_id":"tab-1"})"}), "OK\n");
  EXPECT_EQ(run({"browser", "raw", "terminal.list"}), "*  term-1  zsh  /Users/demo/project\n");
  EXPECT_EQ(run({"browser", "raw", "browser.get.text"}),
            "error: invalid_params: missing string parameter \"browser_id\"");
}

}  // namespace
