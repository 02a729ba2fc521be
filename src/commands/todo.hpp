#pragma once
// Todo (sticky) notes with a thread of markdown messages each.

#include <optional>
#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/output.hpp"
#include "core/sink.hpp"

namespace quillo {
namespace todo {

struct Add {
  std::string text;
  std::optional<std::string> project;
  std::optional<std::string> body;
  std::optional<std::string> color;
  std::optional<std::string> file;
};
struct List {
  std::optional<std::string> project;
  std::string status = "active";
};
struct Complete {
  std::string id;
};
struct Reopen {
  std::string id;
};
struct Update {
  std::string id;
  std::optional<std::string> text;
  std::optional<std::string> body;
  std::optional<std::string> color;
};
struct Remove {
  std::string id;
};
struct Show {
  std::string id;
};

namespace message {
struct Add {
  std::string id;
  std::string text;
};
}  // namespace message

}  // namespace todo

using TodoMessageCommand = std::variant<todo::message::Add>;

namespace todo {
struct Message {
  TodoMessageCommand command;
};
}  // namespace todo

using TodoCommand = std::variant<todo::Add, todo::List, todo::Complete, todo::Reopen, todo::Update,
                                 todo::Remove, todo::Show, todo::Message>;

namespace todo {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "todo";
inline constexpr const char* kHelp = "Quick todo / sticky note operations (F053)";

grammar::Node<TodoCommand> grammar();
MethodTarget to_target(const TodoCommand& command);

void render_add(const Json& result, Sink& out);
extern const ListRendering kList;
/// "ID: STATUS" (complete and reopen).
void render_status(const Json& result, Sink& out);
void render_updated(const Json& result, Sink& out);
void render_removed(const Json& result, Sink& out);
/// One todo: its header, its body, and its thread.
void render_show(const Json& result, Sink& out);
void render_message_added(const Json& result, Sink& out);

}  // namespace todo
}  // namespace quillo
