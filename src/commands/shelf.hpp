#pragma once
// The IDE's shelf: files and folders set aside, one of which may be selected.

#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/output.hpp"
#include "core/sink.hpp"

namespace quillo {
namespace shelf {

struct Add {
  std::string path;
  bool select = false;
};
struct List {};
struct Remove {
  std::string path;
};

}  // namespace shelf

using ShelfCommand = std::variant<shelf::Add, shelf::List, shelf::Remove>;

namespace shelf {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "shelf";
inline constexpr const char* kHelp = "Shelf operations";

grammar::Node<ShelfCommand> grammar();
MethodTarget to_target(const ShelfCommand& command);

void render_add(const Json& result, Sink& out);
extern const ListRendering kList;
void render_remove(const Json& result, Sink& out);

}  // namespace shelf
}  // namespace quillo
