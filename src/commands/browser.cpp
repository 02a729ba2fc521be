#include "commands/browser.hpp"

#include "core/json_document.hpp"
#include "core/json_parser.hpp"
#include "core/output.hpp"
#include "core/text.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::browser {
namespace {

// ---- Parameters.

Json list(std::optional<std::string_view> query, std::string_view scope) {
  return {{"query", query.value_or("")}, {"scope", scope}};
}

Json open(std::optional<std::string_view> url) { return {{"url", url.value_or("")}}; }

// back, forward, reload, url, title and close take the browser id and nothing else.
Json with_id(std::string_view browser_id) { return {{"browser_id", browser_id}}; }

Json navigate(std::string_view browser_id, std::string_view url) {
  return {{"browser_id", browser_id}, {"url", url}};
}

Json click(std::string_view browser_id, std::string_view selector) {
  return {{"browser_id", browser_id}, {"selector", selector}};
}

// fill and type.
Json fill(std::string_view browser_id, std::string_view selector, std::string_view text) {
  return {{"browser_id", browser_id}, {"selector", selector}, {"text", text}};
}

Json press(std::string_view browser_id, std::string_view key) {
  return {{"browser_id", browser_id}, {"key", key}};
}

Json snapshot(std::string_view browser_id, std::optional<std::int64_t> max_depth) {
  return {{"browser_id", browser_id}, {"max_depth", integer_or_null(max_depth)}};
}

Json eval(std::string_view browser_id, std::string_view script) {
  return {{"browser_id", browser_id}, {"script", script}};
}

Json wait(std::string_view browser_id, std::optional<std::string_view> selector,
          std::optional<std::string_view> text, std::optional<std::string_view> url_contains,
          std::int64_t timeout) {
  return {{"browser_id", browser_id},
          {"selector", string_or_null(selector)},
          {"text_contains", string_or_null(text)},
          {"timeout", timeout},
          {"url_contains", string_or_null(url_contains)}};
}

Json screenshot(std::string_view browser_id, bool full_page) {
  return {{"browser_id", browser_id}, {"full_page", full_page}};
}

// The parser has checked the text already.
Json raw(std::string_view /*method*/, std::string_view params) {
  auto parsed = parse_raw_params(params);
  return parsed.ok() ? std::move(parsed.value()) : Json::object();
}

MaybeError check_raw_params(std::string_view text) {
  const auto parsed = parse_raw_params(text);
  if (!parsed.ok()) return Error{"invalid JSON: " + parsed.error()};
  return std::nullopt;
}

// ---- Renderings.

void print_tab(const JsonView& tab, Sink& out) {
  const Members m(tab);
  out << m.text_or("browser_id", "?") << "  " << m.text_or("title", "") << "  " << m.text_or("url", "") << '\n';
}

void render_open(const JsonView& result, Sink& out) {
  out << "opened: " << Members(result).text_or("browser_id", "?") << '\n';
}

void render_close(const JsonView&, Sink& out) { out << "closed\n"; }

void render_url(const JsonView& result, Sink& out) { out << Members(result).text_or("url", "") << '\n'; }

void render_title(const JsonView& result, Sink& out) { out << Members(result).text_or("title", "") << '\n'; }

void render_snapshot(const JsonView& result, Sink& out) {
  out << Members(result).text_or("snapshot", "(empty)") << '\n';
}

// A string as its text; any other value as indented JSON.
void render_eval(const JsonView& result, Sink& out) {
  const auto value = Members(result)["value"];
  if (!value) {
    out << "OK\n";
  } else if (value->kind() == JsonKind::String) {
    out << value->text() << '\n';
  } else {
    print_pretty(*value, out);
  }
}

void render_screenshot(const JsonView& result, Sink& out) {
  out << "screenshot captured (" << Members(result).int64_or_zero("size") << " bytes)\n";
}

// ---- The commands.

constexpr Argument browser_id(std::string_view help = {}) {
  return positional("browser_id", "BROWSER_ID", help)
      .listed_in("browser list --scope roost", "browser_id", "{title|url}");
}

constexpr Argument kListArguments[] = {
    option("--query", "QUERY", "Filter by title or URL substring"),
    option("--scope", "SCOPE",
           "Filter by ownership scope: \"project\" (default, only browsers owned by "
           "QUILLO_PROJECT_PATH / focused project) or \"roost\" (all browsers in the roost, "
           "opt-in for cross-project listings)")
        .with_default("project")
        .with_choices("project roost"),
};
constexpr Example kListExamples[] = {{"quillo browser list", "tab-1  Docs  https://docs.example.test/"}};
constexpr Command kList{
    .name = "list",
    .help = "List open browser tabs in the focused roost",
    .arguments = kListArguments,
    .examples = kListExamples,
    .method = "browser.list",
    .effect = Effect::Reads,
    .rendering = list_of("tabs", "(no browser tabs)", print_tab),
    .params = bind<kListArguments, list>,
};

constexpr Argument kOpenArguments[] = {positional("url", "URL", "URL to load", false)};
constexpr Example kOpenExamples[] = {{"quillo browser open https://docs.example.test/", "opened: tab-1"}};
constexpr Command kOpen{
    .name = "open",
    .help = "Open a new browser tab",
    .arguments = kOpenArguments,
    .examples = kOpenExamples,
    .method = "browser.open",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_open),
    .open_world = true,
    .params = bind<kOpenArguments, open>,
};

