// One parser, two destinations: the value type (for the renderers), or compact text with sorted
// keys (for --json, where replies can be tens of megabytes and the value type would take ten
// times their size in memory).
#include "core/json_parser.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "core/text.hpp"

namespace quillo {
namespace {

static_assert(std::endian::native == std::endian::little, "the string scan reads words");

// Why a text is not JSON, as the reader first found it.
struct Failure {
  std::string message;
  bool too_deep = false;  ///< refused for its nesting, which the value type's parser allows
};

// Bytes that end a run of plain string content: '"', '\\' and control characters.
std::uint64_t special_bytes(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  const std::uint64_t quote = word ^ (kOnes * '"');
  const std::uint64_t backslash = word ^ (kOnes * '\\');
  // Each term flags its first match exactly (later flags may be false); the lowest flag of the
  // union is therefore the first special byte.
  return (((quote - kOnes) & ~quote) | ((backslash - kOnes) & ~backslash) |
          ((word - kOnes * 0x20) & ~word)) &
         kHighs;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void append_utf8(std::string& out, std::uint32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

// The four hex digits after "\u" at `p` (already checked).
std::uint32_t code_unit_at(const char* p) {
  std::uint32_t unit = 0;
  for (int i = 0; i < 4; ++i) unit = unit * 16 + static_cast<std::uint32_t>(hex_digit(p[i]));
  return unit;
}

// The content of a checked string literal (between its quotes), escapes resolved.
std::string unescape(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\') {
      out += raw[i];
      continue;
    }
    const char kind = raw[++i];
    switch (kind) {
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u': {
        std::uint32_t code_point = code_unit_at(raw.data() + i + 1);
        i += 4;
        if (code_point >= 0xD800 && code_point <= 0xDBFF) {
          const std::uint32_t low = code_unit_at(raw.data() + i + 3);
          code_point = 0x10000 + ((code_point - 0xD800) << 10) + (low - 0xDC00);
          i += 6;
        }
        append_utf8(out, code_point);
        break;
      }
      default: out += kind;  // '"', '\\', '/'
    }
  }
  return out;
}

// A string as the value type writes it: quotes, backslashes and control characters escaped,
// everything else as it is.
void append_escaped(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text, run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out.append(text, run, std::string_view::npos);
  out += '"';
}

// The text of a double as the value type writes it.
void append_double(std::string& out, double value) {
  std::array<char, 64> buffer;
  char* end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  out.append(buffer.data(), end);
}

// A number token, read as the value type reads it: an integer when it is one and fits 64 bits
// (unsigned unless it has a sign), a double otherwise.
struct Number {
  enum class Kind { Unsigned, Signed, Double } kind;
  std::uint64_t unsigned_value = 0;
  std::int64_t signed_value = 0;
  double double_value = 0;
};

// The number, or nullopt when it is too large for a double.
std::optional<Number> read_number(std::string_view token, bool is_integer) {
  Number number{Number::Kind::Double};
  const char* first = token.data();
  const char* last = first + token.size();
  if (is_integer) {
    if (token.front() == '-') {
      const auto [end, error] = std::from_chars(first, last, number.signed_value);
      if (error == std::errc() && end == last) {
        number.kind = Number::Kind::Signed;
        return number;
      }
    } else {
      const auto [end, error] = std::from_chars(first, last, number.unsigned_value);
      if (error == std::errc() && end == last) {
        number.kind = Number::Kind::Unsigned;
        return number;
      }
    }
  }
  // strtod, as the value type uses, needs a terminated copy.
  const std::string copy(token);
  number.double_value = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(number.double_value)) return std::nullopt;
  return number;
}

