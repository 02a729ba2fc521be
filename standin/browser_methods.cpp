// Browser tabs kept in memory, each with a history of URLs; the page methods answer with small,
// plausible results.
#include <memory>
#include <vector>

#include "families.hpp"
#include "ide.hpp"

namespace standin {
namespace {

struct Tab {
  std::string id;
  std::vector<std::string> history;
  std::size_t position = 0;

  const std::string& url() const { return history[position]; }
  std::string title() const { return url().empty() ? "New Tab" : "Page at " + url(); }
};

struct Tabs {
  std::vector<Tab> list;
  int next_number = 1;

  Tab& find(const json& params) {
    const std::string id = required_text(params, "browser_id");
    for (auto& tab : list) {
      if (tab.id == id) return tab;
    }
    throw IdeError{"not_found", "no browser tab " + id};
  }
};

}  // namespace

void add_browser_methods(Ide& ide) {
  auto tabs = std::make_shared<Tabs>();
  const json id_param{{"browser_id", "string"}};
  const auto acknowledge = [tabs](const json& params, const json&) {
    tabs->find(params);
    return json::object();
  };

  ide.add("browser", "browser.list", "List open tabs",
          {{"query", "string"}, {"scope", "project or roost"}},
          [tabs](const json& params, const json&) {
            const std::string query = params.value("query", std::string());
            json list = json::array();
            for (const auto& tab : tabs->list) {
              if (tab.url().find(query) == std::string::npos &&
                  tab.title().find(query) == std::string::npos) {
                continue;
              }
              list.push_back({{"browser_id", tab.id}, {"title", tab.title()}, {"url", tab.url()}});
            }
            return json{{"tabs", list}};
          });
  ide.add("browser", "browser.open", "Open a tab", {{"url", "string"}},
          [tabs](const json& params, const json&) {
            tabs->list.push_back({"tab-" + std::to_string(tabs->next_number++),
                                  {params.value("url", std::string())}, 0});
            return json{{"browser_id", tabs->list.back().id}};
          });
  ide.add("browser", "browser.close", "Close a tab", id_param,
          [tabs](const json& params, const json&) {
            const std::string id = tabs->find(params).id;
            std::erase_if(tabs->list, [&](const Tab& tab) { return tab.id == id; });
            return json{{"closed", true}};
          });
  ide.add("browser", "browser.navigate", "Navigate to a URL", {{"browser_id", "string"}, {"url", "string"}},
          [tabs](const json& params, const json&) {
            Tab& tab = tabs->find(params);
            tab.history.resize(tab.position + 1);
            tab.history.push_back(required_text(params, "url"));
            tab.position = tab.history.size() - 1;
            return json{{"url", tab.url()}};
          });
  ide.add("browser", "browser.back", "Go back", id_param, [tabs](const json& params, const json&) {
    Tab& tab = tabs->find(params);
    if (tab.position > 0) --tab.position;
    return json{{"url", tab.url()}};
  });
  ide.add("browser", "browser.forward", "Go forward", id_param,
          [tabs](const json& params, const json&) {
            Tab& tab = tabs->find(params);
            if (tab.position + 1 < tab.history.size()) ++tab.position;
            return json{{"url", tab.url()}};
          });
  ide.add("browser", "browser.reload", "Reload", id_param, acknowledge);
  ide.add("browser", "browser.url.get", "The current URL", id_param,
          [tabs](const json& params, const json&) { return json{{"url", tabs->find(params).url()}}; });
  ide.add("browser", "browser.get.title", "The page title", id_param,
          [tabs](const json& params, const json&) {
            return json{{"title", tabs->find(params).title()}};
          });
  ide.add("browser", "browser.get.text", "The page's text", id_param,
          [tabs](const json& params, const json&) {
            return json{{"text", "Text of " + tabs->find(params).title()}};
          });
  for (const char* method : {"browser.click", "browser.fill", "browser.type", "browser.press"}) {
    ide.add("browser", method, "Operate the page", id_param, acknowledge);
  }
  ide.add("browser", "browser.snapshot", "Accessibility tree",
          {{"browser_id", "string"}, {"max_depth", "integer or null"}},
          [tabs](const json& params, const json&) {
            const Tab& tab = tabs->find(params);
            return json{{"snapshot", "- document \"" + tab.title() + "\"\n  - link \"Home\"\n"
                                     "  - button \"Sign in\""}};
          });
  ide.add("browser", "browser.eval", "Run JavaScript", {{"browser_id", "string"}, {"script", "string"}},
          [tabs](const json& params, const json&) {
            const Tab& tab = tabs->find(params);
            const std::string script = required_text(params, "script");
            if (script == "document.title") return json{{"value", tab.title()}};
            if (script == "location") return json{{"value", {{"href", tab.url()}}}};
            if (script == "1+1") return json{{"value", 2}};
            return json::object();
          });
  ide.add("browser", "browser.wait", "Wait for a condition",
          {{"browser_id", "string"}, {"selector", "string or null"}, {"text_contains", "string or null"},
           {"url_contains", "string or null"}, {"timeout", "integer, milliseconds"}},
          [tabs](const json& params, const json&) {
            tabs->find(params);
            return json{{"matched", true}};
          });
  ide.add("browser", "browser.screenshot", "Capture the page",
          {{"browser_id", "string"}, {"full_page", "boolean"}},
          [tabs](const json& params, const json&) {
            tabs->find(params);
            const bool full = params.value("full_page", false);
            return json{{"size", full ? 48213 : 20480}, {"format", "png"}};
          });
}

}  // namespace standin