constexpr Argument kCloseArguments[] = {browser_id("Browser ID (from `browser list`)")};
constexpr Example kCloseExamples[] = {{"quillo browser close tab-1", "closed"}};
constexpr Command kClose{
    .name = "close",
    .help = "Close a browser tab",
    .arguments = kCloseArguments,
    .examples = kCloseExamples,
    .method = "browser.close",
    .effect = Effect::Removes,
    .rendering = rendered_by(render_close),
    .idempotent = true,
    .params = bind<kCloseArguments, with_id>,
};

constexpr Argument kNavigateArguments[] = {
    browser_id("Browser ID"),
    positional("url", "URL", "URL to navigate to"),
};
constexpr Example kNavigateExamples[] = {{"quillo browser navigate tab-1 https://docs.example.test/api", "OK"}};
constexpr Command kNavigate{
    .name = "navigate",
    .help = "Navigate to a URL",
    .arguments = kNavigateArguments,
    .examples = kNavigateExamples,
    .method = "browser.navigate",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .idempotent = true,
    .open_world = true,
    .params = bind<kNavigateArguments, navigate>,
};

// back, forward, reload, url and title take the browser id alone.
constexpr Argument kIdArguments[] = {browser_id()};

constexpr Example kBackExamples[] = {{"quillo browser back tab-1", "OK"}};
constexpr Command kBack{
    .name = "back",
    .help = "Go back in history",
    .arguments = kIdArguments,
    .examples = kBackExamples,
    .method = "browser.back",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .open_world = true,
    .params = bind<kIdArguments, with_id>,
};

constexpr Example kForwardExamples[] = {{"quillo browser forward tab-1", "OK"}};
constexpr Command kForward{
    .name = "forward",
    .help = "Go forward in history",
    .arguments = kIdArguments,
    .examples = kForwardExamples,
    .method = "browser.forward",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .open_world = true,
    .params = bind<kIdArguments, with_id>,
};

constexpr Example kReloadExamples[] = {{"quillo browser reload tab-1", "OK"}};
constexpr Command kReload{
    .name = "reload",
    .help = "Reload the page",
    .arguments = kIdArguments,
    .examples = kReloadExamples,
    .method = "browser.reload",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .idempotent = true,
    .open_world = true,
    .params = bind<kIdArguments, with_id>,
};