// The grammar, reporting what it reads to a Handler (ValueBuilder, CompactWriter or
// SpanCollector): begin_object, key, end_object, begin_array, end_array, string, boolean, null
// and number as they come, and read(begin, end) with the place of every value once it is read.
// Every step returns false once the text has turned out not to be JSON, with the first failure
// recorded: reading stops there, and the handler's half-made output is dropped.
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
  const Failure& failure() const { return failure_; }

 private:
  // What is wrong at p_.
  bool fail(std::string_view what) {
    if (p_ == end_) return refuse("unexpected end of input; " + std::string(what));
    return refuse("syntax error at offset " + std::to_string(p_ - begin_) + ": " +
                  std::string(what));
  }

  bool refuse(std::string message, bool too_deep = false) {
    failure_ = {std::move(message), too_deep};
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
    const char* start = p_;
    if (!read_value()) return false;
    handler_.read(static_cast<std::size_t>(start - begin_), static_cast<std::size_t>(p_ - begin_));
    return true;
  }

  bool read_value() {
    switch (*p_) {
      case '{': return container<true>();
      case '[': return container<false>();
      case '"': {
        std::string_view raw;
        if (!string_literal(raw)) return false;  // sets has_escapes_
        handler_.string(raw, has_escapes_);
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

  bool enter() {
    if (++depth_ > kMaxJsonDepth) {
      return refuse("nesting deeper than " + std::to_string(kMaxJsonDepth) + " levels", true);
    }
    return true;
  }

  // An object or an array: its members or elements, separated by commas.
  template <bool kObject>
  bool container() {
    if (!enter()) return false;
    ++p_;
    if constexpr (kObject) {
      handler_.begin_object();
    } else {
      handler_.begin_array();
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
      handler_.end_object();
    } else {
      handler_.end_array();
    }
    --depth_;
    return true;
  }

  bool member_key() {
    if (p_ == end_ || *p_ != '"') return fail("expected a string as object key");
    std::string_view key;
    if (!string_literal(key)) return false;  // sets has_escapes_
    handler_.key(key, has_escapes_);
    if (!expect(':', "expected ':'")) return false;
    skip_white_space();
    return true;
  }

  bool literal(std::string_view word) {
    if (static_cast<std::size_t>(end_ - p_) < word.size() ||
        std::string_view(p_, word.size()) != word) {
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
    if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
      ++p_;
      is_integer = false;
      if (p_ != end_ && (*p_ == '+' || *p_ == '-')) ++p_;
      if (!digits("expected a digit in the exponent")) return false;
    }
    const std::string_view token(start, static_cast<std::size_t>(p_ - start));
    const std::optional<Number> parsed = read_number(token, is_integer);
    if (!parsed) {
      return refuse("number overflow at offset " +
                    std::to_string(static_cast<std::size_t>(start - begin_)));
    }
    handler_.number(token, *parsed);
    return true;
  }

  // Checks a string literal at p_ and gives its raw content in `raw`; sets has_escapes_.
  bool string_literal(std::string_view& raw) {
    const char* start = ++p_;
    has_escapes_ = false;
    for (;;) {
      while (end_ - p_ >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p_, 8);
        if (const std::uint64_t found = special_bytes(word)) {
          p_ += std::countr_zero(found) / 8;
          break;
        }
        p_ += 8;
      }
      while (p_ != end_ && *p_ != '"' && *p_ != '\\' && static_cast<unsigned char>(*p_) >= 0x20) {
        ++p_;
      }
      if (p_ == end_) return fail("unterminated string");
      if (*p_ == '"') break;
      if (*p_ != '\\') return fail("control character in string (escape it)");
      has_escapes_ = true;
      if (!escape()) return false;
    }
    raw = std::string_view(start, static_cast<std::size_t>(p_ - start));
    ++p_;
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
      if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') {
        return fail("high surrogate without a low one");
      }
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
      if (hex_digit(p_[i]) < 0) return fail("expected four hex digits after \\u");
    }
    unit = code_unit_at(p_);
    p_ += 4;
    return true;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
  Handler& handler_;
  std::size_t depth_ = 0;
  bool has_escapes_ = false;
  Failure failure_;
};

// Builds the value, as the value type's own parser would.
class ValueBuilder {
 public:
  explicit ValueBuilder(Json& root) : root_(root) {}

