#include "commands/todo.hpp"

#include "core/output.hpp"

namespace quillo::todo {
namespace {

using grammar::option;
using grammar::Values;
using grammar::ValueType;

grammar::Argument todo_id() {
  return grammar::positional("id", "ID", "Todo ID").listed_in("todo list --status all", "id");
}

// complete, reopen, remove and show take the todo's id and nothing else.
template <class Command>
grammar::Node<TodoCommand> id_only(std::string name, std::string help) {
  return grammar::leaf<TodoCommand>(std::move(name), std::move(help), {todo_id()},
                                    [](const Values& v) { return Command{.id = v.text("id")}; });
}

Json with_id(const std::string& id) { return Json{{"id", id}}; }

struct Mapper {
  MethodTarget operator()(const Add& c) const {
    return {"todo.add",
            {{"body", string_or_null(c.body)},
             {"color", string_or_null(c.color)},
             {"file", string_or_null(c.file)},
             {"project", string_or_null(c.project)},
             {"text", c.text}}};
  }
  MethodTarget operator()(const List& c) const {
    return {"todo.list", {{"project", string_or_null(c.project)}, {"status", c.status}}};
  }
  MethodTarget operator()(const Complete& c) const { return {"todo.complete", with_id(c.id)}; }
  MethodTarget operator()(const Reopen& c) const { return {"todo.reopen", with_id(c.id)}; }
  MethodTarget operator()(const Update& c) const {
    return {"todo.update",
            {{"body", string_or_null(c.body)},
             {"color", string_or_null(c.color)},
             {"id", c.id},
             {"text", string_or_null(c.text)}}};
  }
  MethodTarget operator()(const Remove& c) const { return {"todo.remove", with_id(c.id)}; }
  MethodTarget operator()(const Show& c) const { return {"todo.show", with_id(c.id)}; }
  MethodTarget operator()(const Message& c) const {
    const auto& add = std::get<message::Add>(c.command);
    return {"todo.message.add", {{"id", add.id}, {"text", add.text}}};
  }
};

const char* check_mark(const Json& todo) {
  return text_or(todo, "status", "") == "completed" ? "[x]" : "[ ]";
}

}  // namespace

grammar::Node<TodoCommand> grammar() {
  using grammar::leaf;
  return grammar::group<TodoCommand>(
      kName, kHelp,
      leaf<TodoCommand>(
          "add", "Create a todo / sticky note",
          {grammar::positional("text", "TEXT", "Todo title"),
           option("--project", "PROJECT",
                  "Project path to scope to (defaults to $QUILLO_PROJECT_PATH; omit for "
                  "roost-level)")
               .of_type(ValueType::Path),
           option("--body", "BODY", "Optional longer note body").or_from_file("--body-file"),
           option("--color", "COLOR", "Optional color tag"),
           option("--file", "FILE", "Optional related file path").of_type(ValueType::Path)},
          [](const Values& v) {
            return Add{.text = v.text("text"),
                       .project = v.maybe_text("project"),
                       .body = v.maybe_text("body"),
                       .color = v.maybe_text("color"),
                       .file = v.maybe_text("file")};
          })
          .example("quillo todo add 'Ship it' --body 'See notes'",
                   "created: todo-1  Ship it"),
      leaf<TodoCommand>(
          "list", "List todos (active by default)",
          {option("--project", "PROJECT", "Project path filter (defaults to $QUILLO_PROJECT_PATH)")
               .of_type(ValueType::Path),
           option("--status", "STATUS", "Status filter: active, completed, all")
               .with_default("active")
               .with_choices({"active", "completed", "all"})},
          [](const Values& v) {
            return List{.project = v.maybe_text("project"), .status = v.text("status")};
          })
          .example("quillo todo list --status all",
                   "[x] todo-1  Ship it\n[ ] todo-2  Write the notes"),
      id_only<Complete>("complete", "Mark a todo completed")
          .example("quillo todo complete todo-1",
                   "todo-1: completed"),
      id_only<Reopen>("reopen", "Reopen a completed todo")
          .example("quillo todo reopen todo-1",
                   "todo-1: active"),
      leaf<TodoCommand>("update", "Update a todo's text, body, or color",
                        {todo_id(), option("--text", "TEXT"),
                         option("--body", "BODY").or_from_file("--body-file"),
                         option("--color", "COLOR")},
                        [](const Values& v) {
                          return Update{.id = v.text("id"),
                                        .text = v.maybe_text("text"),
                                        .body = v.maybe_text("body"),
                                        .color = v.maybe_text("color")};
                        })
          .example("quillo todo update todo-1 --text 'Ship it today'",
                   "updated: todo-1"),
      id_only<Remove>("remove", "Delete a todo")
          .example("quillo todo remove todo-1",
                   "removed: todo-1"),
      id_only<Show>("show", "Show a todo with its full thread")
          .example("quillo todo show todo-1",
                   "[ ] Ship it\n\nSee notes\n\n--- thread ---\n[agent] Tests pass\n[user] Thanks"),
      grammar::group<TodoCommand>(
          "message", "Thread message operations",
          leaf<TodoCommand>(
              "add", "Append a markdown message to a todo's thread",
              {todo_id(),
               option("--text", "TEXT", "Message body (markdown)").require().or_from_file("--text-file")},
              [](const Values& v) {
                return Message{.command = message::Add{.id = v.text("id"), .text = v.text("text")}};
              })
          .example("quillo todo message add todo-1 --text 'Tests pass'",
                   "message added: todo-1")));
}

MethodTarget to_target(const TodoCommand& command) { return std::visit(Mapper{}, command); }

void render_add(const Json& result, Sink& out) {
  out << "created: " << text_or(result, "id", "?") << "  " << text_or(result, "title", "") << '\n';
}

namespace {

void print_todo(const Json& todo, Sink& out) {
  out << check_mark(todo) << ' ' << text_or(todo, "id", "?") << "  " << text_or(todo, "title", "")
      << '\n';
}

}  // namespace

const ListRendering kList{"todos", "(no todos)", print_todo};

void render_status(const Json& result, Sink& out) {
  out << text_or(result, "id", "?") << ": " << text_or(result, "status", "?") << '\n';
}

void render_updated(const Json& result, Sink& out) {
  out << "updated: " << text_or(result, "id", "?") << '\n';
}

void render_removed(const Json& result, Sink& out) {
  out << "removed: " << text_or(result, "id", "?") << '\n';
}

void render_show(const Json& result, Sink& out) {
  out << check_mark(result) << ' ' << text_or(result, "title", "") << '\n';
  if (const auto body = text_or(result, "body", ""); !body.empty()) out << '\n' << body << '\n';
  const Json* thread = member(result, "messages");
  if (thread == nullptr || !thread->is_array() || thread->empty()) return;
  out << "\n--- thread ---\n";
  for (const Json& message : *thread) {
    out << '[' << text_or(message, "authorKind", "user") << "] " << text_or(message, "body", "")
        << '\n';
  }
}

void render_message_added(const Json& result, Sink& out) {
  out << "message added: " << text_or(result, "id", "?") << '\n';
}

}  // namespace quillo::todo
