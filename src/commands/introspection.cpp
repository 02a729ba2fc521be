#include "commands/introspection.hpp"

#include "core/json_document.hpp"
#include "core/output.hpp"
#include "core/text.hpp"
#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::introspection {
namespace {

// ---- Parameters.

Json help(std::optional<std::string_view> method) {
  Json params = Json::object();
  if (method) params["method"] = *method;
  return params;
}

// ---- Renderings.

// Left-aligned in at least `width` characters; a longer text is never cut.
void print_padded(const JsonText& text, std::size_t width, Sink& out) {
  out << text;
  for (std::size_t n = text.character_count(); n < width; ++n) out << ' ';
}

std::optional<JsonView> non_empty_array(const Members& value, std::string_view key) {
  const auto found = value[key];
  if (!found || found->kind() != JsonKind::Array || found->is_empty_container()) return std::nullopt;
  return found;
}

// The schema of one method: the first command, when it has "params".
std::optional<JsonView> method_schema(const Members& result) {
  const auto commands = non_empty_array(result, "commands");
  if (!commands) return std::nullopt;
  const JsonView first = *commands->elements().begin();
  if (!Members(first)["params"]) return std::nullopt;
  return first;
}

void print_concepts(const JsonView& concepts, Sink& out) {
  out << "\nConcepts\n";
  for (const JsonView concept_entry : concepts.elements()) {
    const Members m(concept_entry);
    out << "  ";
    print_padded(m.text_or("term", "?"), 14, out);
    out << "  " << m.text_or("definition", "") << '\n';
  }
}

void print_domain(const JsonView& domain, Sink& out) {
  const Members m(domain);
  out << '\n' << m.text_or("name", "?") << '\n';
  out << "  " << m.text_or("description", "") << '\n';
  if (const auto commands = non_empty_array(m, "commands")) {
    for (const JsonView command : commands->elements()) {
      const Members c(command);
      out << "    ";
      print_padded(c.text_or("method", "?"), 22, out);
      out << "  " << c.text_or("summary", "") << '\n';
    }
  }
}

// "ok  {app} {version} (build {build})  protocol={protocol_version}"
void render_ping(const JsonView& result, Sink& out) {
  const Members m(result);
  out << "ok  " << m.text_or("app", "?") << ' ' << m.text_or("version", "?") << " (build " << m.text_or("build", "?")
      << ")  protocol=" << m.int64_or_zero("protocol_version") << '\n';
}

// The method catalogue, or the schema of one method.
void render_catalogue(const JsonView& result, Sink& out) {
  const Members m(result);
  if (const auto schema = method_schema(m)) {
    print_pretty(*schema, out);
    return;
  }
  out << m.text_or("app", "Quillo") << '\n';
  if (const JsonText summary = m.text_or("summary", ""); !summary.empty()) out << "  " << summary << '\n';
  if (const auto concepts = non_empty_array(m, "concepts")) print_concepts(*concepts, out);
  if (const auto domains = non_empty_array(m, "domains")) {
    for (const JsonView domain : domains->elements()) print_domain(domain, out);
  }
}

// ---- The commands.

constexpr Example kPingExamples[] = {{"quillo ping", "ok  Quillo 2.3.0 (build 812)  protocol=1"}};
constexpr Command kPing{
    .name = "ping",
    .help = "Health check; returns app version and protocol version",
    .examples = kPingExamples,
    .method = "ping",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_ping),
    .params = no_params,
};

constexpr Example kWhoamiExamples[] = {
    {"quillo whoami",
     "{\n  \"project\": \"/Users/me/app\",\n  \"roost\": \"main\",\n  \"surface\": \"agent\"\n}"}};
constexpr Command kWhoami{
    .name = "whoami",
    .help = "Returns the channel client's resolved context (surface, roost, project)",
    .examples = kWhoamiExamples,
    .method = "whoami",
    .effect = Effect::Reads,
    .rendering = kPrettyJson,
    .params = no_params,
};

constexpr Argument kHelpArguments[] = {
    positional("method", "METHOD", "When provided, returns the full schema for just that method", false)
        .listed_in("help", "method", "{summary}"),
};
constexpr Example kHelpExamples[] = {
    {"quillo help",
     "Quillo\n  Drive the IDE from a shell\n\nterminal\n  Terminals of the focused roost\n    "
     "terminal.list           List all terminals"},
    {"quillo help terminal.close",
     "{\n  \"method\": \"terminal.close\",\n  \"params\": {\n    \"terminal_id\": {\n      "
     "\"required\": true,\n      \"type\": \"string\"\n    }\n  }\n}"}};
constexpr Command kHelp{
    .name = "help",
    .help = "List all supported methods, or describe one when METHOD is given",
    .arguments = kHelpArguments,
    .examples = kHelpExamples,
    .method = "help",
    .effect = Effect::Reads,
    .rendering = rendered_by(render_catalogue),
    .params = bind<kHelpArguments, help>,
};

constexpr Entry kCommands[] = {kPing, kWhoami, kHelp};
constexpr Group kGroup{.name = "introspection", .entries = kCommands};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::introspection
