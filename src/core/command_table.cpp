#include "core/command_table.hpp"

namespace quillo {

const NodeRecord& NodeRef::record() const { return table_->nodes_[index_]; }

NodeRef NodeRef::resolved() const {
  const NodeRecord& r = record();
  if (r.external == 0) return *this;
  return table_->externals_[r.external - 1]->root();
}

std::string_view NodeRef::name() const { return table_->text(record().name); }
std::string_view NodeRef::help() const { return table_->text(record().help); }

namespace {

void collect(NodeRef node, const std::string& path, std::vector<ReachedNode>& out) {
  out.push_back({path, node});
  node.for_each_child([&](const NodeRef& child) {
    collect(child, path.empty() ? std::string(child.name()) : path + " " + std::string(child.name()), out);
  });
}

}  // namespace

std::vector<ReachedNode> every_node(NodeRef root) {
  std::vector<ReachedNode> out;
  collect(root, "", out);
  return out;
}

NodeRef NodeRef::child_named(std::string_view wanted) const {
  const NodeRef node = resolved();
  const NodeRecord& r = node.record();
  for (std::size_t i = 0; i < r.entry_count; ++i) {
    const NodeRef entry(node.table_, node.table_->entries_[r.first_entry + i]);
    if (!entry.record().splice) {
      if (entry.name() == wanted) return entry;
    } else if (const NodeRef found = entry.resolved().child_named(wanted); found.valid()) {
      return found;
    }
  }
  return {};
}

std::size_t NodeRef::argument_count() const { return resolved().record().argument_count; }

ArgumentRef NodeRef::argument(std::size_t index) const {
  const NodeRef node = resolved();
  return {node.table_, static_cast<std::uint16_t>(node.record().first_argument + index)};
}

std::size_t NodeRef::example_count() const { return resolved().record().example_count; }

Example NodeRef::example(std::size_t index) const {
  const NodeRef node = resolved();
  const ExampleRecord& e = node.table_->examples_[node.record().first_example + index];
  return {node.table_->text(e.command), node.table_->text(e.output)};
}

std::string_view NodeRef::method() const {
  const NodeRef node = resolved();
  return node.table_->text(node.record().method);
}

RenderingRef NodeRef::rendering() const {
  const NodeRef node = resolved();
  const NodeRecord& r = node.record();
  return {r.rendering, node.table_->functions_[node.index_].render, node.table_->text(r.list_key),
          node.table_->text(r.empty_line)};
}

ParamsFunction NodeRef::params() const {
  const NodeRef node = resolved();
  return node.table_->functions_[node.index_].params;
}

LocalFunction NodeRef::local() const {
  const NodeRef node = resolved();
  return node.table_->functions_[node.index_].local;
}

NodeRef find_method(NodeRef root, std::string_view method) {
  NodeRef found;
  for_each_command(root, [&](NodeRef command) {
    if (!found.valid() && !command.method().empty() && command.method() == method) found = command;
  });
  return found;
}

const ArgumentRecord& ArgumentRef::record() const { return table_->arguments_[index_]; }
std::string_view ArgumentRef::text(TextRef ref) const { return table_->text(ref); }

std::string_view ArgumentRef::option() const { return text(record().option); }
std::string_view ArgumentRef::id() const { return text(record().id); }
std::string_view ArgumentRef::value_name() const { return text(record().value_name); }
std::string_view ArgumentRef::help() const { return text(record().help); }
std::string_view ArgumentRef::choices() const { return text(record().choices); }
std::string_view ArgumentRef::unit() const { return text(record().unit); }
std::string_view ArgumentRef::file_option() const { return text(record().file_option); }
std::string_view ArgumentRef::listed_by() const { return text(record().listed_by); }
std::string_view ArgumentRef::listed_key() const { return text(record().listed_key); }
std::string_view ArgumentRef::listed_description() const { return text(record().listed_description); }
Check ArgumentRef::check() const { return table_->checks_[index_]; }

std::optional<std::string_view> ArgumentRef::default_value() const {
  if (!record().has_default) return std::nullopt;
  return text(record().default_value);
}

std::string ArgumentRef::file_option_help() const {
  std::string help = "Read " + std::string(value_name()) + " from FILE ('-' reads standard input)";
  if (required()) help += "; " + std::string(name()) + " or this is required";
  return help;
}

}  // namespace quillo
