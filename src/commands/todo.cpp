#include "commands/todo.hpp"

#include "core/json_document.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::todo {
namespace {

// ---- Parameters.

Json add(std::string_view text, std::optional<std::string_view> project, std::optional<std::string_view> body,
         std::optional<std::string_view> color, std::optional<std::string_view> file) {
  return {{"body", string_or_null(body)},
          {"color", string_or_null(color)},
          {"file", string_or_null(file)},
          {"project", string_or_null(project)},
          {"text", text}};
}

Json list(std::optional<std::string_view> project, std::string_view status) {
  return {{"project", string_or_null(project)}, {"status", status}};
}

// complete, reopen, remove and show take the todo's id alone.
Json with_id(std::string_view id) { return {{"id", id}}; }

Json update(std::string_view id, std::optional<std::string_view> text, std::optional<std::string_view> body,
            std::optional<std::string_view> color) {
  return {{"body", string_or_null(body)}, {"color", string_or_null(color)}, {"id", id}, {"text", string_or_null(text)}};
}

Json add_message(std::string_view id, std::string_view text) { return {{"id", id}, {"text", text}}; }

// ---- Renderings.

const char* check_mark(const Members& todo) { return todo.text_or("status", "") == "completed" ? "[x]" : "[ ]"; }

void render_add(const JsonView& result, Sink& out) {
  const Members m(result);
  out << "created: " << m.text_or("id", "?") << "  " << m.text_or("title", "") << '\n';
}

void print_todo(const JsonView& todo, Sink& out) {
  const Members m(todo);
  out << check_mark(m) << ' ' << m.text_or("id", "?") << "  " << m.text_or("title", "") << '\n';
}

// "ID: STATUS" (complete and reopen).
void render_status(const JsonView& result, Sink& out) {
  const Members m(result);
  out << m.text_or("id", "?") << ": " << m.text_or("status", "?") << '\n';
}

void render_updated(const JsonView& result, Sink& out) {
  out << "updated: " << Members(result).text_or("id", "?") << '\n';
}

void render_removed(const JsonView& result, Sink& out) {
  out << "removed: " << Members(result).text_or("id", "?") << '\n';
}

// One todo: its header, its body, and its thread.
void render_show(const JsonView& result, Sink& out) {
  const Members m(result);
  out << check_mark(m) << ' ' << m.text_or("title", "") << '\n';
  if (const JsonText body = m.text_or("body", ""); !body.empty()) out << '\n' << body << '\n';
  const auto thread = m["messages"];
  if (!thread || thread->kind() != JsonKind::Array || thread->is_empty_container()) return;
  out << "\n--- thread ---\n";
  for (const JsonView message : thread->elements()) {
    const Members said(message);
    out << '[' << said.text_or("authorKind", "user") << "] " << said.text_or("body", "") << '\n';
  }
}

void render_message_added(const JsonView& result, Sink& out) {
  out << "message added: " << Members(result).text_or("id", "?") << '\n';
}

// ---- The commands.

constexpr Argument todo_id() {
  return positional("id", "ID", "Todo ID").listed_in("todo list --status all", "id", "{title}");
}

constexpr Argument kAddArguments[] = {
    positional("text", "TEXT", "Todo title"),
    option("--project", "PROJECT", "Project path to scope to (defaults to $QUILLO_PROJECT_PATH; omit for roost-level)")
        .of_type(ValueType::Path),
    option("--body", "BODY", "Optional longer note body").or_from_file("--body-file"),
    option("--color", "COLOR", "Optional color tag"),
    option("--file", "FILE", "Optional related file path").of_type(ValueType::Path),
};
constexpr Example kAddExamples[] = {{"quillo todo add 'Ship it' --body 'See notes'", "created: todo-1  Ship it"}};
constexpr Command kAdd{
    .name = "add",
    .help = "Create a todo / sticky note",
    .arguments = kAddArguments,
    .examples = kAddExamples,
    .method = "todo.add",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_add),
    .params = bind<kAddArguments, add>,
};

