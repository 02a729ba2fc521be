#include "core/output.hpp"

#include "core/json_writer.hpp"

namespace quillo {
namespace {

using Kind = Rendering::Kind;

// Nothing when the result's list is missing or is no array, the rendering's line for an empty
// one, otherwise each element, read one at a time where it lies.
void print_items(const JsonView& result, const RenderingRef& list, Sink& out) {
  const auto items = Members(result)[list.list_key];
  if (!items || items->kind() != JsonKind::Array) return;
  if (items->is_empty_container()) {
    out << list.empty_line << '\n';
    return;
  }
  for (const JsonView item : items->elements()) list.render(item, out);
}

}  // namespace

void print_pretty(const JsonView& value, Sink& out) {
  write_json(value, out, {.indented = true});
  out << '\n';
}

RenderingRef rendering_for(NodeRef root, std::string_view method) {
  if (const NodeRef command = find_method(root, method); command.valid()) return command.rendering();
  // Else as the family of the method's first word shows the methods it does not declare.
  if (const auto dot = method.find('.'); dot != std::string_view::npos) {
    const NodeRef family = root.child_named(method.substr(0, dot));
    if (family.valid() && family.is_group()) return {family.rendering().kind};
  }
  return {Kind::Pretty};
}

void render(const RenderingRef& rendering, const JsonView& result, Sink& out) {
  switch (rendering.kind) {
    case Kind::Function:
      rendering.render(result, out);
      return;
    case Kind::List:
      print_items(result, rendering, out);
      return;
    case Kind::Acknowledge:
      out << "OK\n";
      return;
    case Kind::Pretty:
    case Kind::ByMethod:    // resolved to the typed method's rendering before
    case Kind::Undeclared:  // refused when the table is compiled
      print_pretty(result, out);
      return;
  }
}

}  // namespace quillo
