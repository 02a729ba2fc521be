#include "mcp/wording.hpp"

#include <optional>
#include <vector>

#include "cli.hpp"
#include "core/json.hpp"

namespace quillo::mcp {
namespace {

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }
bool is_word(char c) { return is_upper(c) || is_lower(c) || is_digit(c) || c == '_' || c == '-'; }

// The parts of `text` between `separator`s.
std::vector<std::string_view> parts_of(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t begin = 0; begin <= text.size();) {
    const auto end = std::min(text.find(separator, begin), text.size());
    parts.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return parts;
}

std::optional<ArgumentRef> argument_where(NodeRef command, auto matches) {
  for (std::size_t i = 0; i < command.argument_count(); ++i) {
    if (matches(command.argument(i))) return command.argument(i);
  }
  return std::nullopt;
}

// The property that stands for `argument` in a text: a flag as the value that gives it.
std::string property_mention(const ArgumentRef& argument) {
  return "`" + std::string(argument.id()) + (argument.type() == ValueType::Flag ? ": true`" : "`");
}

// The command that `words` ("shortcut list") reach from the program's group, or an invalid one.
NodeRef command_at(std::string_view words) {
  NodeRef node = program().root;
  for (const std::string_view word : parts_of(words, ' ')) {
    if (node.valid()) node = node.child_named(word);
  }
  return node.valid() && !node.is_group() && node.effect() != Effect::Local ? node : NodeRef();
}

std::string tool_name_of(std::string_view words) {
  std::string name(words);
  for (char& c : name) c = c == ' ' || c == '-' ? '_' : c;
  return name;
}

// The length of a tag of the IDE's own tracking at `rest`, " (F049)": a capital and digits in
// brackets, which tell an agent nothing; 0 where there is none.
std::size_t tag_at(std::string_view rest) {
  if (!rest.starts_with(" (") || rest.size() < 4 || !is_upper(rest[2]) || !is_digit(rest[3])) return 0;
  std::size_t close = 3;
  while (close < rest.size() && is_digit(rest[close])) ++close;
  return close < rest.size() && rest[close] == ')' ? close + 1 : 0;
}

// The length of a mention at `text`, and what it reads as here; 0 where there is none. An
// option's dashes or a placeholder begin a word, never continue one.
std::size_t mention_at(std::string_view text, std::size_t at, NodeRef command, std::string& replacement) {
  const std::string_view rest = text.substr(at);
  if (const std::size_t tag = tag_at(rest); tag > 0) return tag;  // left out: the replacement is empty
  if (at > 0 && is_word(text[at - 1])) return 0;
  if (rest.starts_with('`')) {
    // Command words in backticks: the tool.
    const auto close = rest.find('`', 1);
    if (close == std::string_view::npos || !command_at(rest.substr(1, close - 1)).valid()) return 0;
    replacement = "`" + tool_name_of(rest.substr(1, close - 1)) + "`";
    return close + 1;
  }
  std::size_t end = 0;
  while (end < rest.size() && (is_word(rest[end]) || (end < 2 && rest[end] == '-'))) ++end;
  const std::string_view word = rest.substr(0, end);
  if (word.starts_with("--")) {
    const auto argument = argument_where(command, [&](const ArgumentRef& a) { return a.option() == word; });
    if (!argument) return 0;
    replacement = property_mention(*argument);
    return end;
  }
  // A placeholder of the usage line; not one of three letters or fewer, as the help uses those
  // initialisms as words too ("Todo ID", "URL to load").
  if (word.size() > 3 && is_upper(word[0])) {
    const auto argument = argument_where(command, [&](const ArgumentRef& a) { return a.value_name() == word; });
    if (!argument) return 0;
    replacement = property_mention(*argument);
    return end;
  }
  return 0;
}

// "BROWSER_ID" as words: "browser ID" (initialisms of three letters or fewer kept).
std::string placeholder_words(std::string_view name) {
  std::string words;
  for (const std::string_view part : parts_of(name, '_')) {
    std::string word(part);
    if (word.size() > 3) {
      for (char& c : word) c = is_upper(c) ? static_cast<char>(c - 'A' + 'a') : c;
    }
    words += (words.empty() ? "" : " ") + word;
  }
  return words;
}

// "browser list --scope roost": the tool and its arguments as a call gives them.
std::string listing_call(std::string_view listed_by) {
  const auto options = std::min(listed_by.find(" --"), listed_by.size());
  const NodeRef listing = command_at(listed_by.substr(0, options));
  if (!listing.valid()) return {};
  std::string call = "`" + tool_name_of(listed_by.substr(0, options)) + "`";
  Json arguments = Json::object();
  const std::vector<std::string_view> words = options == listed_by.size()
                                                  ? std::vector<std::string_view>()
                                                  : parts_of(listed_by.substr(options + 1), ' ');
  for (std::size_t i = 0; i < words.size(); ++i) {
    const auto argument = argument_where(listing, [&](const ArgumentRef& a) { return a.option() == words[i]; });
    if (!argument) continue;
    if (argument->type() == ValueType::Flag) {
      arguments[std::string(argument->id())] = true;
    } else if (i + 1 < words.size()) {
      arguments[std::string(argument->id())] = std::string(words[++i]);
    }
  }
  return arguments.empty() ? call : call + " with " + arguments.dump();
}

}  // namespace

std::string agent_text(std::string_view help, NodeRef command) {
  std::string text;
  for (std::size_t at = 0; at < help.size();) {
    std::string replacement;
    if (const std::size_t length = mention_at(help, at, command, replacement); length > 0) {
      text += replacement;
      at += length;
    } else {
      text += help[at++];
    }
  }
  return text;
}

std::string description_without_help(const ArgumentRef& argument, NodeRef command, NodeRef group) {
  const std::string words = placeholder_words(argument.value_name().empty() ? argument.id() : argument.value_name());
  if (!argument.listed_by().empty()) {
    const std::string call = listing_call(argument.listed_by());
    const std::string key(argument.listed_key());
    if (!call.empty()) return "The " + words + ", as " + call + " lists it" + (key == argument.id() ? "" : " (its `" + key + "`)");
  }
  std::string borrowed;
  if (group.valid()) {
    group.for_each_child([&](const NodeRef& sibling) {
      if (!borrowed.empty() || sibling == command || sibling.is_group()) return;
      const auto same = argument_where(sibling, [&](const ArgumentRef& a) {
        return a.id() == argument.id() && a.type() == argument.type() && !a.help().empty();
      });
      if (same) borrowed = agent_text(same->help(), sibling);
    });
  }
  return borrowed.empty() ? "The " + words : borrowed;
}

}  // namespace quillo::mcp
