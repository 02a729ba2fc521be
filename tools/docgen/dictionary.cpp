#include "dictionary.hpp"

#include <algorithm>
#include <set>
#include <string>

namespace docgen {
namespace {

void collect(quillo::NodeRef node, std::set<std::string, std::less<>>& words) {
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    const quillo::ArgumentRef argument = node.argument(i);
    for (const std::string_view name : {argument.option(), argument.file_option()}) {
      if (!name.empty()) words.emplace(name);
    }
    const std::string_view choices = argument.choices();
    for (std::size_t start = 0; start < choices.size();) {
      const std::size_t end = std::min(choices.find(' ', start), choices.size());
      if (end > start) words.emplace(choices.substr(start, end - start));
      start = end + 1;
    }
  }
  node.for_each_child([&](const quillo::NodeRef& child) {
    words.emplace(child.name());
    collect(child, words);
  });
}

}  // namespace

std::string fuzz_dictionary(quillo::NodeRef root) {
  std::set<std::string, std::less<>> words = {"-", "--", "-h", "-V", "--help", "--version", "="};
  collect(root, words);
  std::string out =
      "# The grammar's words, generated from quillo's grammar by quillo-docgen; do not edit.\n";
  for (const std::string& word : words) out += "\"" + word + "\"\n";
  return out;
}

}  // namespace docgen
