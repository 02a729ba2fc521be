#pragma once
// Opening a file in the IDE's editor, optionally at a line and column.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/sink.hpp"

namespace quillo {
namespace file {

struct Open {
  std::string path;
  std::optional<std::uint32_t> line;
  std::optional<std::uint32_t> column;
};

}  // namespace file

using FileCommand = std::variant<file::Open>;

namespace file {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "file";
inline constexpr const char* kHelp = "File operations";

grammar::Node<FileCommand> grammar();
MethodTarget to_target(const FileCommand& command);

/// "opened: PATH:LINE", or "opened: PATH" without a line.
void render_open(const Json& result, Sink& out);

}  // namespace file
}  // namespace quillo
