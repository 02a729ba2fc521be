#include "commands/shortcut.hpp"

#include "core/json_document.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::shortcut {
namespace {

// ---- Parameters.

Json add(std::string_view name, std::string_view command, std::string_view launch_behavior, std::string_view scope) {
  return {{"command", command}, {"launch_behavior", launch_behavior}, {"name", name}, {"scope", scope}};
}

Json remove(std::string_view id) { return {{"id", id}}; }

// ---- Renderings.

void print_shortcut(const JsonView& entry, Sink& out) {
  const Members m(entry);
  out << "  [" << m.text_or("scope", "?") << "] " << m.text_or("name", "?") << ": " << m.text_or("command", "?") << '\n';
}

void render_add(const JsonView& result, Sink& out) {
  const Members m(result);
  out << "added [" << m.text_or("scope", "?") << "]: " << m.text_or("name", "?") << '\n';
}

void render_remove(const JsonView& result, Sink& out) {
  out << (Members(result).is_true("removed") ? "removed" : "not found") << '\n';
}

// ---- The commands.

constexpr Example kListExamples[] = {{"quillo shortcut list", "  [roost] Build: make all\n  [project] Serve: npm run dev"}};
constexpr Command kList{
    .name = "list",
    .help = "List saved terminal shortcuts",
    .examples = kListExamples,
    .method = "shortcut.list",
    .effect = Effect::Reads,
    .rendering = list_of("shortcuts", "(no shortcuts)", print_shortcut),
    .params = no_params,
};

constexpr Argument kAddArguments[] = {
    option("--name", "NAME", "Display name").require(),
    option("--command", "COMMAND", "Command line to run").require(),
    option("--launch-behavior", "LAUNCH_BEHAVIOR", "One of: currentTerminal, newPermanentTerminal, newTemporaryTerminal")
        .with_default("newPermanentTerminal")
        .with_choices("currentTerminal newPermanentTerminal newTemporaryTerminal"),
    option("--scope", "SCOPE", "\"roost\" (default) or \"project\"").with_default("roost").with_choices("roost project"),
};
constexpr Example kAddExamples[] = {{"quillo shortcut add --name Build --command 'make all'", "added [roost]: Build"}};
constexpr Command kAdd{
    .name = "add",
    .help = "Register a new terminal shortcut",
    .arguments = kAddArguments,
    .examples = kAddExamples,
    .method = "shortcut.add",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_add),
    .params = bind<kAddArguments, add>,
};

constexpr Argument kRemoveArguments[] = {
    positional("id", "ID", "UUID of the shortcut (from `shortcut list` output)")
        .listed_in("shortcut list", "id", "{name}: {command}"),
};
constexpr Example kRemoveExamples[] = {{"quillo shortcut remove 6f1c2b9e-3d4a-4f5b-8c6d-7e8f9a0b1c2d", "removed"}};
constexpr Command kRemove{
    .name = "remove",
    .help = "Remove a shortcut by ID",
    .arguments = kRemoveArguments,
    .examples = kRemoveExamples,
    .method = "shortcut.remove",
    .effect = Effect::Removes,
    .rendering = rendered_by(render_remove),
    .idempotent = true,
    .params = bind<kRemoveArguments, remove>,
};

constexpr Entry kCommands[] = {kList, kAdd, kRemove};
constexpr Example kExamples[] = {
    {"quillo shortcut add --name Build --command 'make all'", "added [roost]: Build"},
    {"quillo shortcut list", "  [roost] Build: make all"}};
constexpr Group kGroup{.name = kName, .help = kHelp, .entries = kCommands, .examples = kExamples};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::shortcut
