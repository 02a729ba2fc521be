#pragma once
// The generic renderings: pretty JSON and the acknowledgement, and the shape of list renderings.

#include <string_view>

#include "core/json.hpp"
#include "core/sink.hpp"

namespace quillo {

/// The result indented by two spaces per level, and a line feed.
void print_pretty(const Json& result, Sink& out);

/// The line "OK", whatever the result holds.
void print_ack(const Json& result, Sink& out);

/// The shape shared by list renderings: nothing when the result's `key` is missing or not an
/// array, the line `empty_line` when it is empty, otherwise `print_item` for each element.
struct ListRendering {
  std::string_view key;
  std::string_view empty_line;
  void (*print_item)(const Json& item, Sink& out);
};

void print_items(const Json& result, const ListRendering& list, Sink& out);

/// The same from the result's JSON text (checked already), one element read at a time: a list
/// of any length is printed in the memory of one element.
void print_items(std::string_view result_text, const ListRendering& list, Sink& out);

}  // namespace quillo
