#include "commands/shelf.hpp"

#include "core/output.hpp"

namespace quillo::shelf {
namespace {

using grammar::Values;

struct Mapper {
  MethodTarget operator()(const Add& a) const {
    return {"shelf.add", {{"path", a.path}, {"select", a.select}}};
  }
  MethodTarget operator()(const List&) const { return {"shelf.list", Json::object()}; }
  MethodTarget operator()(const Remove& r) const { return {"shelf.remove", {{"path", r.path}}}; }
};

}  // namespace

grammar::Node<ShelfCommand> grammar() {
  using grammar::leaf;
  return grammar::group<ShelfCommand>(
      kName, kHelp,
      leaf<ShelfCommand>(
          "add", "Add a file or folder to the shelf",
          {grammar::positional("path", "PATH",
                               "Path to add. Absolute, or relative to $QUILLO_PROJECT_PATH")
               .of_type(grammar::ValueType::Path),
           grammar::flag("--select", "Make this the selected shelf item")},
          [](const Values& v) {
            return Add{.path = v.text("path"), .select = v.flag("select")};
          })
          .example("quillo shelf add src/app --select",
                   "added: /Users/me/app/src/app [folder] (selected)"),
      leaf<ShelfCommand>("list", "List all shelf entries", {},
                         [](const Values&) { return List{}; })
          .example("quillo shelf list",
                   "* [folder] /Users/me/app/src/app\n  [file] /Users/me/app/notes.md  (missing)"),
      leaf<ShelfCommand>("remove", "Remove a file or folder from the shelf",
                         {grammar::positional(
                             "path", "PATH", "Path to remove (matches the path used when adding)")
                              .of_type(grammar::ValueType::Path)},
                         [](const Values& v) { return Remove{.path = v.text("path")}; })
          .example("quillo shelf remove src/app",
                   "removed"));
}

MethodTarget to_target(const ShelfCommand& command) { return std::visit(Mapper{}, command); }

void render_add(const Json& result, Sink& out) {
  out << (is_true(result, "added") ? "added" : "already shelved") << ": "
      << text_or(result, "path", "?") << " [" << text_or(result, "kind", "?") << ']'
      << (is_true(result, "selected") ? " (selected)" : "") << '\n';
}

namespace {

void print_item(const Json& item, Sink& out) {
  out << (is_true(item, "selected") ? '*' : ' ') << " [" << text_or(item, "kind", "?") << "] "
      << text_or(item, "path", "?") << (is_false(item, "exists") ? "  (missing)" : "") << '\n';
}

}  // namespace

const ListRendering kList{"items", "(shelf is empty)", print_item};

void render_remove(const Json& result, Sink& out) {
  out << (is_true(result, "removed") ? "removed" : "not in shelf") << '\n';
}

}  // namespace quillo::shelf
