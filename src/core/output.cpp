#include "core/output.hpp"

namespace quillo {

void print_pretty(const Json& result, Sink& out) {
  out << to_pretty_text(result).value_or("") << '\n';
}

void print_ack(const Json&, Sink& out) { out << "OK\n"; }

void print_items(const Json& result, std::string_view key, std::string_view empty_line,
                 Sink& out, const std::function<void(const Json& item)>& print_item) {
  const Json* items = member(result, key);
  if (items == nullptr || !items->is_array()) return;
  if (items->empty()) {
    out << empty_line << '\n';
    return;
  }
  for (const Json& item : *items) print_item(item);
}

}  // namespace quillo
