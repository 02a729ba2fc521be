#include "commands/browser.hpp"

#include "core/json_parser.hpp"
#include "core/output.hpp"
#include "core/text.hpp"

namespace quillo::browser {
namespace {

using grammar::Argument;
using grammar::option;
using grammar::Values;
using grammar::ValueType;
using Node = grammar::Node<BrowserCommand>;

Argument browser_id(std::string help = {}) {
  return grammar::positional("browser_id", "BROWSER_ID", std::move(help))
      .listed_in("browser list --scope roost", "browser_id");
}

// back, forward, reload, url and title take the browser id and nothing else.
template <class Command>
Node id_only(std::string name, std::string help) {
  return grammar::leaf<BrowserCommand>(
      std::move(name), std::move(help), {browser_id()},
      [](const Values& v) { return Command{.browser_id = v.text("browser_id")}; });
}

Json with_id(const std::string& id) { return Json{{"browser_id", id}}; }

struct Mapper {
  MethodTarget operator()(const List& c) const {
    return {"browser.list", {{"query", c.query.value_or("")}, {"scope", c.scope}}};
  }
  MethodTarget operator()(const Open& c) const {
    return {"browser.open", {{"url", c.url.value_or("")}}};
  }
  MethodTarget operator()(const Close& c) const { return {"browser.close", with_id(c.browser_id)}; }
  MethodTarget operator()(const Navigate& c) const {
    return {"browser.navigate", {{"browser_id", c.browser_id}, {"url", c.url}}};
  }
  MethodTarget operator()(const Back& c) const { return {"browser.back", with_id(c.browser_id)}; }
  MethodTarget operator()(const Forward& c) const {
    return {"browser.forward", with_id(c.browser_id)};
  }
  MethodTarget operator()(const Reload& c) const {
    return {"browser.reload", with_id(c.browser_id)};
  }
  MethodTarget operator()(const Url& c) const { return {"browser.url.get", with_id(c.browser_id)}; }
  MethodTarget operator()(const Title& c) const {
    return {"browser.get.title", with_id(c.browser_id)};
  }
  MethodTarget operator()(const Click& c) const {
    return {"browser.click", {{"browser_id", c.browser_id}, {"selector", c.selector}}};
  }
  MethodTarget operator()(const Fill& c) const {
    return {"browser.fill",
            {{"browser_id", c.browser_id}, {"selector", c.selector}, {"text", c.text}}};
  }
  MethodTarget operator()(const Type& c) const {
    return {"browser.type",
            {{"browser_id", c.browser_id}, {"selector", c.selector}, {"text", c.text}}};
  }
  MethodTarget operator()(const Press& c) const {
    return {"browser.press", {{"browser_id", c.browser_id}, {"key", c.key}}};
  }
  MethodTarget operator()(const Snapshot& c) const {
    return {"browser.snapshot",
            {{"browser_id", c.browser_id}, {"max_depth", integer_or_null(c.max_depth)}}};
  }
  MethodTarget operator()(const Eval& c) const {
    return {"browser.eval", {{"browser_id", c.browser_id}, {"script", c.script}}};
  }
  MethodTarget operator()(const Wait& c) const {
    return {"browser.wait",
            {{"browser_id", c.browser_id},
             {"selector", string_or_null(c.selector)},
             {"text_contains", string_or_null(c.text)},
             {"timeout", c.timeout},
             {"url_contains", string_or_null(c.url_contains)}}};
  }
  MethodTarget operator()(const Screenshot& c) const {
    return {"browser.screenshot", {{"browser_id", c.browser_id}, {"full_page", c.full_page}}};
  }
  MethodTarget operator()(const Raw& c) const {
    auto params = parse_raw_params(c.params);
    // The parser has already refused params that do not parse.
    Json* value = params.ok() ? &params.value() : nullptr;
    return {c.method, value != nullptr ? std::move(*value) : Json::object()};
  }
};

}  // namespace

Result<Json> parse_raw_params(std::string_view text) {
  if (!is_valid_utf8(text)) return Error{"invalid UTF-8"};
  if (text.find_first_not_of(" \t\n\r") == std::string_view::npos) return Json::object();
  return parse_json(text);
}

grammar::Node<BrowserCommand> grammar() {
  using grammar::leaf;
  Argument raw_params =
      option("--params", "PARAMS", "JSON params string").with_default("{}").or_from_file("--params-file");
  raw_params.check = [](const std::string& text) -> std::string {
    auto parsed = parse_raw_params(text);
    if (!parsed.ok()) return "invalid JSON: " + parsed.error();
    return {};
  };
  return grammar::group<BrowserCommand>(
      kName, kHelp,
      leaf<BrowserCommand>(
          "list", "List open browser tabs in the focused roost",
          {option("--query", "QUERY", "Filter by title or URL substring"),
           option("--scope", "SCOPE",
                  "Filter by ownership scope: \"project\" (default, only browsers owned by "
                  "QUILLO_PROJECT_PATH / focused project) or \"roost\" (all browsers in the "
                  "roost, opt-in for cross-project listings)")
               .with_default("project")
               .with_choices({"project", "roost"})},
          [](const Values& v) {
            return List{.query = v.maybe_text("query"), .scope = v.text("scope")};
          })
          .example("quillo browser list",
                   "tab-1  Docs  https://docs.example.test/"),
      leaf<BrowserCommand>("open", "Open a new browser tab",
                           {grammar::positional("url", "URL", "URL to load", false)},
                           [](const Values& v) { return Open{.url = v.maybe_text("url")}; })
          .example("quillo browser open https://docs.example.test/",
                   "opened: tab-1"),
      leaf<BrowserCommand>("close", "Close a browser tab",
                           {browser_id("Browser ID (from `browser list`)")},
                           [](const Values& v) {
                             return Close{.browser_id = v.text("browser_id")};
                           })
          .example("quillo browser close tab-1",
                   "closed"),
      leaf<BrowserCommand>(
          "navigate", "Navigate to a URL",
          {browser_id("Browser ID"), grammar::positional("url", "URL", "URL to navigate to")},
          [](const Values& v) {
            return Navigate{.browser_id = v.text("browser_id"), .url = v.text("url")};
          })
          .example("quillo browser navigate tab-1 https://docs.example.test/api",
                   "OK"),
      id_only<Back>("back", "Go back in history")
          .example("quillo browser back tab-1",
                   "OK"),
      id_only<Forward>("forward", "Go forward in history")
          .example("quillo browser forward tab-1",
                   "OK"),
      id_only<Reload>("reload", "Reload the page")
          .example("quillo browser reload tab-1",
                   "OK"), id_only<Url>("url", "Get the current URL")
          .example("quillo browser url tab-1",
                   "https://docs.example.test/api"),
      id_only<Title>("title", "Get the page title")
          .example("quillo browser title tab-1",
                   "API reference"),
      leaf<BrowserCommand>(
          "click", "Click an element",
          {browser_id(), option("--selector", "SELECTOR", "CSS selector").require()},
          [](const Values& v) {
            return Click{.browser_id = v.text("browser_id"), .selector = v.text("selector")};
          })
          .example("quillo browser click tab-1 --selector '#search'",
                   "OK"),
      leaf<BrowserCommand>(
          "fill", "Fill an input field",
          {browser_id(), option("--selector", "SELECTOR", "CSS selector").require(),
           option("--text", "TEXT", "Text to fill").require().or_from_file("--text-file")},
          [](const Values& v) {
            return Fill{.browser_id = v.text("browser_id"),
                        .selector = v.text("selector"),
                        .text = v.text("text")};
          })
          .example("quillo browser fill tab-1 --selector '#email' --text me@example.test",
                   "OK"),
      leaf<BrowserCommand>("type", "Type text character-by-character",
                           {browser_id(), option("--selector", "SELECTOR").require(),
                            option("--text", "TEXT").require().or_from_file("--text-file")},
                           [](const Values& v) {
                             return Type{.browser_id = v.text("browser_id"),
                                         .selector = v.text("selector"),
                                         .text = v.text("text")};
                           })
          .example("quillo browser type tab-1 --selector '#q' --text hello",
                   "OK"),
      leaf<BrowserCommand>(
          "press", "Press a key",
          {browser_id(), grammar::positional("key", "KEY", "Key name (e.g. Enter, Tab, Escape)")},
          [](const Values& v) {
            return Press{.browser_id = v.text("browser_id"), .key = v.text("key")};
          })
          .example("quillo browser press tab-1 Enter",
                   "OK"),
      leaf<BrowserCommand>(
          "snapshot", "Get accessibility tree snapshot",
          {browser_id(), option("--max-depth", "MAX_DEPTH", "Max DOM depth (default 12)")
                             .of_type(ValueType::Int64)
                             .counting("a whole number of levels")},
          [](const Values& v) {
            return Snapshot{.browser_id = v.text("browser_id"),
                            .max_depth = v.maybe_int64("max_depth")};
          })
          .example("quillo browser snapshot tab-1 --max-depth 2",
                   "- document\n  - heading \"API reference\"\n  - link \"Home\""),
      leaf<BrowserCommand>(
          "eval", "Execute JavaScript",
          {browser_id(),
           grammar::positional("script", "SCRIPT", "JavaScript code").or_from_file("--script-file")},
          [](const Values& v) {
            return Eval{.browser_id = v.text("browser_id"), .script = v.text("script")};
          })
          .example("quillo browser eval tab-1 document.title",
                   "API reference")
          .example("quillo browser eval tab-1 --script-file check.js",
                   "{\n  \"errors\": 0\n}"),
      leaf<BrowserCommand>(
          "wait", "Wait for a condition",
          {browser_id(), option("--selector", "SELECTOR", "CSS selector to wait for"),
           option("--text", "TEXT", "Text to wait for"),
           option("--url-contains", "URL_CONTAINS", "URL substring to wait for"),
           option("--timeout", "TIMEOUT", "Timeout in milliseconds")
               .of_type(ValueType::Int64)
               .counting("a whole number of milliseconds")
               .with_default("5000")},
          [](const Values& v) {
            return Wait{.browser_id = v.text("browser_id"),
                        .selector = v.maybe_text("selector"),
                        .text = v.maybe_text("text"),
                        .url_contains = v.maybe_text("url_contains"),
                        .timeout = v.int64("timeout")};
          })
          .example("quillo browser wait tab-1 --text Welcome --timeout 10000",
                   "OK"),
      leaf<BrowserCommand>(
          "screenshot", "Capture a screenshot",
          {browser_id("Browser tab ID (tagged or bare UUID)"),
           grammar::flag("--full-page",
                         "Capture the entire scrollable document. Default captures only the "
                         "visible viewport")},
          [](const Values& v) {
            return Screenshot{.browser_id = v.text("browser_id"), .full_page = v.flag("full_page")};
          })
          .example("quillo browser screenshot tab-1 --full-page",
                   "screenshot captured (20480 bytes)"),
      leaf<BrowserCommand>(
          "raw", "Send any browser.* method with raw JSON params",
          {grammar::positional("method", "METHOD", "Full method name (e.g. browser.get.text)"),
           raw_params},
          [](const Values& v) {
            return Raw{.method = v.text("method"), .params = v.text("params")};
          })
          .example("quillo browser raw browser.get.title --params '{\"browser_id\":\"tab-1\"}'",
                   "API reference"));
}

MethodTarget to_target(const BrowserCommand& command) { return std::visit(Mapper{}, command); }

namespace {

void print_tab(const Json& tab, Sink& out) {
  out << text_or(tab, "browser_id", "?") << "  " << text_or(tab, "title", "") << "  "
      << text_or(tab, "url", "") << '\n';
}

}  // namespace

const ListRendering kList{"tabs", "(no browser tabs)", print_tab};

void render_open(const Json& result, Sink& out) {
  out << "opened: " << text_or(result, "browser_id", "?") << '\n';
}

void render_close(const Json&, Sink& out) { out << "closed\n"; }

void render_url(const Json& result, Sink& out) {
  out << text_or(result, "url", "") << '\n';
}

void render_title(const Json& result, Sink& out) {
  out << text_or(result, "title", "") << '\n';
}

void render_snapshot(const Json& result, Sink& out) {
  out << text_or(result, "snapshot", "(empty)") << '\n';
}

void render_eval(const Json& result, Sink& out) {
  const Json* value = member(result, "value");
  if (value == nullptr) {
    out << "OK\n";
  } else if (value->is_string()) {
    out << value->get_ref<const std::string&>() << '\n';
  } else {
    print_pretty(*value, out);
  }
}

void render_screenshot(const Json& result, Sink& out) {
  out << "screenshot captured (" << int64_or_zero(result, "size") << " bytes)\n";
}

}  // namespace quillo::browser
