#include "commands/shortcut.hpp"

#include "core/output.hpp"

namespace quillo::shortcut {
namespace {

using grammar::Values;

struct Mapper {
  MethodTarget operator()(const List&) const { return {"shortcut.list", Json::object()}; }
  MethodTarget operator()(const Add& a) const {
    return {"shortcut.add",
            {{"command", a.command},
             {"launch_behavior", a.launch_behavior},
             {"name", a.name},
             {"scope", a.scope}}};
  }
  MethodTarget operator()(const Remove& r) const { return {"shortcut.remove", {{"id", r.id}}}; }
};

}  // namespace

grammar::Node<ShortcutCommand> grammar() {
  using grammar::leaf;
  using grammar::option;
  return grammar::group<ShortcutCommand>(
      kName, kHelp,
      leaf<ShortcutCommand>("list", "List saved terminal shortcuts", {},
                            [](const Values&) { return List{}; })
          .example("quillo shortcut list",
                   "  [roost] Build: make all\n  [project] Serve: npm run dev"),
      leaf<ShortcutCommand>(
          "add", "Register a new terminal shortcut",
          {option("--name", "NAME", "Display name").require(),
           option("--command", "COMMAND", "Command line to run").require(),
           option("--launch-behavior", "LAUNCH_BEHAVIOR",
                  "One of: currentTerminal, newPermanentTerminal, newTemporaryTerminal")
               .with_default("newPermanentTerminal")
               .with_choices({"currentTerminal", "newPermanentTerminal", "newTemporaryTerminal"}),
           option("--scope", "SCOPE", "\"roost\" (default) or \"project\"")
               .with_default("roost")
               .with_choices({"roost", "project"})},
          [](const Values& v) {
            return Add{.name = v.text("name"),
                       .command = v.text("command"),
                       .launch_behavior = v.text("launch_behavior"),
                       .scope = v.text("scope")};
          })
          .example("quillo shortcut add --name Build --command 'make all'",
                   "added [roost]: Build"),
      leaf<ShortcutCommand>(
          "remove", "Remove a shortcut by ID",
          {grammar::positional("id", "ID", "UUID of the shortcut (from `shortcut list` output)")
               .listed_in("shortcut list", "id")},
          [](const Values& v) { return Remove{.id = v.text("id")}; })
          .example("quillo shortcut remove 6f1c2b9e-3d4a-4f5b-8c6d-7e8f9a0b1c2d",
                   "removed"));
}

MethodTarget to_target(const ShortcutCommand& command) { return std::visit(Mapper{}, command); }

namespace {

void print_shortcut(const Json& entry, Sink& out) {
  out << "  [" << text_or(entry, "scope", "?") << "] " << text_or(entry, "name", "?") << ": "
      << text_or(entry, "command", "?") << '\n';
}

}  // namespace

const ListRendering kList{"shortcuts", "(no shortcuts)", print_shortcut};

void render_add(const Json& result, Sink& out) {
  out << "added [" << text_or(result, "scope", "?") << "]: " << text_or(result, "name", "?")
      << '\n';
}

void render_remove(const Json& result, Sink& out) {
  out << (is_true(result, "removed") ? "removed" : "not found") << '\n';
}

}  // namespace quillo::shortcut
