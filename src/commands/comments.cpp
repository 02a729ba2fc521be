#include "commands/comments.hpp"

#include "core/output.hpp"

namespace quillo::comments {
namespace {

using grammar::option;
using grammar::Values;
using grammar::ValueType;

grammar::Argument id_option(std::string help) {
  return option("--id", "ID", std::move(help)).require().listed_in("comments list --status all", "id");
}

// A line or column number, by `what` it counts.
grammar::Argument number_option(std::string name, std::string value_name, std::string help,
                                std::string what) {
  return option(std::move(name), std::move(value_name), std::move(help))
      .of_type(ValueType::Uint32)
      .counting(std::move(what));
}

grammar::Argument comment_option(std::string help) {
  return option("--comment", "COMMENT", std::move(help)).require().or_from_file("--comment-file");
}

grammar::Argument status_option(std::string help) {
  return option("--status", "STATUS", std::move(help))
      .with_default("active")
      .with_choices({"active", "resolved", "stale", "all"});
}

struct Mapper {
  MethodTarget operator()(const Add& c) const {
    return {"comments.add",
            {{"body", c.comment},
             {"end_column", integer_or_null(c.end_column)},
             {"end_line", c.end_line.value_or(c.line)},
             {"file", c.file},
             {"parent_id", string_or_null(c.parent)},
             {"start_column", c.column.value_or(1)},
             {"start_line", c.line}}};
  }
  MethodTarget operator()(const List& c) const {
    return {"comments.list", {{"file", string_or_null(c.file)}, {"status", c.status}}};
  }
  MethodTarget operator()(const Reply& c) const {
    return {"comments.reply", {{"body", c.comment}, {"id", c.id}}};
  }
  MethodTarget operator()(const Update& c) const {
    return {"comments.update", {{"body", c.comment}, {"id", c.id}}};
  }
  MethodTarget operator()(const Resolve& c) const {
    return {"comments.resolve", {{"id", c.id}, {"unresolve", c.unresolve}}};
  }
  MethodTarget operator()(const Delete& c) const { return {"comments.delete", {{"id", c.id}}}; }
  MethodTarget operator()(const Search& c) const {
    return {"comments.search",
            {{"file_prefix", string_or_null(c.file_prefix)},
             {"query", string_or_null(c.query)},
             {"status", c.status}}};
  }
};

// The body's lines, each indented by four spaces. A line ends at a line feed, which goes with
// one carriage return before it; a last line without a line feed keeps everything it has.
void print_body(std::string_view body, Sink& out) {
  while (!body.empty()) {
    const auto end = body.find('\n');
    std::string_view line = body.substr(0, end);
    if (end == std::string_view::npos) {
      body = {};
    } else {
      body.remove_prefix(end + 1);
      if (line.ends_with('\r')) line.remove_suffix(1);
    }
    out << "    " << line << '\n';
  }
}

void print_comment(const Json& comment, Sink& out) {
  const Json* anchor = member(comment, "anchor");
  out << text_or(comment, "id", "?") << "  " << text_or(comment, "filePath", "?") << ':'
      << (anchor != nullptr ? int64_or_zero(*anchor, "startLine") : 0);
  if (has_text(comment, "resolvedAt")) out << " [resolved]";
  if (is_true(comment, "isStale")) out << " [stale]";
  if (text_or(comment, "authorKind", "") == "agent") out << " [agent]";
  out << '\n';
  print_body(text_or(comment, "body", ""), out);
}

}  // namespace

grammar::Node<CommentsCommand> grammar() {
  using grammar::leaf;
  return grammar::group<CommentsCommand>(
      kName, kHelp,
      leaf<CommentsCommand>(
          "add", "Add a comment to a file at a specific line range",
          {option("--file", "FILE", "File path (absolute or project-relative)")
               .of_type(ValueType::Path)
               .require(),
           number_option("--line", "LINE", "1-based line number where the comment starts",
                         "a line number")
               .require(),
           number_option("--column", "COLUMN", "1-based start column (default 1)", "a column number"),
           number_option("--end-line", "END_LINE",
                         "1-based end line (defaults to start line \u2014 line-only comment)",
                         "a line number"),
           number_option("--end-column", "END_COLUMN",
                         "1-based end column (defaults to end of start line)", "a column number"),
           comment_option("Comment body (markdown supported)"),
           option("--parent", "PARENT", "Parent comment ID for replies")
               .listed_in("comments list --status all", "id")},
          [](const Values& v) {
            return Add{.file = v.text("file"),
                       .line = v.uint32("line"),
                       .column = v.maybe_uint32("column"),
                       .end_line = v.maybe_uint32("end_line"),
                       .end_column = v.maybe_uint32("end_column"),
                       .comment = v.text("comment"),
                       .parent = v.maybe_text("parent")};
          })
          .example("quillo comments add --file docs/guide.md --line 12 --comment 'Typo here'",
                   "created: c1")
          .example("quillo comments add --file src/app.c --line 40 --end-line 42 --comment-file review.md",
                   "created: c2"),
      leaf<CommentsCommand>(
          "list", "List comments for a file (or all comments in the roost)",
          {option("--file", "FILE",
                  "File path (absolute or project-relative). Omit to list all in roost")
               .of_type(ValueType::Path),
           status_option("Filter by status: active, resolved, stale, all")},
          [](const Values& v) {
            return List{.file = v.maybe_text("file"), .status = v.text("status")};
          })
          .example("quillo comments list --file docs/guide.md",
                   "c1  docs/guide.md:12 [agent]\n    Typo here"),
      leaf<CommentsCommand>(
          "reply", "Reply to an existing comment thread",
          {id_option("Parent comment ID"), comment_option("Reply body")},
          [](const Values& v) {
            return Reply{.id = v.text("id"), .comment = v.text("comment")};
          })
          .example("quillo comments reply --id c1 --comment Fixed",
                   "created: c3"),
      leaf<CommentsCommand>(
          "update", "Update the body of a comment",
          {id_option("Comment ID"), comment_option("New body")},
          [](const Values& v) {
            return Update{.id = v.text("id"), .comment = v.text("comment")};
          })
          .example("quillo comments update --id c1 --comment 'Typo on this line'",
                   "updated: c1"),
      leaf<CommentsCommand>(
          "resolve", "Mark a comment thread as resolved (or pass --unresolve to reopen)",
          {id_option("Comment ID"), grammar::flag("--unresolve", "Reopen a resolved thread")},
          [](const Values& v) {
            return Resolve{.id = v.text("id"), .unresolve = v.flag("unresolve")};
          })
          .example("quillo comments resolve --id c1",
                   "resolved: c1")
          .example("quillo comments resolve --id c1 --unresolve",
                   "reopened: c1"),
      leaf<CommentsCommand>("delete", "Delete a comment (cascades to all replies)",
                            {id_option("Comment ID")},
                            [](const Values& v) { return Delete{.id = v.text("id")}; })
          .example("quillo comments delete --id c1",
                   "deleted 2 comment(s) starting at c1"),
      leaf<CommentsCommand>(
          "search", "Search comments by content / file / status",
          {option("--query", "QUERY", "FTS5 query string (matches comment body)"),
           option("--file-prefix", "FILE_PREFIX", "File-path prefix filter").of_type(ValueType::Path),
           status_option("Status filter")},
          [](const Values& v) {
            return Search{.query = v.maybe_text("query"),
                          .file_prefix = v.maybe_text("file_prefix"),
                          .status = v.text("status")};
          })
          .example("quillo comments search --query typo --file-prefix docs/",
                   "c1  docs/guide.md:12 [agent]\n    Typo here"));
}

MethodTarget to_target(const CommentsCommand& command) { return std::visit(Mapper{}, command); }

void render_created(const Json& result, Sink& out) {
  out << "created: " << text_or(result, "id", "?") << '\n';
}

void render_updated(const Json& result, Sink& out) {
  out << "updated: " << text_or(result, "id", "?") << '\n';
}

void render_resolved(const Json& result, Sink& out) {
  out << (has_text(result, "resolvedAt") ? "resolved: " : "reopened: ")
      << text_or(result, "id", "?") << '\n';
}

void render_deleted(const Json& result, Sink& out) {
  out << "deleted " << int64_or_zero(result, "deletedCount") << " comment(s) starting at "
      << text_or(result, "id", "?") << '\n';
}

const ListRendering kList{"comments", "(no comments)", print_comment};

}  // namespace quillo::comments
