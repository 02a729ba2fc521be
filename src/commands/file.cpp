#include "commands/file.hpp"

#include "core/json_document.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::file {
namespace {

Json open(std::string_view path, std::optional<std::uint32_t> line, std::optional<std::uint32_t> column) {
  return {{"column", integer_or_null(column)}, {"line", integer_or_null(line)}, {"path", path}};
}

// "opened: PATH:LINE", or "opened: PATH" without a line.
void render_open(const JsonView& result, Sink& out) {
  const Members m(result);
  const auto line = m["line"];
  out << "opened: " << m.text_or("path", "?");
  if (const auto number = line ? line->as_int64() : std::nullopt) out << ':' << *number;
  out << '\n';
}

constexpr Argument kOpenArguments[] = {
    positional("path", "PATH", "File path (absolute or project-relative)").of_type(ValueType::Path),
    option("--line", "LINE", "1-based line to scroll to").of_type(ValueType::Uint32).counting("a line number"),
    option("--column", "COLUMN", "1-based column (requires --line)").of_type(ValueType::Uint32).counting("a column number"),
};
constexpr Example kOpenExamples[] = {{"quillo file open notes.md --line 10", "opened: /Users/me/app/notes.md:10"}};
constexpr Command kOpen{
    .name = "open",
    .help = "Open a file in the editor",
    .arguments = kOpenArguments,
    .examples = kOpenExamples,
    .method = "file.open",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_open),
    .idempotent = true,
    .params = bind<kOpenArguments, open>,
};

constexpr Entry kCommands[] = {kOpen};
constexpr Group kGroup{.name = kName, .help = kHelp, .entries = kCommands, .examples = kOpenExamples};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::file
