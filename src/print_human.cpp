#include "print_human.hpp"

#include "commands/browser.hpp"
#include "commands/comments.hpp"
#include "commands/file.hpp"
#include "commands/introspection.hpp"
#include "commands/shelf.hpp"
#include "commands/shortcut.hpp"
#include "commands/terminal.hpp"
#include "commands/todo.hpp"
#include "core/json_parser.hpp"
#include "core/output.hpp"

namespace quillo {
namespace {

struct Row {
  std::string_view method;  ///< the whole name, or a prefix when `prefix` is set
  Renderer render;
  const ListRendering* list = nullptr;  ///< instead of `render`, for a list
  bool prefix = false;
};

// Tried in order; the first row that matches wins.
constexpr Row kRows[] = {
    {"ping", introspection::render_ping},
    {"whoami", print_pretty},
    {"help", introspection::print_catalogue},
    {"shelf.add", shelf::render_add},
    {"shelf.list", nullptr, &shelf::kList},
    {"shelf.remove", shelf::render_remove},
    {"file.open", file::render_open},
    {"shortcut.list", nullptr, &shortcut::kList},
    {"shortcut.add", shortcut::render_add},
    {"shortcut.remove", shortcut::render_remove},
    {"terminal.list", nullptr, &terminal::kList},
    {"terminal.create", terminal::render_create},
    {"terminal.close", terminal::render_ok},
    {"terminal.send", terminal::render_ok},
    {"terminal.send_key", terminal::render_ok},
    {"terminal.wait", terminal::render_wait},
    {"browser.list", nullptr, &browser::kList},
    {"browser.open", browser::render_open},
    {"browser.close", browser::render_close},
    {"browser.url.get", browser::render_url},
    {"browser.get.title", browser::render_title},
    {"browser.snapshot", browser::render_snapshot},
    {"browser.eval", browser::render_eval},
    {"browser.screenshot", browser::render_screenshot},
    {"browser.", print_ack, nullptr, true},
    // The roost's replies are shown as the IDE sends them.
    {"roost.addProject", print_pretty},
    {"roost.removeProject", print_pretty},
    {"roost.parkProject", print_pretty},
    {"roost.activateProject", print_pretty},
    {"roost.listProjects", print_pretty},
    {"comments.add", comments::render_created},
    {"comments.reply", comments::render_created},
    {"comments.update", comments::render_updated},
    {"comments.delete", comments::render_deleted},
    {"comments.resolve", comments::render_resolved},
    {"comments.list", nullptr, &comments::kList},
    {"comments.search", nullptr, &comments::kList},
    {"todo.add", todo::render_add},
    {"todo.list", nullptr, &todo::kList},
    {"todo.complete", todo::render_status},
    {"todo.reopen", todo::render_status},
    {"todo.update", todo::render_updated},
    {"todo.remove", todo::render_removed},
    {"todo.show", todo::render_show},
    {"todo.message.add", todo::render_message_added},
};

}  // namespace

namespace {

const Row* row_for(std::string_view method) {
  for (const Row& row : kRows) {
    if (row.prefix ? method.starts_with(row.method) : method == row.method) return &row;
  }
  return nullptr;
}

}  // namespace

std::vector<std::string_view> rendered_methods() {
  std::vector<std::string_view> names;
  for (const Row& row : kRows) names.push_back(row.method);
  return names;
}

void print_human(std::string_view method, const Json& result, Sink& out) {
  const Row* row = row_for(method);
  if (row == nullptr) {
    print_pretty(result, out);
  } else if (row->list != nullptr) {
    print_items(result, *row->list, out);
  } else {
    row->render(result, out);
  }
}

void print_human(std::string_view method, std::string_view result_text, Sink& out) {
  const Row* row = row_for(method);
  if (row != nullptr && row->list != nullptr) {
    print_items(result_text, *row->list, out);
  } else {
    print_human(method, parse_json(result_text).value(), out);
  }
}

}  // namespace quillo
