#include "completion/offers.hpp"

#include <algorithm>

namespace quillo::completion {
namespace {

Listing listing_of(const ArgumentRef& argument) {
  return {argument.listed_by(), argument.listed_key(), argument.listed_description()};
}

}  // namespace

std::vector<Listing> listings(NodeRef root) {
  std::vector<Listing> out;
  for (const ReachedNode& reached : every_node(root)) {
    for (std::size_t i = 0; i < reached.node.argument_count(); ++i) {
      const ArgumentRef argument = reached.node.argument(i);
      if (argument.listed_by().empty()) continue;
      const Listing listing = listing_of(argument);
      if (std::find(out.begin(), out.end(), listing) == out.end()) out.push_back(listing);
    }
  }
  return out;
}

std::string value_completion(const ArgumentRef& argument, const std::vector<Listing>& known) {
  if (argument.type() == ValueType::Path) return "files";
  if (!argument.choices().empty()) return "words " + std::string(argument.choices());
  if (argument.listed_by().empty()) return "";
  const auto number =
      std::find(known.begin(), known.end(), listing_of(argument)) - known.begin() + 1;
  return "listed " + std::to_string(number) + " " + std::string(argument.value_name());
}

std::vector<OfferedOption> options_of(NodeRef node, const std::vector<Listing>& known) {
  std::vector<OfferedOption> out;
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    const ArgumentRef argument = node.argument(i);
    if (!argument.is_positional()) {
      out.push_back({argument.option(), argument.type() != ValueType::Flag,
                     short_help(argument.help().empty() ? argument.value_name() : argument.help()),
                     value_completion(argument, known)});
    }
    if (!argument.file_option().empty()) {
      out.push_back(
          {argument.file_option(), true, short_help(argument.file_option_help()), "files"});
    }
  }
  return out;
}

std::vector<std::string> positionals_of(NodeRef node, const std::vector<Listing>& known) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < node.argument_count(); ++i) {
    if (node.argument(i).is_positional()) out.push_back(value_completion(node.argument(i), known));
  }
  return out;
}

std::string short_help(std::string_view text) {
  // Up to the first aside or second sentence, when what comes before says enough on its own.
  constexpr std::size_t kEnough = 16;
  for (std::size_t at = kEnough; at < text.size(); ++at) {
    for (const std::string_view separator : {" (", ". ", "; "}) {
      if (text.substr(at).starts_with(separator)) return std::string(text.substr(0, at));
    }
  }
  return std::string(text);
}

std::string single_quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text)
    quoted += c == '\'' ? std::string_view("'\\''") : std::string_view(&c, 1);
  return quoted + "'";
}

std::string fish_quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

