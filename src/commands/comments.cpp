#include "commands/comments.hpp"

#include <cstring>

#include "core/json_document.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::comments {
namespace {

// ---- Parameters.

// The start column defaults to 1 and the end line to the start line; the end column is left
// to the IDE (the end of the start line).
Json add(std::string_view file, std::uint32_t line, std::optional<std::uint32_t> column,
         std::optional<std::uint32_t> end_line, std::optional<std::uint32_t> end_column,
         std::string_view comment, std::optional<std::string_view> parent) {
  return {{"body", comment},
          {"end_column", integer_or_null(end_column)},
          {"end_line", end_line.value_or(line)},
          {"file", file},
          {"parent_id", string_or_null(parent)},
          {"start_column", column.value_or(1)},
          {"start_line", line}};
}

Json list(std::optional<std::string_view> file, std::string_view status) {
  return {{"file", string_or_null(file)}, {"status", status}};
}

// reply and update.
Json with_body(std::string_view id, std::string_view comment) { return {{"body", comment}, {"id", id}}; }

Json resolve(std::string_view id, bool unresolve) { return {{"id", id}, {"unresolve", unresolve}}; }

Json with_id(std::string_view id) { return {{"id", id}}; }

Json search(std::optional<std::string_view> query, std::optional<std::string_view> file_prefix,
            std::string_view status) {
  return {{"file_prefix", string_or_null(file_prefix)}, {"query", string_or_null(query)}, {"status", status}};
}

// ---- Renderings.

// Where the first carriage return or line feed of `piece` stands, or npos: looked for by the
// library's search for a byte, many bytes at a time, the carriage return only before the feed.
std::size_t line_break_in(std::string_view piece) {
  const auto* feed = static_cast<const char*>(std::memchr(piece.data(), '\n', piece.size()));
  const std::size_t before = feed != nullptr ? static_cast<std::size_t>(feed - piece.data()) : piece.size();
  if (const auto* ret = static_cast<const char*>(std::memchr(piece.data(), '\r', before))) {
    return static_cast<std::size_t>(ret - piece.data());
  }
  return feed != nullptr ? before : std::string_view::npos;
}

// The body's lines, each indented by four spaces. A line ends at a line feed, which goes with
// one carriage return before it; a last line without a line feed keeps everything it has.
// Written a piece at a time: a body may be as long as the reply.
class BodyLines {
 public:
  explicit BodyLines(Sink& out) : out_(out) {}
  void operator()(std::string_view piece) {
    while (!piece.empty()) {
      if (at_line_start_) {
        out_ << "    ";
        at_line_start_ = false;
      }
      const std::size_t stop = line_break_in(piece);
      if (stop != 0 && carriage_return_) {
        out_ << '\r';  // it stays: no line feed follows it
        carriage_return_ = false;
      }
      out_ << piece.substr(0, stop);
      if (stop == std::string_view::npos) return;
      if (piece[stop] == '\n') {
        carriage_return_ = false;
        out_ << '\n';
        at_line_start_ = true;
      } else {
        if (carriage_return_) out_ << '\r';
        carriage_return_ = true;
      }
      piece.remove_prefix(stop + 1);
    }
  }
  void finish() {
    if (carriage_return_) out_ << '\r';
    if (!at_line_start_) out_ << '\n';
  }

 private:
  Sink& out_;
  bool at_line_start_ = true;
  bool carriage_return_ = false;  ///< held until what follows it is known
};

// A header line, then the body indented. Run once per comment of a list of any length, and
// compiled for size, which would measure each name at run time: they are given measured.
void print_comment(const JsonView& comment, Sink& out) {
  using namespace std::string_view_literals;
  const Members m(comment);
  out << m.text_or("id"sv, "?"sv) << "  "sv << m.text_or("filePath"sv, "?"sv) << ':'
      << Members(m["anchor"sv]).int64_or_zero("startLine"sv);
  if (m.has_text("resolvedAt"sv)) out << " [resolved]"sv;
  if (m.is_true("isStale"sv)) out << " [stale]"sv;
  if (m.text_or("authorKind"sv, ""sv) == "agent"sv) out << " [agent]"sv;
  out << '\n';
  BodyLines lines(out);
  m.text_or("body"sv, ""sv).for_each_piece(lines);
  lines.finish();
}

// add and reply.
void render_created(const JsonView& result, Sink& out) {
  out << "created: " << Members(result).text_or("id", "?") << '\n';
}

void render_updated(const JsonView& result, Sink& out) {
  out << "updated: " << Members(result).text_or("id", "?") << '\n';
}

// By whether the result has a "resolvedAt" text, not by the flag sent.
void render_resolved(const JsonView& result, Sink& out) {
  const Members m(result);
  out << (m.has_text("resolvedAt") ? "resolved: " : "reopened: ") << m.text_or("id", "?") << '\n';
}

void render_deleted(const JsonView& result, Sink& out) {
  const Members m(result);
  out << "deleted " << m.int64_or_zero("deletedCount") << " comment(s) starting at " << m.text_or("id", "?") << '\n';
}

constexpr Rendering kCommentList = list_of("comments", "(no comments)", print_comment);

// ---- The commands.

constexpr Argument id_option(std::string_view help) {
  return option("--id", "ID", help).require().listed_in("comments list --status all", "id",
                                                       "{filePath}:{anchor.startLine}");
}

// A line or column number, by `what` it counts.
constexpr Argument number_option(std::string_view name, std::string_view value_name,
                                 std::string_view help, std::string_view what) {
  return option(name, value_name, help).of_type(ValueType::Uint32).counting(what);
}

constexpr Argument comment_option(std::string_view help) {
  return option("--comment", "COMMENT", help).require().or_from_file("--comment-file");
}

constexpr Argument status_option(std::string_view help) {
  return option("--status", "STATUS", help).with_default("active").with_choices("active resolved stale all");
}

constexpr Argument kAddArguments[] = {
    option("--file", "FILE", "File path (absolute or project-relative)").of_type(ValueType::Path).require(),
    number_option("--line", "LINE", "1-based line number where the comment starts", "a line number").require(),
    number_option("--column", "COLUMN", "1-based start column (default 1)", "a column number"),
    number_option("--end-line", "END_LINE", "1-based end line (defaults to start line \u2014 line-only comment)",
                  "a line number"),
    number_option("--end-column", "END_COLUMN", "1-based end column (defaults to end of start line)",
                  "a column number"),
    comment_option("Comment body (markdown supported)"),
    option("--parent", "PARENT", "Parent comment ID for replies")
        .listed_in("comments list --status all", "id", "{filePath}:{anchor.startLine}"),
};
constexpr Example kAddExamples[] = {
    {"quillo comments add --file docs/guide.md --line 12 --comment 'Typo here'", "created: c1"},
    {"quillo comments add --file src/app.c --line 40 --end-line 42 --comment-file review.md", "created: c2"}};
constexpr Command kAdd{
    .name = "add",
    .help = "Add a comment to a file at a specific line range",
    .arguments = kAddArguments,
    .examples = kAddExamples,
    .method = "comments.add",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_created),
    .params = bind<kAddArguments, add>,
};