  void read(std::size_t, std::size_t) {}
  void begin_object() { containers_.push_back(place(Json::object())); }
  void begin_array() { containers_.push_back(place(Json::array())); }
  void end_object() { containers_.pop_back(); }
  void end_array() { containers_.pop_back(); }
  void key(std::string_view raw, bool escaped) {
    key_ = escaped ? unescape(raw) : std::string(raw);
  }
  void string(std::string_view raw, bool escaped) {
    place(Json(escaped ? unescape(raw) : std::string(raw)));
  }
  void boolean(bool value) { place(Json(value)); }
  void null() { place(Json(nullptr)); }
  void number(std::string_view, const Number& number) {
    switch (number.kind) {
      case Number::Kind::Unsigned: place(Json(number.unsigned_value)); break;
      case Number::Kind::Signed: place(Json(number.signed_value)); break;
      case Number::Kind::Double: place(Json(number.double_value)); break;
    }
  }

 private:
  // Puts `value` where the grammar says it goes; a later member of the same name replaces it.
  Json* place(Json&& value) {
    if (containers_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& container = *containers_.back();
    if (container.is_array()) {
      container.get_ref<Json::array_t&>().push_back(std::move(value));
      return &container.get_ref<Json::array_t&>().back();
    }
    Json& slot = container.get_ref<Json::object_t&>()[std::move(key_)];
    slot = std::move(value);
    return &slot;
  }

  Json& root_;
  std::vector<Json*> containers_;
  std::string key_;
};

// Writes the compact text directly. Members are written as they come; an object whose keys
// did not come sorted (or came twice) is put in order when it ends.
class CompactWriter {
 public:
  explicit CompactWriter(std::string& out) : out_(out) {}

  void read(std::size_t, std::size_t) {}

  void begin_object() {
    separate();
    out_ += '{';
    frames_.push_back({true, out_.size(), {}});
  }
  void begin_array() {
    separate();
    out_ += '[';
    frames_.push_back({false, out_.size(), {}});
  }
  void end_array() {
    out_ += ']';
    frames_.pop_back();
  }
  void end_object() {
    Frame& frame = frames_.back();
    if (!frame.members.empty()) frame.members.back().end = out_.size();
    if (!is_ordered(frame.members)) reorder(frame);
    out_ += '}';
    frames_.pop_back();
  }
  void key(std::string_view raw, bool escaped) {
    Frame& frame = frames_.back();
    if (!frame.members.empty()) {
      frame.members.back().end = out_.size();
      out_ += ',';
    }
    std::string key = escaped ? unescape(raw) : std::string(raw);
    const std::size_t start = out_.size();
    if (escaped) {
      append_escaped(out_, key);
    } else {
      out_ += '"';
      out_ += raw;
      out_ += '"';
    }
    out_ += ':';
    frame.members.push_back({std::move(key), start, 0});
    pending_key_ = true;
  }
  void string(std::string_view raw, bool escaped) {
    separate();
    if (escaped) {
      append_escaped(out_, unescape(raw));
    } else {
      // Raw content has no quote, backslash or control character: it is written as it came.
      out_ += '"';
      out_ += raw;
      out_ += '"';
    }
  }
  void boolean(bool value) {
    separate();
    out_ += value ? "true" : "false";
  }
  void null() {
    separate();
    out_ += "null";
  }
  void number(std::string_view token, const Number& number) {
    separate();
    if (number.kind == Number::Kind::Double) {
      append_double(out_, number.double_value);
    } else if (number.kind == Number::Kind::Signed && number.signed_value == 0) {
      out_ += '0';  // "-0"
    } else {
      out_ += token;  // an integer that fits is written with the same digits
    }
  }

 private:
  struct Member {
    std::string key;
    std::size_t start;  // of the key
    std::size_t end;
  };
  struct Frame {
    bool is_object;
    std::size_t body;  // where the first member or element starts
    std::vector<Member> members;
  };

  // A comma before every element of an array but the first; members get theirs with the key.
  void separate() {
    if (pending_key_) {
      pending_key_ = false;
      return;
    }
    if (!frames_.empty() && !frames_.back().is_object && out_.size() != frames_.back().body) {
      out_ += ',';
    }
  }

  static bool is_ordered(const std::vector<Member>& members) {
    for (std::size_t i = 1; i < members.size(); ++i) {
      if (!(members[i - 1].key < members[i].key)) return false;
    }
    return true;
  }