constexpr Example kUrlExamples[] = {{"quillo browser url tab-1", "https://docs.example.test/api"}};
constexpr Command kUrl{
    .name = "url",
    .help = "Get the current URL",
    .arguments = kIdArguments,
    .examples = kUrlExamples,
    .method = "browser.url.get",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_url),
    .params = bind<kIdArguments, with_id>,
};

constexpr Example kTitleExamples[] = {{"quillo browser title tab-1", "API reference"}};
constexpr Command kTitle{
    .name = "title",
    .help = "Get the page title",
    .arguments = kIdArguments,
    .examples = kTitleExamples,
    .method = "browser.get.title",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_title),
    .params = bind<kIdArguments, with_id>,
};

constexpr Argument kClickArguments[] = {
    browser_id(),
    option("--selector", "SELECTOR", "CSS selector").require(),
};
constexpr Example kClickExamples[] = {{"quillo browser click tab-1 --selector '#search'", "OK"}};
constexpr Command kClick{
    .name = "click",
    .help = "Click an element",
    .arguments = kClickArguments,
    .examples = kClickExamples,
    .method = "browser.click",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .params = bind<kClickArguments, click>,
};

constexpr Argument kFillArguments[] = {
    browser_id(),
    option("--selector", "SELECTOR", "CSS selector").require(),
    option("--text", "TEXT", "Text to fill").require().or_from_file("--text-file"),
};
constexpr Example kFillExamples[] = {
    {"quillo browser fill tab-1 --selector '#email' --text me@example.test", "OK"}};
constexpr Command kFill{
    .name = "fill",
    .help = "Fill an input field",
    .arguments = kFillArguments,
    .examples = kFillExamples,
    .method = "browser.fill",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .idempotent = true,
    .params = bind<kFillArguments, fill>,
};

constexpr Argument kTypeArguments[] = {
    browser_id(),
    option("--selector", "SELECTOR").require(),
    option("--text", "TEXT").require().or_from_file("--text-file"),
};
constexpr Example kTypeExamples[] = {{"quillo browser type tab-1 --selector '#q' --text hello", "OK"}};
constexpr Command kType{
    .name = "type",
    .help = "Type text character-by-character",
    .arguments = kTypeArguments,
    .examples = kTypeExamples,
    .method = "browser.type",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .params = bind<kTypeArguments, fill>,
};

constexpr Argument kPressArguments[] = {
    browser_id(),
    positional("key", "KEY", "Key name (e.g. Enter, Tab, Escape)"),
};
constexpr Example kPressExamples[] = {{"quillo browser press tab-1 Enter", "OK"}};
constexpr Command kPress{
    .name = "press",
    .help = "Press a key",
    .arguments = kPressArguments,
    .examples = kPressExamples,
    .method = "browser.press",
    .effect = Effect::Changes,
    .rendering = kAcknowledged,
    .params = bind<kPressArguments, press>,
};

constexpr Argument kSnapshotArguments[] = {
    browser_id(),
    option("--max-depth", "MAX_DEPTH", "Max DOM depth (default 12)")
        .of_type(ValueType::Int64)
        .counting("a whole number of levels"),
};
constexpr Example kSnapshotExamples[] = {
    {"quillo browser snapshot tab-1 --max-depth 2",
     "- document\n  - heading \"API reference\"\n  - link \"Home\""}};
constexpr Command kSnapshot{
    .name = "snapshot",
    .help = "Get accessibility tree snapshot",
    .arguments = kSnapshotArguments,
    .examples = kSnapshotExamples,
    .method = "browser.snapshot",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_snapshot),
    .params = bind<kSnapshotArguments, snapshot>,
};

constexpr Argument kEvalArguments[] = {
    browser_id(),
    positional("script", "SCRIPT", "JavaScript code").or_from_file("--script-file"),
};
constexpr Example kEvalExamples[] = {
    {"quillo browser eval tab-1 document.title", "API reference"},
    {"quillo browser eval tab-1 --script-file check.js", "{\n  \"errors\": 0\n}"}};