constexpr Argument kListArguments[] = {
    option("--project", "PROJECT", "Project path filter (defaults to $QUILLO_PROJECT_PATH)").of_type(ValueType::Path),
    option("--status", "STATUS", "Status filter: active, completed, all")
        .with_default("active")
        .with_choices("active completed all"),
};
constexpr Example kListExamples[] = {{"quillo todo list --status all", "[x] todo-1  Ship it\n[ ] todo-2  Write the notes"}};
constexpr Command kList{
    .name = "list",
    .help = "List todos (active by default)",
    .arguments = kListArguments,
    .examples = kListExamples,
    .method = "todo.list",
    .effect = Effect::Reads,
    .rendering = list_of("todos", "(no todos)", print_todo),
    .params = bind<kListArguments, list>,
};

constexpr Argument kIdArguments[] = {todo_id()};

constexpr Example kCompleteExamples[] = {{"quillo todo complete todo-1", "todo-1: completed"}};
constexpr Command kComplete{
    .name = "complete",
    .help = "Mark a todo completed",
    .arguments = kIdArguments,
    .examples = kCompleteExamples,
    .method = "todo.complete",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_status),
    .idempotent = true,
    .params = bind<kIdArguments, with_id>,
};

constexpr Example kReopenExamples[] = {{"quillo todo reopen todo-1", "todo-1: active"}};
constexpr Command kReopen{
    .name = "reopen",
    .help = "Reopen a completed todo",
    .arguments = kIdArguments,
    .examples = kReopenExamples,
    .method = "todo.reopen",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_status),
    .idempotent = true,
    .params = bind<kIdArguments, with_id>,
};

constexpr Argument kUpdateArguments[] = {
    todo_id(),
    option("--text", "TEXT"),
    option("--body", "BODY").or_from_file("--body-file"),
    option("--color", "COLOR"),
};
constexpr Example kUpdateExamples[] = {{"quillo todo update todo-1 --text 'Ship it today'", "updated: todo-1"}};
constexpr Command kUpdate{
    .name = "update",
    .help = "Update a todo's text, body, or color",
    .arguments = kUpdateArguments,
    .examples = kUpdateExamples,
    .method = "todo.update",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_updated),
    .idempotent = true,
    .params = bind<kUpdateArguments, update>,
};

constexpr Example kRemoveExamples[] = {{"quillo todo remove todo-1", "removed: todo-1"}};
constexpr Command kRemove{
    .name = "remove",
    .help = "Delete a todo",
    .arguments = kIdArguments,
    .examples = kRemoveExamples,
    .method = "todo.remove",
    .effect = Effect::Removes,
    .rendering = rendered_by(render_removed),
    .idempotent = true,
    .params = bind<kIdArguments, with_id>,
};

constexpr Example kShowExamples[] = {
    {"quillo todo show todo-1", "[ ] Ship it\n\nSee notes\n\n--- thread ---\n[agent] Tests pass\n[user] Thanks"}};
constexpr Command kShow{
    .name = "show",
    .help = "Show a todo with its full thread",
    .arguments = kIdArguments,
    .examples = kShowExamples,
    .method = "todo.show",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_show),
    .params = bind<kIdArguments, with_id>,
};

constexpr Argument kMessageAddArguments[] = {
    todo_id(),
    option("--text", "TEXT", "Message body (markdown)").require().or_from_file("--text-file"),
};
constexpr Example kMessageAddExamples[] = {
    {"quillo todo message add todo-1 --text 'Tests pass'", "message added: todo-1"}};
constexpr Command kMessageAdd{
    .name = "add",
    .help = "Append a markdown message to a todo's thread",
    .arguments = kMessageAddArguments,
    .examples = kMessageAddExamples,
    .method = "todo.message.add",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_message_added),
    .params = bind<kMessageAddArguments, add_message>,
};

constexpr Entry kMessageCommands[] = {kMessageAdd};
constexpr Group kMessage{
    .name = "message",
    .help = "Thread message operations",
    .entries = kMessageCommands,
    .examples = kMessageAddExamples,
};

constexpr Entry kCommands[] = {kAdd, kList, kComplete, kReopen, kUpdate, kRemove, kShow, kMessage};
constexpr Example kExamples[] = {
    {"quillo todo add 'Ship it' --body 'See notes'", "created: todo-1  Ship it"},
    {"quillo todo list", "[ ] todo-1  Ship it"}};
constexpr Group kGroup{.name = kName, .help = kHelp, .entries = kCommands, .examples = kExamples};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::todo
