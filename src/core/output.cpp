#include "core/output.hpp"

namespace quillo {

void print_json(const Json& result, std::ostream& out) {
  out << to_compact_text(result).value_or("") << '\n';
}

void print_pretty(const Json& result, std::ostream& out) {
  out << to_pretty_text(result).value_or("") << '\n';
}

void print_ack(const Json&, std::ostream& out) { out << "OK\n"; }

}  // namespace quillo