constexpr Command kEval{
    .name = "eval",
    .help = "Execute JavaScript",
    .arguments = kEvalArguments,
    .examples = kEvalExamples,
    .method = "browser.eval",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_eval),
    .params = bind<kEvalArguments, eval>,
};

constexpr Argument kWaitArguments[] = {
    browser_id(),
    option("--selector", "SELECTOR", "CSS selector to wait for"),
    option("--text", "TEXT", "Text to wait for"),
    option("--url-contains", "URL_CONTAINS", "URL substring to wait for"),
    option("--timeout", "TIMEOUT", "Timeout in milliseconds")
        .of_type(ValueType::Int64)
        .counting("a whole number of milliseconds")
        .with_default("5000"),
};
constexpr Example kWaitExamples[] = {{"quillo browser wait tab-1 --text Welcome --timeout 10000", "OK"}};
constexpr Command kWait{
    .name = "wait",
    .help = "Wait for a condition",
    .arguments = kWaitArguments,
    .examples = kWaitExamples,
    .method = "browser.wait",
    .effect = Effect::Reads,
    .rendering = kAcknowledged,
    .wait_unit_ms = 1,  // its timeout is in milliseconds
    .params = bind<kWaitArguments, wait>,
};

constexpr Argument kScreenshotArguments[] = {
    browser_id("Browser tab ID (tagged or bare UUID)"),
    flag("--full-page",
         "Capture the entire scrollable document. Default captures only the visible viewport"),
};
constexpr Example kScreenshotExamples[] = {
    {"quillo browser screenshot tab-1 --full-page", "screenshot captured (20480 bytes)"}};
constexpr Command kScreenshot{
    .name = "screenshot",
    .help = "Capture a screenshot",
    .arguments = kScreenshotArguments,
    .examples = kScreenshotExamples,
    .method = "browser.screenshot",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_screenshot),
    .params = bind<kScreenshotArguments, screenshot>,
};

constexpr Argument kRawArguments[] = {
    positional("method", "METHOD", "Full method name (e.g. browser.get.text)"),
    option("--params", "PARAMS", "JSON params string")
        .with_default("{}")
        .or_from_file("--params-file")
        .checked_by(check_raw_params),
};
constexpr Example kRawExamples[] = {
    {"quillo browser raw browser.get.title --params '{\"browser_id\":\"tab-1\"}'", "API reference"}};
constexpr Command kRaw{
    .name = "raw",
    .help = "Send any browser.* method with raw JSON params",
    .arguments = kRawArguments,
    .examples = kRawExamples,
    .method = kTypedByUser,
    // Any browser method may be sent, browser.close among them: a raw call may close a tab.
    .effect = Effect::Removes,
    .rendering = kAsTheMethodTyped,
    .open_world = true,
    .params = bind<kRawArguments, raw>,
};

constexpr Entry kCommands[] = {kList,  kOpen,  kClose, kNavigate, kBack,     kForward,
                               kReload, kUrl,  kTitle, kClick,    kFill,     kType,
                               kPress, kSnapshot, kEval, kWait,   kScreenshot, kRaw};
constexpr Example kExamples[] = {
    {"quillo browser open https://docs.example.test/", "opened: tab-1"},
    {"quillo browser snapshot tab-1 --max-depth 2",
     "- document\n  - heading \"API reference\"\n  - link \"Home\""}};
constexpr Group kGroup{
    .name = kName, .help = kHelp, .entries = kCommands, .examples = kExamples, .other_methods = kAcknowledged};

}  // namespace

Result<Json> parse_raw_params(std::string_view text) {
  if (!is_valid_utf8(text)) return Error{"invalid UTF-8"};
  if (text.find_first_not_of(" \t\n\r") == std::string_view::npos) return Json(Json::object());
  return parse_json(text);
}

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::browser