// Read by mawk, gawk and the BSDs' awk alike: POSIX awk only, and no single quote, as the
// scripts hold it in single quotes. An array rather than a view, so that no run relocates it.
extern const char kItemsProgram[] = R"AWK(
# Prints the items of the JSON text on standard input, one a line: each object in an array
# that has the member KEY (a string or a number), as the shell MODE offers it: bash, the
# value; zsh, value:description, with the colons and backslashes of the value escaped; fish,
# value, a tab and the description. DESCRIPTION names members in braces: {title}; {a|b} the
# first of the two that is not empty; {anchor.startLine} a member of a member. A value that
# holds a control character is left out; in a description, control characters become spaces.
BEGIN {
  mode = ARGV[1]; key = ARGV[2]; template = ARGV[3]; ARGC = 1
  escape["n"] = "\n"; escape["t"] = "\t"; escape["r"] = "\r"; escape["b"] = "\b"; escape["f"] = "\f"
  # An awk that reads characters gives a code point in UTF-8 for %c; one that reads bytes, a
  # byte. The C1 controls, U+0080 to U+009F, as such an awk sees them.
  utf8 = sprintf("%c", 233) == "\303\251"
  c1 = utf8 ? sprintf("[%c-%c]", 128, 159) : "\302[\200-\237]"
}
{ text = text $0 " " }
END {
  # One token a line: strings, punctuation, numbers and words; white space stays behind them.
  gsub(/"([^"\\]|\\.)*"|[][{}:,]|[^][{}:," \t\r]+/, "\n&", text)
  count = split(text, token, "\n")
  for (i = 1; i <= count; i++) {
    t = token[i]
    sub(/[ \t\r]+$/, "", t)
    if (t == "" || t == ":") continue
    if (t == ",") { naming[depth] = kind[depth] == "{"; continue }
    if (t == "}" || t == "]") {
      if (t == "}" && kind[depth - 1] == "[") item(path[depth])
      depth--
      continue
    }
    if (naming[depth]) { name[depth] = decoded(t); naming[depth] = 0; continue }
    here = path[depth] SUBSEP (kind[depth] == "{" ? name[depth] : at[depth]++)
    if (t == "{" || t == "[") {
      path[++depth] = here; kind[depth] = t; naming[depth] = t == "{"; at[depth] = 0
    } else if (t != "null") {
      value[here] = substr(t, 1, 1) == "\"" ? decoded(t) : t
    }
  }
}
function item(p,   v, d) {
  if (!((p SUBSEP key) in value)) return
  v = value[p SUBSEP key]
  if (v == "" || v ~ /[\001-\037\177]/) return
  if (mode == "bash") { print v; return }
  d = described(p)
  if (mode == "zsh") v = zsh_escaped(v)
  if (d == "") print v
  else print v (mode == "zsh" ? ":" : "\t") d
}
function described(p,   rest, out, k, alternatives, n, a, v) {
  out = ""; rest = template
  while ((k = index(rest, "{")) > 0) {
    out = out substr(rest, 1, k - 1)
    rest = substr(rest, k + 1)
    if ((k = index(rest, "}")) == 0) break
    n = split(substr(rest, 1, k - 1), alternatives, "[|]")
    rest = substr(rest, k + 1)
    v = ""
    for (a = 1; a <= n && v == ""; a++) v = member(p, alternatives[a])
    out = out v
  }
  out = out rest
  gsub(/[\001-\037\177]/, " ", out)
  gsub(c1, " ", out)
  return out
}
function member(p, dotted,   part, n, k) {
  n = split(dotted, part, "[.]")
  for (k = 1; k <= n; k++) p = p SUBSEP part[k]
  return p in value ? value[p] : ""
}
function zsh_escaped(s,   out, k, c) {
  out = ""
  for (k = 1; k <= length(s); k++) {
    c = substr(s, k, 1)
    out = out (c == ":" || c == "\\" ? "\\" : "") c
  }
  return out
}
function decoded(t,   s, out, k, e, code, low) {
  s = substr(t, 2, length(t) - 2)
  out = ""
  while ((k = index(s, "\\")) > 0) {
    out = out substr(s, 1, k - 1)
    e = substr(s, k + 1, 1)
    s = substr(s, k + 2)
    if (e != "u") { out = out (e in escape ? escape[e] : e); continue }
    code = hex(substr(s, 1, 4)); s = substr(s, 5)
    if (code >= 55296 && code < 56320 && substr(s, 1, 2) == "\\u") {
      low = hex(substr(s, 3, 4))
      if (low >= 56320 && low < 57344) { code = 65536 + (code - 55296) * 1024 + low - 56320; s = substr(s, 7) }
    }
    out = out character(code)
  }
  return out s
}
function hex(h,   k, v) {
  for (k = 1; k <= 4; k++) v = v * 16 + index("0123456789abcdef", tolower(substr(h, k, 1))) - 1
  return v
}
# A code point in UTF-8; a control character as the one that item() and described() look for.
function character(code) {
  if (code < 32 || (code >= 127 && code < 160)) return "\001"
  if (code >= 55296 && code < 57344) code = 65533
  if (code < 128 || utf8) return sprintf("%c", code)
  if (code < 2048) return sprintf("%c%c", 192 + int(code / 64), 128 + code % 64)
  if (code < 65536) return sprintf("%c%c%c", 224 + int(code / 4096), 128 + int(code / 64) % 64, 128 + code % 64)
  return sprintf("%c%c%c%c", 240 + int(code / 262144), 128 + int(code / 4096) % 64, 128 + int(code / 64) % 64,
                 128 + code % 64)
}
)AWK";

}  // namespace quillo::completion
