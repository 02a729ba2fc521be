#include "core/json_writer.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/json_number.hpp"

namespace quillo {
namespace {

bool is_white_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Whether the escapes of a string's raw content are those the value type writes: \" \\ \b \f
// \n \r \t, and \u00xx (lower case) for the other controls. Then the content is written as it
// came, in one piece.
bool canonical_escapes(std::string_view raw) {
  for (std::size_t i = raw.find('\\'); i != std::string_view::npos; i = raw.find('\\', i)) {
    const char kind = raw[i + 1];
    if (kind == '/') return false;
    if (kind != 'u') {
      i += 2;
      continue;
    }
    const char high = raw[i + 4], low = raw[i + 5];
    if (raw[i + 2] != '0' || raw[i + 3] != '0' || (high != '0' && high != '1')) return false;
    if (!((low >= '0' && low <= '9') || (low >= 'a' && low <= 'f'))) return false;
    const int code = (high - '0') * 16 + (low <= '9' ? low - '0' : low - 'a' + 10);
    if (code == '\b' || code == '\t' || code == '\n' || code == '\f' || code == '\r') return false;
    i += 6;
  }
  return true;
}

// Small pieces gathered before they go to the sink, which each write would cost a call;
// large ones straight through.
class Output {
 public:
  explicit Output(Sink& sink) : sink_(sink) {}
  ~Output() { flush(); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Every byte of the output comes through here: what fits is copied in place, inline.
  void put(char c) {
    if (used_ == sizeof buffer_) [[unlikely]] flush();
    buffer_[used_++] = c;
  }
  void put(std::string_view text) {
    if (text.size() > sizeof buffer_ - used_) [[unlikely]] {
      put_past_end(text);
      return;
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    used_ += text.size();
  }
  void flush() {
    if (used_ > 0) sink_.write(std::string_view(buffer_, used_));
    used_ = 0;
  }

 private:
  [[gnu::noinline]] void put_past_end(std::string_view text) {
    flush();
    if (text.size() >= sizeof buffer_) {
      sink_.write(text);
      return;
    }
    std::memcpy(buffer_, text.data(), text.size());
    used_ = text.size();
  }


  Sink& sink_;
  char buffer_[65536];
  std::size_t used_ = 0;
};

class Writer {
 public:
  Writer(const JsonDocument& document, Sink& sink, JsonStyle style)
      : document_(document), text_(document.text()), out_(sink), style_(style) {}

  // Writes the value at `p`; returns where it ends in the text.
  std::uint32_t value(std::uint32_t p, std::size_t depth) {
    switch (text_[p]) {
      case '{': return object(p, depth);
      case '[': return array(p, depth);
      case '"': return string(p);
      case 't': out_.put("true"); return p + 4;
      case 'f': out_.put("false"); return p + 5;
      case 'n': out_.put("null"); return p + 4;
      default: return number(p);
    }
  }

 private:
  /// Of an object of few members, where a member's key and value stand.
  struct MemberPlace {
    std::uint32_t key = 0;      ///< where the key's opening quote stands
    std::uint32_t key_end = 0;  ///< past its closing quote
    std::uint32_t value = 0;    ///< where its value begins
    std::uint32_t end = 0;      ///< and ends
    bool key_escaped = false;
    bool value_escaped = false;  ///< of a string value
  };
  /// Objects of more members than this are read once for their order and then as they are
  /// written, rather than having a place kept for each member.
  static constexpr std::size_t kFewMembers = 32;

  std::uint32_t skip_white_space(std::uint32_t p) const {
    while (p < text_.size() && is_white_space(text_[p])) ++p;
    return p;
  }

  void new_line(std::size_t depth) {
    if (!style_.indented) return;
    out_.put('\n');
    for (std::size_t i = 0; i < depth; ++i) out_.put("  ");
  }

  std::string_view colon() const { return style_.indented ? std::string_view(": ") : std::string_view(":"); }

  // An object's members, keys sorted, one of each name (the last). Of a few, where each stands
  // is kept as they are read, passing over their values, and they are put in order only when
  // they do not come so.
  std::uint32_t object(std::uint32_t p, std::size_t depth) {
    std::uint32_t next = skip_white_space(p + 1);
    if (text_[next] == '}') {
      out_.put("{}");
      return next + 1;
    }
    const std::size_t first = members_.size();
    bool in_order = true;
    for (;;) {
      if (members_.size() - first == kFewMembers) {
        members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(first), members_.end());
        return many_members(p, depth);
      }
      MemberPlace member;
      member.key = next;
      member.key_end = string_end(next, member.key_escaped);
      member.value = value_after(member.key_end);
      if (members_.size() > first && compare(members_.back(), member) >= 0) in_order = false;
      // A string's end is found with whether it has escapes, so as not to look for either again
      // when it is written.
      member.end = text_[member.value] == '"' ? string_end(member.value, member.value_escaped)
                                              : document_.end_of(member.value);
      members_.push_back(member);
      next = skip_white_space(member.end);
      if (text_[next] != ',') break;
      next = skip_white_space(next + 1);
    }
    if (!in_order) put_in_order(first);
    out_.put('{');
    for (std::size_t i = first; i < members_.size(); ++i) {
      if (i > first) out_.put(',');
      new_line(depth + 1);
      const MemberPlace& member = members_[i];
      string_text(member.key, member.key_end, member.key_escaped);
      out_.put(colon());
      const char c = text_[member.value];
      if (c == '"') {
        string_text(member.value, member.end, member.value_escaped);
      } else if (c == '-' || (c >= '0' && c <= '9')) {
        number_text(text_.substr(member.value, member.end - member.value));
      } else {
        value(member.value, depth + 1);
      }
    }
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(first), members_.end());
    new_line(depth);
    out_.put('}');
    return next + 1;
  }

