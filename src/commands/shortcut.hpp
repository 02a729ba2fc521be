#pragma once
// Terminal shortcuts: named command lines saved in the IDE for the roost or one project.

#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/output.hpp"
#include "core/sink.hpp"

namespace quillo {
namespace shortcut {

struct List {};
struct Add {
  std::string name;
  std::string command;
  std::string launch_behavior;
  std::string scope;
};
struct Remove {
  std::string id;
};

}  // namespace shortcut

using ShortcutCommand = std::variant<shortcut::List, shortcut::Add, shortcut::Remove>;

namespace shortcut {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "shortcut";
inline constexpr const char* kHelp = "Shortcut operations";

grammar::Node<ShortcutCommand> grammar();
MethodTarget to_target(const ShortcutCommand& command);

extern const ListRendering kList;
void render_add(const Json& result, Sink& out);
void render_remove(const Json& result, Sink& out);

}  // namespace shortcut
}  // namespace quillo
