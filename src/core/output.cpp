#include "core/output.hpp"

#include "core/json_parser.hpp"

namespace quillo {
namespace {

using Kind = Rendering::Kind;

void print_items(const Json& result, const RenderingRef& list, Sink& out) {
  const Json* items = member(result, list.list_key);
  if (items == nullptr || !items->is_array()) return;
  if (items->empty()) {
    out << list.empty_line << '\n';
    return;
  }
  for (const Json& item : *items) list.render(item, out);
}

// The list from the result's text (checked already), one element read at a time: a list of any
// length is printed in the memory of one element.
void print_items(std::string_view result_text, const RenderingRef& list, Sink& out) {
  // The text was read whole before, so every part of it reads again.
  const auto part = [](std::string_view text, const OuterSpans::Span& span) {
    return text.substr(span.begin, span.end - span.begin);
  };
  const auto result = outer_spans(result_text).value();
  const OuterSpans::Span* member = result.kind == '{' ? result.last(list.list_key) : nullptr;
  if (member == nullptr) return;
  const std::string_view items_text = part(result_text, *member);
  const auto items = outer_spans(items_text).value();
  if (items.kind != '[') return;
  if (items.spans.empty()) {
    out << list.empty_line << '\n';
    return;
  }
  for (const OuterSpans::Span& item : items.spans) {
    list.render(parse_json(part(items_text, item)).value(), out);
  }
}

}  // namespace

void print_pretty(const Json& result, Sink& out) {
  out << to_pretty_text(result).value_or("") << '\n';
}

RenderingRef rendering_for(NodeRef root, std::string_view method) {
  if (const NodeRef command = find_method(root, method); command.valid()) return command.rendering();
  return {method.starts_with("browser.") ? Kind::Acknowledge : Kind::Pretty};
}

void render(const RenderingRef& rendering, const Json& result, Sink& out) {
  switch (rendering.kind) {
    case Kind::Function:
      rendering.render(result, out);
      return;
    case Kind::List:
      print_items(result, rendering, out);
      return;
    case Kind::Acknowledge:
      out << "OK\n";
      return;
    case Kind::Pretty:
    case Kind::ByMethod:  // resolved to the typed method's rendering before
    case Kind::Undeclared:  // refused when the table is compiled
      print_pretty(result, out);
      return;
  }
}

void render(const RenderingRef& rendering, std::string_view result_text, Sink& out) {
  if (rendering.kind == Kind::List) {
    print_items(result_text, rendering, out);
  } else if (rendering.kind == Kind::Acknowledge) {
    out << "OK\n";
  } else {
    render(rendering, parse_json(result_text).value(), out);
  }
}

}  // namespace quillo
