#pragma once
// The JSON grammar, read once: it checks a text and tells a handler what it reads, as it
// comes. The language is the value type's, a little stricter: one value, white space around it,
// nesting at most kMaxJsonDepth levels, no NUL byte, no byte-order mark, numbers that fit a
// double. A text it refuses is described in the words of the value type's own parser.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/json.hpp"
#include "core/result.hpp"
#include "core/text.hpp"

namespace quillo {

static_assert(std::endian::native == std::endian::little, "the string scan reads words");

/// The first quote, backslash or control character at or after `p` (or `end`), found sixteen
/// bytes at a time: in checked text, where a string's content ends or an escape begins.
inline const char* json_string_run_end(const char* p, const char* end) {
  // The compiler's vectors, which it maps to the processor's own (SSE2, NEON).
  typedef unsigned char Bytes16 __attribute__((vector_size(16)));
  while (end - p >= 16) {
    Bytes16 bytes;
    std::memcpy(&bytes, p, 16);
    const Bytes16 special = (bytes == '"') | (bytes == '\\') | (bytes < 0x20);
    std::uint64_t low = 0, high = 0;
    std::memcpy(&low, &special, 8);
    std::memcpy(&high, reinterpret_cast<const char*>(&special) + 8, 8);
    if ((low | high) != 0) return p + (low != 0 ? std::countr_zero(low) / 8 : 8 + std::countr_zero(high) / 8);
    p += 16;
  }
  while (p != end && *p != '"' && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20) ++p;
  return p;
}

namespace json_reading {

/// Why a text is not JSON, as the reader first found it.
struct Failure {
  std::string message;
  bool own = false;  ///< refused here (nesting), where the value type's parser would accept it
  std::size_t at = 0;  ///< where
  /// Where the string or number it stopped in began, if it stopped in one.
  std::size_t token = std::string_view::npos;
  /// Where the last string or number read whole before it began and ended, if there was one.
  std::size_t last_begin = std::string_view::npos, last_end = std::string_view::npos;
  bool overflow = false;  ///< a number too large for a double
};

/// Whether the number `token` (checked grammar) would be too large for a double.
bool overflows(std::string_view token, bool is_integer);

/// What is refused before what the reader finds wrong: NUL bytes and a byte-order mark, which
/// the value type's parser would stop at or skip silently; text that is not UTF-8 when
/// `check_utf8`.
MaybeError refused_bytes(std::string_view text, bool check_utf8);

/// Why `text` is not JSON, in the value type's parser's words (as users see them).
std::string describe(std::string_view text, const Failure& failure);

int hex_digit(char c);
std::uint32_t code_unit_at(const char* p);

}  // namespace json_reading

/// Reads `text`, telling `handler` what it reads: begin_object(position), begin_array(position),
/// key(raw, escaped), string(raw, escaped), boolean(value), null(), number(token, is_integer),
/// end_object(begin, end), end_array(begin, end); `raw` is a string's content between its
/// quotes as it stands in the text, and positions are offsets in it. Every step returns false
/// once the text has turned out not to be JSON, with the first failure recorded: reading stops
/// there, and what the handler made of it is to be dropped.
template <class Handler>
class JsonReader {
 public:
  JsonReader(std::string_view text, Handler& handler)
      : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()), handler_(handler) {}

  /// Reads the one value of the text, white space around it; false when the text is not that.
  [[nodiscard]] bool read() {
    skip_white_space();
    if (!value()) return false;
    skip_white_space();
    return p_ == end_ || fail("expected end of input");
  }

  /// Why read() returned false.
  const json_reading::Failure& failure() const { return failure_; }

 private:
  std::size_t offset() const { return static_cast<std::size_t>(p_ - begin_); }

  // What is wrong at p_.
  bool fail(std::string_view what) {
    if (p_ == end_) return refuse("unexpected end of input; " + std::string(what));
    return refuse("syntax error at offset " + std::to_string(offset()) + ": " + std::string(what));
  }

  bool refuse(std::string message, bool own = false) {
    failure_ = {std::move(message), own, offset(), token_, last_begin_, last_end_};
    return false;
  }

