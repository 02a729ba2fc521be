#include "commands/file.hpp"

namespace quillo::file {

grammar::Node<FileCommand> grammar() {
  using grammar::option;
  using grammar::ValueType;
  return grammar::group<FileCommand>(
      kName, kHelp,
      grammar::leaf<FileCommand>(
          "open", "Open a file in the editor",
          {grammar::positional("path", "PATH", "File path (absolute or project-relative)")
               .of_type(ValueType::Path),
           option("--line", "LINE", "1-based line to scroll to")
               .of_type(ValueType::Uint32)
               .counting("a line number"),
           option("--column", "COLUMN", "1-based column (requires --line)")
               .of_type(ValueType::Uint32)
               .counting("a column number")},
          [](const grammar::Values& v) {
            return Open{.path = v.text("path"),
                        .line = v.maybe_uint32("line"),
                        .column = v.maybe_uint32("column")};
          })
          .example("quillo file open notes.md --line 10",
                   "opened: /Users/me/app/notes.md:10"));
}

MethodTarget to_target(const FileCommand& command) {
  const Open& open = std::get<Open>(command);
  return {"file.open",
          {{"column", integer_or_null(open.column)},
           {"line", integer_or_null(open.line)},
           {"path", open.path}}};
}

void render_open(const Json& result, Sink& out) {
  out << "opened: " << text_or(result, "path", "?");
  if (const auto line = as_int64(member(result, "line"))) out << ':' << *line;
  out << '\n';
}

}  // namespace quillo::file
