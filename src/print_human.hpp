#pragma once
// The human rendering of a result, chosen by the method name that was sent.

#include <string_view>
#include <vector>

#include "core/json.hpp"
#include "core/sink.hpp"

namespace quillo {

using Renderer = void (*)(const Json& result, Sink& out);

/// The renderer for `method`: its own, the acknowledgement for other "browser." methods, or
/// pretty JSON.
Renderer renderer_for(std::string_view method);

/// The method names that have a rendering of their own, and the prefix "browser.", in the order
/// they are tried (for tests and tools that must cover every rendering).
std::vector<std::string_view> rendered_methods();

/// Renders `result` for `method` onto `out`. Never fails.
void print_human(std::string_view method, const Json& result, Sink& out);

}  // namespace quillo