  // The members sorted by key; of members with the same key, the last one stays.
  static std::vector<const Member*> ordered(const std::vector<Member>& members) {
    std::vector<const Member*> sorted;
    for (const Member& member : members) sorted.push_back(&member);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Member* a, const Member* b) { return a->key < b->key; });
    std::vector<const Member*> unique;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      if (i + 1 < sorted.size() && sorted[i + 1]->key == sorted[i]->key) continue;
      unique.push_back(sorted[i]);
    }
    return unique;
  }

  void reorder(Frame& frame) {
    std::string body;
    body.reserve(out_.size() - frame.body);
    for (const Member* member : ordered(frame.members)) {
      if (!body.empty()) body += ',';
      body.append(out_, member->start, member->end - member->start);
    }
    out_.resize(frame.body);
    out_ += body;
  }

  std::string& out_;
  std::vector<Frame> frames_;
  bool pending_key_ = false;
};

// Notes where each member or element of the outermost container lies, reading nothing else.
class SpanCollector {
 public:
  explicit SpanCollector(OuterSpans& outer) : outer_(outer) {}

  void read(std::size_t begin, std::size_t end) {
    if (depth_ == 1) outer_.spans.push_back({std::move(key_), begin, end});
  }
  void begin_object() { begin('{'); }
  void begin_array() { begin('['); }
  void end_object() { --depth_; }
  void end_array() { --depth_; }
  void key(std::string_view raw, bool escaped) {
    if (depth_ == 1) key_ = escaped ? unescape(raw) : std::string(raw);
  }
  void string(std::string_view, bool) {}
  void boolean(bool) {}
  void null() {}
  void number(std::string_view, const Number&) {}

 private:
  void begin(char kind) {
    if (depth_++ == 0) outer_.kind = kind;
  }

  OuterSpans& outer_;
  std::size_t depth_ = 0;
  std::string key_;
};

// Why `text` is not JSON, in the words of the value type's own parser, which refuses the same
// texts: its descriptions (with line, column and the text last read) are the ones users see.
std::string describe(std::string_view text, const Failure& failure) {
  if (failure.too_deep) return failure.message;
  try {
    const Json accepted = Json::parse(text);  // not expected: both parsers refuse the same texts
    (void)accepted;
  } catch (const Json::exception& e) {
    std::string message = e.what();
    // "[json.exception.parse_error.101] parse error at ..." reads better without the tag.
    if (const auto tag_end = message.find("] "); message.starts_with("[") && tag_end != std::string::npos) {
      message.erase(0, tag_end + 2);
    }
    return message;
  }
  return failure.message;
}

// What the value type's own parser would stop at or skip silently is refused here.
MaybeError refused_bytes(std::string_view text) {
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    return Error{"unexpected NUL byte at offset " + std::to_string(nul)};
  }
  if (text.starts_with("\xEF\xBB\xBF")) return Error{"unexpected byte-order mark"};
  return std::nullopt;
}

// Reads `text` into `output` through a Handler of its kind, after the checks that every reading
// shares; `check_utf8` is off where the caller has checked already.
template <class Handler, class Output>
Result<Output> read_json(std::string_view text, Output output, bool check_utf8 = true) {
  if (auto refused = refused_bytes(text)) return *refused;
  if (check_utf8 && !is_valid_utf8(text)) return Error{"invalid UTF-8"};
  Handler handler(output);
  JsonReader<Handler> reader(text, handler);
  if (!reader.read()) return Error{describe(text, reader.failure())};
  return Result<Output>(std::move(output));
}

}  // namespace

Result<Json> parse_json(std::string_view text) {
  return read_json<ValueBuilder>(text, Json());
}

Result<OuterSpans> outer_spans(std::string_view text) {
  return read_json<SpanCollector>(text, OuterSpans());
}

const OuterSpans::Span* OuterSpans::last(std::string_view key) const {
  for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
    if (span->key == key) return &*span;
  }
  return nullptr;
}

Result<std::string> compact_json(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  return read_json<CompactWriter>(text, std::move(compact), false);
}

}  // namespace quillo