constexpr Argument kListArguments[] = {
    option("--file", "FILE", "File path (absolute or project-relative). Omit to list all in roost")
        .of_type(ValueType::Path),
    status_option("Filter by status: active, resolved, stale, all"),
};
constexpr Example kListExamples[] = {
    {"quillo comments list --file docs/guide.md", "c1  docs/guide.md:12 [agent]\n    Typo here"}};
constexpr Command kList{
    .name = "list",
    .help = "List comments for a file (or all comments in the roost)",
    .arguments = kListArguments,
    .examples = kListExamples,
    .method = "comments.list",
    .effect = Effect::Reads,
    .rendering = kCommentList,
    .params = bind<kListArguments, list>,
};

constexpr Argument kReplyArguments[] = {id_option("Parent comment ID"), comment_option("Reply body")};
constexpr Example kReplyExamples[] = {{"quillo comments reply --id c1 --comment Fixed", "created: c3"}};
constexpr Command kReply{
    .name = "reply",
    .help = "Reply to an existing comment thread",
    .arguments = kReplyArguments,
    .examples = kReplyExamples,
    .method = "comments.reply",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_created),
    .params = bind<kReplyArguments, with_body>,
};

constexpr Argument kUpdateArguments[] = {id_option("Comment ID"), comment_option("New body")};
constexpr Example kUpdateExamples[] = {{"quillo comments update --id c1 --comment 'Typo on this line'", "updated: c1"}};
constexpr Command kUpdate{
    .name = "update",
    .help = "Update the body of a comment",
    .arguments = kUpdateArguments,
    .examples = kUpdateExamples,
    .method = "comments.update",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_updated),
    .idempotent = true,
    .params = bind<kUpdateArguments, with_body>,
};

constexpr Argument kResolveArguments[] = {id_option("Comment ID"), flag("--unresolve", "Reopen a resolved thread")};
constexpr Example kResolveExamples[] = {{"quillo comments resolve --id c1", "resolved: c1"},
                                        {"quillo comments resolve --id c1 --unresolve", "reopened: c1"}};
constexpr Command kResolve{
    .name = "resolve",
    .help = "Mark a comment thread as resolved (or pass --unresolve to reopen)",
    .arguments = kResolveArguments,
    .examples = kResolveExamples,
    .method = "comments.resolve",
    .effect = Effect::Changes,
    .rendering = rendered_by(render_resolved),
    .idempotent = true,
    .params = bind<kResolveArguments, resolve>,
};

constexpr Argument kDeleteArguments[] = {id_option("Comment ID")};
constexpr Example kDeleteExamples[] = {{"quillo comments delete --id c1", "deleted 2 comment(s) starting at c1"}};
constexpr Command kDelete{
    .name = "delete",
    .help = "Delete a comment (cascades to all replies)",
    .arguments = kDeleteArguments,
    .examples = kDeleteExamples,
    .method = "comments.delete",
    .effect = Effect::Removes,
    .rendering = rendered_by(render_deleted),
    .idempotent = true,
    .params = bind<kDeleteArguments, with_id>,
};

constexpr Argument kSearchArguments[] = {
    option("--query", "QUERY", "FTS5 query string (matches comment body)"),
    option("--file-prefix", "FILE_PREFIX", "File-path prefix filter").of_type(ValueType::Path),
    status_option("Status filter"),
};
constexpr Example kSearchExamples[] = {
    {"quillo comments search --query typo --file-prefix docs/", "c1  docs/guide.md:12 [agent]\n    Typo here"}};
constexpr Command kSearch{
    .name = "search",
    .help = "Search comments by content / file / status",
    .arguments = kSearchArguments,
    .examples = kSearchExamples,
    .method = "comments.search",
    .effect = Effect::Reads,
    .rendering = kCommentList,
    .params = bind<kSearchArguments, search>,
};

constexpr Entry kCommands[] = {kAdd, kList, kReply, kUpdate, kResolve, kDelete, kSearch};
constexpr Example kExamples[] = {
    {"quillo comments add --file docs/guide.md --line 12 --comment 'Typo here'", "created: c1"},
    {"quillo comments list --file docs/guide.md", "c1  docs/guide.md:12 [agent]\n    Typo here"}};
constexpr Group kGroup{.name = kName, .help = kHelp, .entries = kCommands, .examples = kExamples};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::comments
