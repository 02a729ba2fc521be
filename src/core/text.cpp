#include "core/text.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include <utf8.h>

namespace quillo {
namespace {

bool is_white_space(std::uint32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

bool is_control(std::uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void append_escape(std::string& out, std::uint32_t c) {
  char digits[8];
  const auto end = std::to_chars(digits, digits + sizeof digits, c, 16).ptr;
  out += "\\u{";
  out.append(digits, end);
  out += '}';
}

// The length of the control character at the start of `text` that visible_controls shows,
// or 0. A carriage return counts only when no line feed follows it: with one, it is the end of
// a line as terminals and text files know it; alone it would move back over what was printed.
std::size_t control_length(std::string_view text) {
  const auto first = static_cast<unsigned char>(text[0]);
  if (first == '\r') return text.size() > 1 && text[1] == '\n' ? 0 : 1;
  if ((first < 0x20 && first != '\n' && first != '\t') || first == 0x7F) return 1;
  if (text.size() < 2) return 0;
  const auto second = static_cast<unsigned char>(text[1]);
  if (first == 0xC2 && second >= 0x80 && second <= 0x9F) return 2;  // C1
  if (first == 0xE2 && text.size() > 2) {
    // The bidirectional embeddings, overrides and isolates, which reorder what follows them.
    const auto third = static_cast<unsigned char>(text[2]);
    if ((second == 0x80 && third >= 0xAA && third <= 0xAE) || (second == 0x81 && third >= 0xA6 && third <= 0xA9)) {
      return 3;
    }
  }
  return 0;
}

// The code point of a control character of `length` bytes at the start of `text`.
std::uint32_t code_point(std::string_view text, std::size_t length) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])); };
  if (length == 1) return byte(0);
  if (length == 2) return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
  return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
}

}  // namespace

// How many bytes the character that `lead` begins has in UTF-8, or 0 for a byte that begins none.
std::size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t unfinished_control(std::string_view text) {
  if (text.ends_with('\r')) return 1;
  // A character whose bytes have not all come.
  for (std::size_t keep = 1; keep <= std::min<std::size_t>(3, text.size()); ++keep) {
    const auto lead = static_cast<unsigned char>(text[text.size() - keep]);
    if (is_continuation(static_cast<char>(lead))) continue;
    return sequence_length(lead) > keep ? keep : 0;
  }
  return 0;
}

std::string visible_controls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = control_length(text.substr(i));
    if (length > 0) {
      append_escape(out, code_point(text.substr(i), length));
      i += length;
      continue;
    }
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x80 && lead <= 0x9F) {
      // Not part of a character: a byte a terminal of 8-bit controls would obey (an argument
      // need not be UTF-8).
      out += "\\x{";
      out += "0123456789abcdef"[lead >> 4];
      out += "0123456789abcdef"[lead & 0xF];
      out += '}';
      ++i;
      continue;
    }
    // A character whole, so that its own bytes are not taken for such bytes.
    std::size_t end = i + 1;
    for (const std::size_t stop = std::min(text.size(), i + std::max<std::size_t>(1, sequence_length(lead)));
         end < stop && is_continuation(text[end]);) {
      ++end;
    }
    out.append(text.substr(i, end - i));
    i = end;
  }
  return out;
}

bool is_valid_utf8(std::string_view text) {
  // Most text is ASCII: skip it 32 bytes at a time, then eight. A valid multi-byte sequence
  // holds no ASCII byte, so each stretch between ASCII bytes can be checked on its own.
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    while (end - p >= 32) {
      std::uint64_t words[4];
      std::memcpy(words, p, 32);
      if (((words[0] | words[1] | words[2] | words[3]) & kHighs) != 0) break;
      p += 32;
    }
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & kHighs) != 0) break;
      p += 8;
    }
    while (p != end && static_cast<unsigned char>(*p) < 0x80) ++p;
    const char* stretch = p;
    while (p != end && static_cast<unsigned char>(*p) >= 0x80) ++p;
    if (!utf8::is_valid(stretch, p)) return false;
  }
  return true;
}

std::string_view trim_end(std::string_view text) {
  auto end = text.end();
  while (end != text.begin()) {
    auto previous = end;
    if (!is_white_space(utf8::unchecked::prior(previous))) break;
    end = previous;
  }
  return text.substr(0, static_cast<std::size_t>(end - text.begin()));
}

std::string_view trim(std::string_view text) {
  text = trim_end(text);
  auto begin = text.begin();
  while (begin != text.end()) {
    auto next = begin;
    if (!is_white_space(utf8::unchecked::next(next))) break;
    begin = next;
  }
  return text.substr(static_cast<std::size_t>(begin - text.begin()));
}

std::size_t character_count(std::string_view text) {
  // Every character has exactly one byte that is not a continuation byte.
  std::size_t count = 0;
  for (const char byte : text) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return count;
}

std::string quoted_literal(std::string_view text) {
  std::string quoted = "\"";
  quoted.reserve(text.size() + 2);
  auto it = text.begin();
  while (it != text.end()) {
    const auto start = it;
    const std::uint32_t c = utf8::unchecked::next(it);
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\n':
        quoted += "\\n";
        break;
      default:
        if (is_control(c)) {
          append_escape(quoted, c);
        } else {
          quoted.append(start, it);
        }
    }
  }
  quoted += '"';
  return quoted;
}

}  // namespace quillo
