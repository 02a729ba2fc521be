#include "help_screens.hpp"

#include <sstream>
#include <vector>

#include "cli.hpp"
#include "core/version.hpp"

namespace docgen {
namespace {

using quillo::grammar::NodeBase;

// Every command's path as child indices ("3 1"), with its screen.
void collect(const quillo::grammar::Program& program, const NodeBase& node, std::vector<std::size_t>& path,
             std::ostringstream& out) {
  std::string key;
  for (std::size_t index : path) key += (key.empty() ? "" : " ") + std::to_string(index);
  out << "    {\"" << key << "\", R\"QUILLO_HELP(" << quillo::grammar::help_text(program, path)
      << ")QUILLO_HELP\"},\n";
  for (std::size_t i = 0; i < node.child_count(); ++i) {
    path.push_back(i);
    collect(program, node.child(i).full(), path, out);
    path.pop_back();
  }
}

}  // namespace

std::string help_screens_source() {
  const auto root = quillo::command_tree();
  const quillo::grammar::Program program{"quillo", quillo::kVersion, &root};
  std::ostringstream out;
  out << "// The help screen of every command, generated from quillo's grammar by quillo-docgen;\n"
      << "// do not edit.\n#include <string_view>\n\n#include \"core/grammar.hpp\"\n\n"
      << "namespace quillo::grammar {\nnamespace {\n\n"
      << "struct Screen {\n  std::string_view path;  // child indices from the root\n"
      << "  std::string_view text;\n};\n\nconstexpr Screen kScreens[] = {\n";
  std::vector<std::size_t> path;
  collect(program, root, path, out);
  out << R"CPP(};

}  // namespace

std::string help_text(const Program&, std::span<const std::size_t> path) {
  std::string key;
  for (std::size_t index : path) {
    if (!key.empty()) key += ' ';
    key += std::to_string(index);
  }
  for (const Screen& screen : kScreens) {
    if (screen.path == key) return std::string(screen.text);
  }
  return {};
}

}  // namespace quillo::grammar
)CPP";
  return out.str();
}

}  // namespace docgen
