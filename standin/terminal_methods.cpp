// Terminals kept in memory: what is sent is appended to the terminal's output, "exit" or
// Ctrl+D ends its process, and waits look at that output.
#include <memory>
#include <vector>

#include "families.hpp"
#include "ide.hpp"

namespace standin {
namespace {

struct Terminal {
  std::string id;
  std::string title;
  std::string cwd;
  std::string output;
  bool exited = false;
};

struct Terminals {
  std::vector<Terminal> list;
  int next_number = 1;
  std::size_t focused = 0;

  Terminal& add(std::string title, std::string cwd) {
    list.push_back({"term-" + std::to_string(next_number++), std::move(title), std::move(cwd), "", false});
    focused = list.size() - 1;
    return list.back();
  }

  std::size_t index_of(const std::string& id) const {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i].id == id) return i;
    }
    throw IdeError{"not_found", "no terminal " + id};
  }

  Terminal& find(const json& params) {
    const json& id = params.value("terminal_id", json(nullptr));
    if (id.is_null()) {
      if (list.empty()) throw IdeError{"not_found", "there is no terminal"};
      return list[focused];
    }
    return list[index_of(required_text(params, "terminal_id"))];
  }
};

std::string text_or(const json& params, const char* key, const std::string& fallback) {
  return params.contains(key) && params[key].is_string() ? params[key].get<std::string>() : fallback;
}

}  // namespace

void add_terminal_methods(Ide& ide) {
  auto terminals = std::make_shared<Terminals>();
  terminals->add("zsh", "/Users/demo/project");

  ide.add("terminal", "terminal.list", "List terminals in the focused roost", json::object(),
          [terminals](const json&, const json&) {
            json list = json::array();
            for (std::size_t i = 0; i < terminals->list.size(); ++i) {
              const Terminal& t = terminals->list[i];
              list.push_back({{"terminal_id", t.id}, {"title", t.title}, {"cwd", t.cwd},
                              {"focused", i == terminals->focused}, {"is_caller", false}});
            }
            return json{{"terminals", list}};
          });
  ide.add("terminal", "terminal.create", "Spawn a terminal",
          {{"cwd", "string or null"}, {"name", "string or null"}},
          [terminals](const json& params, const json&) {
            const Terminal& t = terminals->add(text_or(params, "name", "zsh"),
                                               text_or(params, "cwd", "/Users/demo"));
            return json{{"terminal_id", t.id}, {"title", t.title}, {"cwd", t.cwd}};
          });
  ide.add("terminal", "terminal.send", "Type text into a terminal",
          {{"terminal_id", "string"}, {"text", "string"}, {"submit", "boolean"}},
          [terminals](const json& params, const json&) {
            Terminal& t = terminals->find(params);
            const std::string text = required_text(params, "text");
            const bool submit = params.value("submit", false);
            t.output += text + (submit ? "\n" : "");
            if (submit && text == "exit") t.exited = true;
            return json::object();
          });
  ide.add("terminal", "terminal.send_key", "Send a named key",
          {{"terminal_id", "string"}, {"key", "string"}},
          [terminals](const json& params, const json&) {
            Terminal& t = terminals->find(params);
            const std::string key = required_text(params, "key");
            if (key == "Ctrl+D") t.exited = true;
            t.output += key == "Enter" ? "\n" : "<" + key + ">";
            return json::object();
          });
  ide.add("terminal", "terminal.close", "Close a terminal", {{"terminal_id", "string"}},
          [terminals](const json& params, const json&) {
            const std::size_t index = terminals->index_of(required_text(params, "terminal_id"));
            terminals->list.erase(terminals->list.begin() + static_cast<std::ptrdiff_t>(index));
            terminals->focused = terminals->list.empty() ? 0 : terminals->list.size() - 1;
            return json{{"closed", true}};
          });
  ide.add("terminal", "terminal.wait", "Wait for output or exit",
          {{"terminal_id", "string or null"}, {"text", "string or null"}, {"exit", "boolean"},
           {"timeout", "integer, seconds"}},
          [terminals](const json& params, const json&) {
            const Terminal& t = terminals->find(params);
            const json& text = params.value("text", json(nullptr));
            if (text.is_string() && t.output.find(text.get<std::string>()) != std::string::npos) {
              return json{{"matched", true}, {"text", text}};
            }
            if (params.value("exit", false) && t.exited) {
              return json{{"matched", true}, {"exit_code", 0}};
            }
            return json{{"matched", false}};
          });
}

}  // namespace standin