  void skip_white_space() {
    while (p_ != end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
  }

  bool expect(char c, std::string_view what) {
    skip_white_space();
    if (p_ == end_ || *p_ != c) return fail(what);
    ++p_;
    return true;
  }

  bool value() {
    if (p_ == end_) return fail("expected a value");
    switch (*p_) {
      case '{': return container<true>();
      case '[': return container<false>();
      case '"': {
        std::string_view raw;
        bool escaped = false;
        if (!string_literal(raw, escaped)) return false;
        handler_.string(raw, escaped);
        return true;
      }
      case 't':
        if (!literal("true")) return false;
        handler_.boolean(true);
        return true;
      case 'f':
        if (!literal("false")) return false;
        handler_.boolean(false);
        return true;
      case 'n':
        if (!literal("null")) return false;
        handler_.null();
        return true;
      default:
        if (*p_ == '-' || (*p_ >= '0' && *p_ <= '9')) return number();
        return fail("expected a value");
    }
  }

  // An object or an array: its members or elements, separated by commas.
  template <bool kObject>
  bool container() {
    if (++depth_ > kMaxJsonDepth) return refuse("nesting deeper than " + std::to_string(kMaxJsonDepth) + " levels", true);
    const std::size_t begin = offset();
    ++p_;
    if constexpr (kObject) {
      handler_.begin_object(begin);
    } else {
      handler_.begin_array(begin);
    }
    constexpr char kClose = kObject ? '}' : ']';
    skip_white_space();
    if (p_ != end_ && *p_ == kClose) {
      ++p_;
    } else {
      for (;;) {
        skip_white_space();
        if constexpr (kObject) {
          if (!member_key()) return false;
        }
        if (!value()) return false;
        skip_white_space();
        if (p_ != end_ && *p_ == ',') {
          ++p_;
          continue;
        }
        if (!expect(kClose, kObject ? "expected ',' or '}'" : "expected ',' or ']'")) return false;
        break;
      }
    }
    if constexpr (kObject) {
      handler_.end_object(begin, offset());
    } else {
      handler_.end_array(begin, offset());
    }
    --depth_;
    return true;
  }

  bool member_key() {
    if (p_ == end_ || *p_ != '"') return fail("expected a string as object key");
    std::string_view key;
    bool escaped = false;
    if (!string_literal(key, escaped)) return false;
    handler_.key(key, escaped);
    if (!expect(':', "expected ':'")) return false;
    skip_white_space();
    return true;
  }

  bool literal(std::string_view word) {
    if (static_cast<std::size_t>(end_ - p_) < word.size() || std::string_view(p_, word.size()) != word) {
      return fail("invalid literal");
    }
    p_ += word.size();
    return true;
  }

  bool digits(std::string_view what) {
    if (p_ == end_ || *p_ < '0' || *p_ > '9') return fail(what);
    while (p_ != end_ && *p_ >= '0' && *p_ <= '9') ++p_;
    return true;
  }

  bool number() {
    const char* start = p_;
    token_ = offset();
    bool is_integer = true;
    if (*p_ == '-') ++p_;
    if (p_ != end_ && *p_ == '0') {
      ++p_;
    } else if (!digits("expected a digit")) {
      return false;
    }
    if (p_ != end_ && *p_ == '.') {
      ++p_;
      is_integer = false;
      if (!digits("expected a digit after '.'")) return false;
    }
    bool has_exponent = false;
    if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
      ++p_;
      is_integer = false;
      has_exponent = true;
      if (p_ != end_ && (*p_ == '+' || *p_ == '-')) ++p_;
      if (!digits("expected a digit in the exponent")) return false;
    }
    const std::string_view token(start, static_cast<std::size_t>(p_ - start));
    // Without an exponent and shorter than 300 characters, a number is below 10^300: far below
    // the largest double, as most are, without a call.
    if ((has_exponent || token.size() >= 300) && json_reading::overflows(token, is_integer)) {
      refuse("number overflow at offset " + std::to_string(static_cast<std::size_t>(start - begin_)));
      failure_.overflow = true;
      return false;
    }
    done_with_token();
    handler_.number(token, is_integer);
    return true;
  }

  // Checks a string literal at p_ and gives its raw content in `raw`.
  bool string_literal(std::string_view& raw, bool& escaped) {
    token_ = offset();
    const char* start = ++p_;
    for (;;) {
      p_ = json_string_run_end(p_, end_);
      if (p_ == end_) return fail("unterminated string");
      if (*p_ == '"') break;
      if (*p_ != '\\') return fail("control character in string (escape it)");
      escaped = true;
      if (!escape()) return false;
    }
    raw = std::string_view(start, static_cast<std::size_t>(p_ - start));
    ++p_;
    done_with_token();
    return true;
  }

  bool escape() {
    ++p_;
    if (p_ == end_) return fail("unterminated string");
    const char kind = *p_;
    if (std::strchr("\"\\/bfnrt", kind) != nullptr && kind != '\0') {
      ++p_;
      return true;
    }
    if (kind != 'u') return fail("invalid escape in string");
    std::uint32_t unit = 0;
    if (!code_unit(unit)) return false;
    if (unit >= 0xDC00 && unit <= 0xDFFF) return fail("lone low surrogate in string");
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') return fail("high surrogate without a low one");
      ++p_;
      std::uint32_t low = 0;
      if (!code_unit(low)) return false;
      if (low < 0xDC00 || low > 0xDFFF) return fail("high surrogate without a low one");
    }
    return true;
  }

  // The four hex digits after the 'u' at p_, into `unit`.
  bool code_unit(std::uint32_t& unit) {
    ++p_;
    if (end_ - p_ < 4) return fail("expected four hex digits after \\u");
    for (int i = 0; i < 4; ++i) {
      if (json_reading::hex_digit(p_[i]) < 0) return fail("expected four hex digits after \\u");
    }
    unit = json_reading::code_unit_at(p_);
    p_ += 4;
    return true;
  }

  void done_with_token() {
    last_begin_ = token_;
    last_end_ = offset();
    token_ = std::string_view::npos;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
  Handler& handler_;
  std::size_t depth_ = 0;
  std::size_t token_ = std::string_view::npos;  ///< where the string or number being read began
  std::size_t last_begin_ = std::string_view::npos, last_end_ = std::string_view::npos;  ///< the last one read
  json_reading::Failure failure_;
};

/// Checks `text` through `handler` (see JsonReader); nothing, or what is wrong with it.
template <class Handler>
MaybeError read_json_text(std::string_view text, Handler& handler, bool check_utf8 = true) {
  // The reader refuses a NUL byte and a byte-order mark too, in other words: they are looked
  // for only in a text it refuses, so that one pass over the text is saved whenever it is JSON.
  JsonReader<Handler> reader(text, handler);
  if (!reader.read()) {
    if (auto refused = json_reading::refused_bytes(text, check_utf8)) return refused;
    return Error{json_reading::describe(text, reader.failure())};
  }
  if (check_utf8 && !is_valid_utf8(text)) return Error{"invalid UTF-8"};
  return std::nullopt;
}

}  // namespace quillo
