#pragma once
// A message line read once, before any value is built from it: whether it is JSON this server
// takes, how many values it holds, and its id. Building the value type's tree costs some forty
// times the text for small values, so a line of many (`[{},{},...]`) is refused unbuilt.

#include <cstddef>
#include <string_view>

#include "core/json.hpp"

namespace quillo::mcp {

/// The most JSON values (keys among them) of one line: a real request holds a few dozen.
inline constexpr std::size_t kMaxMessageValues = 10'000;

struct Survey {
  enum class Verdict {
    Json,            ///< to be built and served
    NotJson,         ///< not one JSON value
    TooDeep,         ///< JSON nested deeper than kMaxJsonDepth
    NumberTooLarge,  ///< JSON with a number beyond a double's range
    TooManyValues,   ///< JSON of more than the values allowed
  };
  Verdict verdict = Verdict::NotJson;
  /// For TooManyValues, which is read to its end: the message's top-level "id" (the last one, as
  /// the value would keep) when it is a string or an integer. Null otherwise.
  Json id;
};

/// Reads `line` (valid UTF-8) as JSON, keeping nothing but its id.
Survey survey_line(std::string_view line, std::size_t max_values);

}  // namespace quillo::mcp
