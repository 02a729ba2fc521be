#include "core/output.hpp"

#include "core/json_parser.hpp"

namespace quillo {

void print_pretty(const Json& result, Sink& out) {
  out << to_pretty_text(result).value_or("") << '\n';
}

void print_ack(const Json&, Sink& out) { out << "OK\n"; }

void print_items(const Json& result, const ListRendering& list, Sink& out) {
  const Json* items = member(result, list.key);
  if (items == nullptr || !items->is_array()) return;
  if (items->empty()) {
    out << list.empty_line << '\n';
    return;
  }
  for (const Json& item : *items) list.print_item(item, out);
}

void print_items(std::string_view result_text, const ListRendering& list, Sink& out) {
  // The text was read whole before, so every part of it reads again.
  const auto part = [](std::string_view text, const OuterSpans::Span& span) {
    return text.substr(span.begin, span.end - span.begin);
  };
  const auto result = std::move(outer_spans(result_text).value());
  const OuterSpans::Span* member = result.kind == '{' ? result.last(list.key) : nullptr;
  if (member == nullptr) return;
  const std::string_view items_text = part(result_text, *member);
  const auto items = std::move(outer_spans(items_text).value());
  if (items.kind != '[') return;
  if (items.spans.empty()) {
    out << list.empty_line << '\n';
    return;
  }
  for (const OuterSpans::Span& item : items.spans) {
    list.print_item(parse_json(part(items_text, item)).value(), out);
  }
}

}  // namespace quillo
