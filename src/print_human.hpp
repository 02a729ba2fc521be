#pragma once
// The human rendering of a result, chosen by the method name that was sent.

#include <string_view>
#include <vector>

#include "core/json.hpp"
#include "core/sink.hpp"

namespace quillo {

using Renderer = void (*)(const Json& result, Sink& out);

/// The method names that have a rendering of their own, and the prefix "browser.", in the order
/// they are tried (for tests and tools that must cover every rendering): the method's own
/// rendering, the acknowledgement for other "browser." methods, or else pretty JSON.
std::vector<std::string_view> rendered_methods();

/// Renders `result` for `method` onto `out`. Never fails.
void print_human(std::string_view method, const Json& result, Sink& out);

/// The same from the result's JSON text, which must have been read whole before (a reply that
/// is not JSON is an error before anything is printed): lists are rendered an element at a
/// time, so a reply of any size takes little more memory than its text.
void print_human(std::string_view method, std::string_view result_text, Sink& out);

}  // namespace quillo