  // An object of many members: read once to tell whether its keys come in order, none before
  // the one before it; then written as it is read again, a member held back until the next
  // has another name, or, when they do not come in order, in the order of where each key
  // stands sorted by the key, the last of each name. Its keys' places are the most it keeps:
  // four bytes for a member of six at least.
  [[gnu::noinline]] std::uint32_t many_members(std::uint32_t p, std::size_t depth) {
    bool in_order = true;
    std::size_t count = 0;
    std::uint32_t previous = 0;
    const std::uint32_t end = for_each_member(p, [&](std::uint32_t key) {
      if (count++ > 0 && in_order && compare_keys_at(previous, key) > 0) in_order = false;
      previous = key;
    });
    out_.put('{');
    bool first = true;
    const auto write = [&](std::uint32_t key) {
      if (!first) out_.put(',');
      first = false;
      new_line(depth + 1);
      bool escaped = false;
      const std::uint32_t key_end = string_end(key, escaped);
      string_text(key, key_end, escaped);
      out_.put(colon());
      value(value_after(key_end), depth + 1);
    };
    // Of keys in order, each is written unless the next has its name.
    const auto write_last_of_each = [&](const auto& for_each_key) {
      bool holding = false;
      std::uint32_t held = 0;
      for_each_key([&](std::uint32_t key) {
        if (holding && compare_keys_at(held, key) != 0) write(held);
        held = key;
        holding = true;
      });
      write(held);
    };
    if (in_order) {
      write_last_of_each([&](const auto& key) { for_each_member(p, key); });
    } else {
      std::vector<std::uint32_t> keys;
      keys.reserve(count);
      for_each_member(p, [&keys](std::uint32_t key) { keys.push_back(key); });
      std::sort(keys.begin(), keys.end(), [this](std::uint32_t a, std::uint32_t b) {
        const int order = compare_keys_at(a, b);
        return order != 0 ? order < 0 : a < b;
      });
      write_last_of_each([&keys](const auto& key) {
        for (const std::uint32_t place : keys) key(place);
      });
    }
    new_line(depth);
    out_.put('}');
    return end;
  }

  // Calls `member` with where each key of the object at `p` stands; returns where it ends.
  template <class Member>
  std::uint32_t for_each_member(std::uint32_t p, Member&& member) const {
    std::uint32_t next = skip_white_space(p + 1);
    for (;;) {
      member(next);
      bool escaped = false;
      next = skip_white_space(document_.end_of(value_after(string_end(next, escaped))));
      if (text_[next] != ',') return next + 1;
      next = skip_white_space(next + 1);
    }
  }

  // Where the value of a member stands, from the end of its key.
  std::uint32_t value_after(std::uint32_t key_end) const { return skip_white_space(skip_white_space(key_end) + 1); }

  int compare(const MemberPlace& a, const MemberPlace& b) const {
    return compare_keys(raw_between(a.key, a.key_end), a.key_escaped,
                        raw_between(b.key, b.key_end), b.key_escaped);
  }

  // The order of the keys at `a` and `b`: byte by byte as they stand up to where they differ or
  // end, which is their order unless an escape comes first.
  int compare_keys_at(std::uint32_t a, std::uint32_t b) const {
    for (const char *x = text_.data() + a + 1, *y = text_.data() + b + 1;; ++x, ++y) {
      if (*x == '\\' || *y == '\\') return compare_escaped_keys_at(a, b);
      if (*x == '"' || *y == '"') return *x == *y ? 0 : (*x == '"' ? -1 : 1);
      if (*x != *y) return static_cast<unsigned char>(*x) < static_cast<unsigned char>(*y) ? -1 : 1;
    }
  }

  int compare_escaped_keys_at(std::uint32_t a, std::uint32_t b) const {
    bool a_escaped = false, b_escaped = false;
    const std::uint32_t a_end = string_end(a, a_escaped), b_end = string_end(b, b_escaped);
    return compare_keys(raw_between(a, a_end), a_escaped, raw_between(b, b_end), b_escaped);
  }

