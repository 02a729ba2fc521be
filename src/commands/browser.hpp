#pragma once
// The IDE's built-in browser tabs: navigation, page interaction, and any browser method raw.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/output.hpp"
#include "core/result.hpp"
#include "core/sink.hpp"
#include "core/wait_timeouts.hpp"

namespace quillo {
namespace browser {

struct List {
  std::optional<std::string> query;
  std::string scope = "project";
};
struct Open {
  std::optional<std::string> url;
};
struct Close {
  std::string browser_id;
};
struct Navigate {
  std::string browser_id;
  std::string url;
};
struct Back {
  std::string browser_id;
};
struct Forward {
  std::string browser_id;
};
struct Reload {
  std::string browser_id;
};
struct Url {
  std::string browser_id;
};
struct Title {
  std::string browser_id;
};
struct Click {
  std::string browser_id;
  std::string selector;
};
struct Fill {
  std::string browser_id;
  std::string selector;
  std::string text;
};
struct Type {
  std::string browser_id;
  std::string selector;
  std::string text;
};
struct Press {
  std::string browser_id;
  std::string key;
};
struct Snapshot {
  std::string browser_id;
  std::optional<std::int64_t> max_depth;
};
struct Eval {
  std::string browser_id;
  std::string script;
};
struct Wait {
  std::string browser_id;
  std::optional<std::string> selector;
  std::optional<std::string> text;
  std::optional<std::string> url_contains;
  std::int64_t timeout = 5000;  ///< milliseconds
};
struct Screenshot {
  std::string browser_id;
  bool full_page = false;
};
struct Raw {
  std::string method;
  std::string params = "{}";  ///< JSON text, checked by the parser
};

}  // namespace browser

using BrowserCommand =
    std::variant<browser::List, browser::Open, browser::Close, browser::Navigate, browser::Back,
                 browser::Forward, browser::Reload, browser::Url, browser::Title, browser::Click,
                 browser::Fill, browser::Type, browser::Press, browser::Snapshot, browser::Eval,
                 browser::Wait, browser::Screenshot, browser::Raw>;

namespace browser {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "browser";
inline constexpr const char* kHelp = "Browser operations";

grammar::Node<BrowserCommand> grammar();
MethodTarget to_target(const BrowserCommand& command);

/// The params of a raw call: {} for a text that is empty or only JSON white space, else the
/// one JSON value the text holds; otherwise the description of what is wrong with it.
Result<Json> parse_raw_params(std::string_view text);

/// "browser.wait" holds its reply for up to its "timeout", in milliseconds.
inline constexpr WaitRule kWaitRule{"browser.wait", std::chrono::milliseconds(1)};

extern const ListRendering kList;
void render_open(const Json& result, Sink& out);
void render_close(const Json& result, Sink& out);
void render_url(const Json& result, Sink& out);
void render_title(const Json& result, Sink& out);
void render_snapshot(const Json& result, Sink& out);
void render_eval(const Json& result, Sink& out);
void render_screenshot(const Json& result, Sink& out);

}  // namespace browser
}  // namespace quillo
