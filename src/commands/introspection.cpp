#include "commands/introspection.hpp"

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
void print_padded(std::string_view text, std::size_t width, Sink& out) {
  out << text;
  for (std::size_t n = character_count(text); n < width; ++n) out << ' ';
}

const Json* non_empty_array(const Json& value, std::string_view key) {
  const Json* found = member(value, key);
  return found != nullptr && found->is_array() && !found->empty() ? found : nullptr;
}

// The schema of one method: the first command, when it has "params".
const Json* method_schema(const Json& result) {
  const Json* commands = non_empty_array(result, "commands");
  if (commands == nullptr) return nullptr;
  const Json& first = commands->front();
  return member(first, "params") != nullptr ? &first : nullptr;
}

void print_concepts(const Json& concepts, Sink& out) {
  out << "\nConcepts\n";
  for (const Json& concept_entry : concepts) {
    out << "  ";
    print_padded(text_or(concept_entry, "term", "?"), 14, out);
    out << "  " << text_or(concept_entry, "definition", "") << '\n';
  }
}

void print_domain(const Json& domain, Sink& out) {
  out << '\n' << text_or(domain, "name", "?") << '\n';
  out << "  " << text_or(domain, "description", "") << '\n';
  if (const Json* commands = non_empty_array(domain, "commands")) {
    for (const Json& command : *commands) {
      out << "    ";
      print_padded(text_or(command, "method", "?"), 22, out);
      out << "  " << text_or(command, "summary", "") << '\n';
    }
  }
}

// "ok  {app} {version} (build {build})  protocol={protocol_version}"
void render_ping(const Json& result, Sink& out) {
  out << "ok  " << text_or(result, "app", "?") << ' ' << text_or(result, "version", "?")
      << " (build " << text_or(result, "build", "?")
      << ")  protocol=" << int64_or_zero(result, "protocol_version") << '\n';
}

// The method catalogue, or the schema of one method.
void render_catalogue(const Json& result, Sink& out) {
  if (const Json* schema = method_schema(result)) {
    print_pretty(*schema, out);
    return;
  }
  out << text_or(result, "app", "Quillo") << '\n';
  if (const auto summary = text_or(result, "summary", ""); !summary.empty()) {
    out << "  " << summary << '\n';
  }
  if (const Json* concepts = non_empty_array(result, "concepts")) print_concepts(*concepts, out);
  if (const Json* domains = non_empty_array(result, "domains")) {
    for (const Json& domain : *domains) print_domain(domain, out);
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