  // The raw content of the string literal from `p` to `end`.
  std::string_view raw_between(std::uint32_t p, std::uint32_t end) const {
    return {text_.data() + p + 1, end - p - 2};
  }

  // The few members from `first` on sorted by key by insertion (those of a name in the order
  // they came), then of each name the last alone.
  void put_in_order(std::size_t first) {
    const auto begin = members_.begin() + static_cast<std::ptrdiff_t>(first);
    bool twice = false;
    for (auto it = begin + 1; it < members_.end(); ++it) {
      const MemberPlace member = *it;
      auto place = it;
      int order = -1;
      for (; place != begin && (order = compare(member, *(place - 1))) < 0; --place) *place = *(place - 1);
      twice = twice || order == 0;
      *place = member;
    }
    if (!twice) return;
    auto kept = begin;
    for (auto it = begin; it != members_.end(); ++it) {
      if (it + 1 != members_.end() && compare(*it, *(it + 1)) == 0) continue;  // a later one of this name follows
      *kept++ = *it;
    }
    members_.erase(kept, members_.end());
  }

  // Past the closing quote of the string at `p`; `escaped` tells whether it has escapes.
  std::uint32_t string_end(std::uint32_t p, bool& escaped) const {
    const std::string_view raw = document_.string_at(p, escaped);
    return static_cast<std::uint32_t>(raw.data() + raw.size() + 1 - text_.data());
  }

  std::uint32_t array(std::uint32_t p, std::size_t depth) {
    std::uint32_t next = skip_white_space(p + 1);
    if (text_[next] == ']') {
      out_.put("[]");
      return next + 1;
    }
    out_.put('[');
    for (bool first = true;; first = false) {
      if (!first) out_.put(',');
      new_line(depth + 1);
      next = skip_white_space(value(next, depth + 1));
      if (text_[next] != ',') break;
      next = skip_white_space(next + 1);
    }
    new_line(depth);
    out_.put(']');
    return next + 1;
  }

  // Returns where the string ends.
  std::uint32_t string(std::uint32_t p) {
    bool has_escapes = false;
    const std::uint32_t end = string_end(p, has_escapes);
    string_text(p, end, has_escapes);
    return end;
  }

  // The string literal from `p` to `end`, with escapes or not.
  [[gnu::always_inline]] void string_text(std::uint32_t p, std::uint32_t end, bool has_escapes) {
    const std::string_view raw = raw_between(p, end);
    if (!style_.for_terminal && (!has_escapes || canonical_escapes(raw))) {
      // As it came, quotes and all: nothing to escape, or escaped as the value type escapes.
      out_.put({text_.data() + p, end - p});
      return;
    }
    out_.put('"');
    const JsonText text = has_escapes ? JsonText::escaped(raw) : JsonText(raw);
    text.for_each_piece([this](std::string_view piece) { escaped(piece); });
    out_.put('"');
  }

  // The text of a string as the value type escapes it: quotes, backslashes and the controls of
  // C0; for a terminal, DEL and C1 as well.
  void escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::size_t run = 0;
    const auto unicode = [this](unsigned code) {
      char escape[6] = {'\\', 'u', '0', '0', kHex[(code >> 4) & 0xF], kHex[code & 0xF]};
      out_.put(std::string_view(escape, 6));
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      const bool c1 = style_.for_terminal && c == 0xC2 && i + 1 < text.size() &&
                      static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
      if (c >= 0x20 && c != '"' && c != '\\' && !(style_.for_terminal && c == 0x7F) && !c1) continue;
      out_.put(text.substr(run, i - run));
      run = i + 1;
      switch (c) {
        case '"': out_.put("\\\""); break;
        case '\\': out_.put("\\\\"); break;
        case '\b': out_.put("\\b"); break;
        case '\f': out_.put("\\f"); break;
        case '\n': out_.put("\\n"); break;
        case '\r': out_.put("\\r"); break;
        case '\t': out_.put("\\t"); break;
        default:
          if (c1) {
            unicode(static_cast<unsigned char>(text[i + 1]));
            run = ++i + 1;
          } else {
            unicode(c);
          }
      }
    }
    out_.put(text.substr(run));
  }

  std::uint32_t number(std::uint32_t p) {
    const std::uint32_t end = document_.end_of(p);
    number_text(text_.substr(p, end - p));
    return end;
  }

  void number_text(std::string_view token) {
    char buffer[kMaxNumberText];
    out_.put(canonical_number(token, buffer));
  }

  const JsonDocument& document_;
  std::string_view text_;
  Output out_;
  JsonStyle style_;
  std::vector<MemberPlace> members_;  ///< of the objects of few being written, from the outermost in
};

}  // namespace

void write_json(const JsonView& value, Sink& out, JsonStyle style) {
  Writer(value.document(), out, style).value(value.position(), 0);
}

}  // namespace quillo
