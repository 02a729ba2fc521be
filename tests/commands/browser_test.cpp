#include <gtest/gtest.h>


#include "cli.hpp"
#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;

TEST(Browser, Requests) {
  expect_requests({
      {{"browser", "list"}, "browser.list", R"({"query":"","scope":"project"})"},
      {{"browser", "list", "--query", "docs", "--scope", "everywhere"}, "browser.list",
       R"({"query":"docs","scope":"everywhere"})"},
      {{"browser", "open"}, "browser.open", R"({"url":""})"},
      {{"browser", "open", "list"}, "browser.open", R"({"url":"list"})"},
      {{"browser", "close", "B1"}, "browser.close", R"({"browser_id":"B1"})"},
      {{"browser", "navigate", "B1", "https://x.test/a?b=c"}, "browser.navigate",
       R"({"browser_id":"B1","url":"https://x.test/a?b=c"})"},
      {{"browser", "back", "B1"}, "browser.back", R"({"browser_id":"B1"})"},
      {{"browser", "forward", "B1"}, "browser.forward", R"({"browser_id":"B1"})"},
      {{"browser", "reload", "B1"}, "browser.reload", R"({"browser_id":"B1"})"},
      {{"browser", "url", "B1"}, "browser.url.get", R"({"browser_id":"B1"})"},
      {{"browser", "title", "B1"}, "browser.get.title", R"({"browser_id":"B1"})"},
      {{"browser", "click", "B1", "--selector", "#go"}, "browser.click",
       R"({"browser_id":"B1","selector":"#go"})"},
      {{"browser", "fill", "B1", "--text", "me@x.test", "--selector", "input"}, "browser.fill",
       R"({"browser_id":"B1","selector":"input","text":"me@x.test"})"},
      {{"browser", "type", "B1", "--selector", "#q", "--text", "hello"}, "browser.type",
       R"({"browser_id":"B1","selector":"#q","text":"hello"})"},
      {{"browser", "press", "B1", "Enter"}, "browser.press", R"({"browser_id":"B1","key":"Enter"})"},
      {{"browser", "snapshot", "B1"}, "browser.snapshot", R"({"browser_id":"B1","max_depth":null})"},
      {{"browser", "snapshot", "B1", "--max-depth=-1"}, "browser.snapshot",
       R"({"browser_id":"B1","max_depth":-1})"},
      {{"browser", "eval", "B1", "document.title"}, "browser.eval",
       R"({"browser_id":"B1","script":"document.title"})"},
      {{"browser", "wait", "B1"}, "browser.wait",
       R"({"browser_id":"B1","selector":null,"text_contains":null,"timeout":5000,"url_contains":null})"},
      {{"browser", "wait", "B1", "--selector", "#a", "--text", "Hi", "--url-contains", "/done", "--timeout=-5"},
       "browser.wait",
       R"({"browser_id":"B1","selector":"#a","text_contains":"Hi","timeout":-5,"url_contains":"/done"})"},
      {{"browser", "screenshot", "B1"}, "browser.screenshot", R"({"browser_id":"B1","full_page":false})"},
      {{"browser", "screenshot", "B1", "--full-page"}, "browser.screenshot",
       R"({"browser_id":"B1","full_page":true})"},
  });
}

// The params of a raw call: {} when not given or blank, else exactly one JSON value of any kind.
TEST(Browser, RawRequests) {
  expect_requests({
      {{"browser", "raw", "browser.get.text"}, "browser.get.text", "{}"},
      {{"browser", "raw", "browser.x", "--params", R"({"z":1, "a":[1, 2]})"}, "browser.x", R"({"a":[1,2],"z":1})"},
      {{"browser", "raw", "browser.x", "--params="}, "browser.x", "{}"},
      {{"browser", "raw", "browser.x", "--params", " \r\n\t"}, "browser.x", "{}"},
      {{"browser", "raw", "browser.x", "--params", "[1,\"two\"]"}, "browser.x", R"([1,"two"])"},
      {{"browser", "raw", "browser.x", "--params", " null "}, "browser.x", "null"},
      {{"browser", "raw", " terminal.list "}, " terminal.list ", "{}"},
  });
  expect_usage_errors({
      {{"browser", "raw", "m", "--params", "\f"}, "--params: invalid JSON"},
      {{"browser", "raw", "m", "--params", "\xC2\xA0{}"}, "--params: invalid JSON"},
      {{"browser", "raw", "m", "--params", "{\"a\":"}, "--params: invalid JSON: parse error at line 1, column 6"},
      {{"browser", "raw", "m", "--params", "{} {}"}, "--params: invalid JSON"},
      {{"browser", "raw", "m", "--params", "\xEF\xBB\xBF{}"}, "--params: invalid JSON: unexpected byte-order mark"},
      {{"browser", "raw", "m", "--params", std::string(600, '[') + std::string(600, ']')},
       "--params: invalid JSON: nesting deeper than 512 levels"},
  });
}

TEST(Browser, Renderings) {
  expect_renderings({
      {"browser.list", R"({"tabs":[]})", "(no browser tabs)\n"},
      {"browser.list", "{}", ""},
      {"browser.list", R"({"tabs":[{"browser_id":"B1","title":"Docs","url":"https://d.test"},{},"x"]})",
       "B1  Docs  https://d.test\n?    \n?    \n"},
      {"browser.open", R"({"browser_id":"B2"})", "opened: B2\n"},
      {"browser.open", "{}", "opened: ?\n"},
      {"browser.close", R"({"closed":false})", "closed\n"},
      {"browser.url.get", R"({"url":"https://x.test/"})", "https://x.test/\n"},
      {"browser.url.get", "{}", "\n"},
      {"browser.get.title", R"({"title":"Home"})", "Home\n"},
      {"browser.get.title", "{}", "\n"},
      // Other browser methods are acknowledged; other methods still, and any other case, are
      // shown as pretty JSON.
      {"browser.navigate", R"({"anything":[1,2]})", "OK\n"},
      {"browser.some.future.method", "null", "OK\n"},
      {"Browser.navigate", "null", "null\n"},
      {"browser.", "null", "OK\n"},
      {"browser", "null", "null\n"},
      {"terminal.zoom", "[1]", "[\n  1\n]\n"},
      {"ping.x", "null", "null\n"},
      {"", "null", "null\n"},
      {"no.such.method", R"({"b":1,"a":[]})", "{\n  \"a\": [],\n  \"b\": 1\n}\n"},
      {"browser.snapshot", R"({"snapshot":"- document\n  - link \"Home\""})", "- document\n  - link \"Home\"\n"},
      {"browser.snapshot", "{}", "(empty)\n"},
      {"browser.eval", R"({"value":"a \"quoted\" text"})", "a \"quoted\" text\n"},
      {"browser.eval", R"({"value":null})", "null\n"},
      {"browser.eval", R"({"value":{"b":[1,true]}})", "{\n  \"b\": [\n    1,\n    true\n  ]\n}\n"},
      {"browser.eval", "{}", "OK\n"},
      {"browser.screenshot", R"({"size":20480,"data":"iVBOR"})", "screenshot captured (20480 bytes)\n"},
      {"browser.screenshot", "{}", "screenshot captured (0 bytes)\n"},
  });
}

}  // namespace
