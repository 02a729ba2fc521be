#pragma once
// Reading JSON text: into the program's value type, or straight into the compact text that the
// value type would write (keys sorted at every level), without building the value. Both read
// exactly the same language: one value, white space around it, nesting at most kMaxJsonDepth
// levels, no NUL byte, no byte-order mark, numbers that fit a double.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/json.hpp"
#include "core/result.hpp"

namespace quillo {

/// Parses `text` as exactly one JSON value (white space around it allowed), nested at most
/// kMaxJsonDepth levels. Returns the value or a description of what is wrong.
Result<Json> parse_json(std::string_view text);

/// The outermost value of a JSON text, read only as far as where its members or elements lie:
/// for a reply of many megabytes, its parts can then be read one at a time.
struct OuterSpans {
  struct Span {
    std::string key;  ///< of a member; empty for an element
    std::size_t begin = 0;
    std::size_t end = 0;
  };
  char kind = 0;  ///< '{' for an object, '[' for an array, 0 for anything else
  std::vector<Span> spans;

  /// The last member named `key` (the one a parsed value keeps), or nullptr.
  const Span* last(std::string_view key) const;
};

/// The outer spans of `text`, which is checked as parse_json checks it, with the same
/// description of what is wrong.
Result<OuterSpans> outer_spans(std::string_view text);

/// `text` (which must be valid UTF-8) as compact JSON with sorted keys, byte for byte what
/// parsing it and writing the value compactly gives; or the description of what is wrong.
Result<std::string> compact_json(std::string_view text);

}  // namespace quillo
