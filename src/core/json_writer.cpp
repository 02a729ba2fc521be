#include "core/json_writer.hpp"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "core/json_number.hpp"

namespace quillo {
namespace {

bool is_white_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Small pieces gathered before they go to the sink, which each write would cost a call;
// large ones straight through.
class Output {
 public:
  explicit Output(Sink& sink) : sink_(sink) {}
  ~Output() { flush(); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void put(char c) {
    if (used_ == sizeof buffer_) flush();
    buffer_[used_++] = c;
  }
  void put(std::string_view text) {
    if (text.size() > sizeof buffer_ - used_) {
      flush();
      if (text.size() >= sizeof buffer_) {
        sink_.write(text);
        return;
      }
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    used_ += text.size();
  }
  void flush() {
    if (used_ > 0) sink_.write(std::string_view(buffer_, used_));
    used_ = 0;
  }

 private:
  Sink& sink_;
  char buffer_[8192];
  std::size_t used_ = 0;
};

class Writer {
 public:
  Writer(const JsonDocument& document, Sink& sink, JsonStyle style)
      : document_(document), text_(document.text()), out_(sink), style_(style) {}

  void value(std::uint32_t p, std::size_t depth) {
    switch (text_[p]) {
      case '{': object(p, depth); return;
      case '[': array(p, depth); return;
      case '"': string(p); return;
      case 't': out_.put("true"); return;
      case 'f': out_.put("false"); return;
      case 'n': out_.put("null"); return;
      default: number(p);
    }
  }

 private:
  std::uint32_t skip_white_space(std::uint32_t p) const {
    while (p < text_.size() && is_white_space(text_[p])) ++p;
    return p;
  }

  void new_line(std::size_t depth) {
    if (!style_.indented) return;
    out_.put('\n');
    for (std::size_t i = 0; i < depth; ++i) out_.put("  ");
  }

  // A member at its key's quote: the key, the separator, the value.
  void member(std::uint32_t key, std::size_t depth) {
    const std::uint32_t after_key = document_.end_of(key);
    string(key);
    out_.put(style_.indented ? std::string_view(": ") : std::string_view(":"));
    value(skip_white_space(skip_white_space(after_key) + 1), depth);
  }

  void object(std::uint32_t p, std::size_t depth) {
    std::uint32_t count = 0;
    const std::uint32_t* sorted = document_.sorted_members(p, count);
    std::uint32_t next = skip_white_space(p + 1);
    if (text_[next] == '}') {
      out_.put("{}");
      return;
    }
    out_.put('{');
    if (sorted != nullptr) {
      for (std::uint32_t i = 0; i < count; ++i) {
        if (i > 0) out_.put(',');
        new_line(depth + 1);
        member(sorted[i], depth + 1);
      }
    } else {
      // In order already: as they come.
      for (bool first = true; text_[next] == '"'; first = false) {
        if (!first) out_.put(',');
        new_line(depth + 1);
        member(next, depth + 1);
        const std::uint32_t value_start = skip_white_space(skip_white_space(document_.end_of(next)) + 1);
        next = skip_white_space(document_.end_of(value_start));
        if (text_[next] == ',') next = skip_white_space(next + 1);
      }
    }
    new_line(depth);
    out_.put('}');
  }

  void array(std::uint32_t p, std::size_t depth) {
    std::uint32_t next = skip_white_space(p + 1);
    if (text_[next] == ']') {
      out_.put("[]");
      return;
    }
    out_.put('[');
    for (bool first = true;; first = false) {
      if (!first) out_.put(',');
      new_line(depth + 1);
      value(next, depth + 1);
      next = skip_white_space(document_.end_of(next));
      if (text_[next] != ',') break;
      next = skip_white_space(next + 1);
    }
    new_line(depth);
    out_.put(']');
  }

  void string(std::uint32_t p) {
    const std::uint32_t end = document_.end_of(p);
    const std::string_view raw = text_.substr(p + 1, end - p - 2);
    out_.put('"');
    if (raw.find('\\') == std::string_view::npos && !style_.for_terminal) {
      out_.put(raw);  // no quote, backslash or control character: as it came
    } else {
      JsonText::escaped(raw).for_each_piece([this](std::string_view piece) { escaped(piece); });
    }
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

  void number(std::uint32_t p) {
    const std::string_view token = text_.substr(p, document_.end_of(p) - p);
    char buffer[kMaxNumberText];
    out_.put(canonical_number(token, buffer));
  }

  const JsonDocument& document_;
  std::string_view text_;
  Output out_;
  JsonStyle style_;
};

}  // namespace

void write_json(const JsonView& value, Sink& out, JsonStyle style) {
  Writer(value.document(), out, style).value(value.position(), 0);
}

}  // namespace quillo
