#pragma once
// Human renderings: the generic ones (pretty JSON, the acknowledgement), lists, and the choice of
// a rendering by the method that was sent.

#include <string_view>

#include "core/command_table.hpp"
#include "core/json_document.hpp"
#include "core/sink.hpp"

namespace quillo {

/// The value indented by two spaces per level, and a line feed.
void print_pretty(const JsonView& value, Sink& out);

/// The rendering for `method`: that of the command below `root` that sends it; else the
/// acknowledgement for any other "browser." method; else pretty JSON.
RenderingRef rendering_for(NodeRef root, std::string_view method);

/// Renders `result` as `rendering` says. Never fails.
void render(const RenderingRef& rendering, const JsonView& result, Sink& out);

}  // namespace quillo
