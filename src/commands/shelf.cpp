#include "commands/shelf.hpp"

#include "core/json_document.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::shelf {
namespace {

// ---- Parameters.

Json add(std::string_view path, bool select) { return {{"path", path}, {"select", select}}; }

Json remove(std::string_view path) { return {{"path", path}}; }

// ---- Renderings.

void render_add(const JsonView& result, Sink& out) {
  const Members m(result);
  out << (m.is_true("added") ? "added" : "already shelved") << ": " << m.text_or("path", "?") << " ["
      << m.text_or("kind", "?") << ']' << (m.is_true("selected") ? " (selected)" : "") << '\n';
}

void print_item(const JsonView& item, Sink& out) {
  const Members m(item);
  out << (m.is_true("selected") ? '*' : ' ') << " [" << m.text_or("kind", "?") << "] " << m.text_or("path", "?")
      << (m.is_false("exists") ? "  (missing)" : "") << '\n';
}

void render_remove(const JsonView& result, Sink& out) {
  out << (Members(result).is_true("removed") ? "removed" : "not in shelf") << '\n';
}

// ---- The commands.

constexpr Argument kAddArguments[] = {
    positional("path", "PATH", "Path to add. Absolute, or relative to $QUILLO_PROJECT_PATH").of_type(ValueType::Path),
    flag("--select", "Make this the selected shelf item"),
};
constexpr Example kAddExamples[] = {
    {"quillo shelf add src/app --select", "added: /Users/me/app/src/app [folder] (selected)"}};
constexpr Command kAdd{
    .name = "add",
    .help = "Add a file or folder to the shelf",
    .arguments = kAddArguments,
    .examples = kAddExamples,
    .method = "shelf.add",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_add),
    .idempotent = true,
    .params = bind<kAddArguments, add>,
};

constexpr Example kListExamples[] = {
    {"quillo shelf list", "* [folder] /Users/me/app/src/app\n  [file] /Users/me/app/notes.md  (missing)"}};
constexpr Command kList{
    .name = "list",
    .help = "List all shelf entries",
    .examples = kListExamples,
    .method = "shelf.list",
    .effect = Effect::Reads,
    .rendering = list_of("items", "(shelf is empty)", print_item),
    .params = no_params,
};

constexpr Argument kRemoveArguments[] = {
    positional("path", "PATH", "Path to remove (matches the path used when adding)").of_type(ValueType::Path),
};
constexpr Example kRemoveExamples[] = {{"quillo shelf remove src/app", "removed"}};
constexpr Command kRemove{
    .name = "remove",
    .help = "Remove a file or folder from the shelf",
    .arguments = kRemoveArguments,
    .examples = kRemoveExamples,
    .method = "shelf.remove",
    .effect = Effect::Removes,
    .rendering = rendered_by(render_remove),
    .idempotent = true,
    .params = bind<kRemoveArguments, remove>,
};

constexpr Entry kCommands[] = {kAdd, kList, kRemove};
constexpr Example kExamples[] = {
    {"quillo shelf add src/app --select", "added: /Users/me/app/src/app [folder] (selected)"},
    {"quillo shelf list", "* [folder] /Users/me/app/src/app"}};
constexpr Group kGroup{.name = kName, .help = kHelp, .entries = kCommands, .examples = kExamples};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::shelf
