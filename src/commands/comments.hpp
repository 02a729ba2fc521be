#pragma once
// Comments anchored to line ranges of files: add, answer, edit, resolve, delete, list, search.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/output.hpp"
#include "core/sink.hpp"

namespace quillo {
namespace comments {

struct Add {
  std::string file;
  std::uint32_t line = 0;
  std::optional<std::uint32_t> column;
  std::optional<std::uint32_t> end_line;
  std::optional<std::uint32_t> end_column;
  std::string comment;
  std::optional<std::string> parent;
};
struct List {
  std::optional<std::string> file;
  std::string status = "active";
};
struct Reply {
  std::string id;
  std::string comment;
};
struct Update {
  std::string id;
  std::string comment;
};
struct Resolve {
  std::string id;
  bool unresolve = false;
};
struct Delete {
  std::string id;
};
struct Search {
  std::optional<std::string> query;
  std::optional<std::string> file_prefix;
  std::string status = "active";
};

}  // namespace comments

using CommentsCommand = std::variant<comments::Add, comments::List, comments::Reply,
                                     comments::Update, comments::Resolve, comments::Delete,
                                     comments::Search>;

namespace comments {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "comments";
inline constexpr const char* kHelp = "File comment operations (F049)";

grammar::Node<CommentsCommand> grammar();
MethodTarget to_target(const CommentsCommand& command);

/// "created: ID" (add and reply).
void render_created(const Json& result, Sink& out);
void render_updated(const Json& result, Sink& out);
/// "resolved: ID" or "reopened: ID", by whether the result has a "resolvedAt" text.
void render_resolved(const Json& result, Sink& out);
void render_deleted(const Json& result, Sink& out);
/// The comments of a list or search: a header line each, then the body indented.
extern const ListRendering kList;

}  // namespace comments
}  // namespace quillo
