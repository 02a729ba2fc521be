#pragma once
// Human renderings: the generic ones (pretty JSON, the acknowledgement), lists, and the choice of
// a rendering by the method that was sent.

#include <string_view>

#include "core/command_table.hpp"
#include "core/json.hpp"
#include "core/sink.hpp"

namespace quillo {

/// The result indented by two spaces per level, and a line feed.
void print_pretty(const Json& result, Sink& out);

/// The rendering for `method`: that of the command below `root` that sends it; else the
/// acknowledgement for any other "browser." method; else pretty JSON.
RenderingRef rendering_for(NodeRef root, std::string_view method);

/// Renders `result` as `rendering` says. Never fails.
void render(const RenderingRef& rendering, const Json& result, Sink& out);

/// The same from the result's JSON text, which must have been read whole before (a reply that
/// is not JSON is an error before anything is printed): lists are rendered an element at a
/// time, so a reply of any size takes little more memory than its text.
void render(const RenderingRef& rendering, std::string_view result_text, Sink& out);

}  // namespace quillo
