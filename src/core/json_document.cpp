// Reading a checked JSON text a part at a time. The text has been read whole once, so every
// scan here knows it is well formed: a value is passed over by looking for where it ends, and a
// container of kLargeBytes or more at once, by the index.
#include "core/json_document.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "core/json_number.hpp"
#include "core/json_reader.hpp"
#include "core/sink.hpp"
#include "core/text.hpp"

namespace quillo {
namespace {

// Containers that hold this many bytes outside those in the index are passed over by it:
// smaller ones are scanned, which costs little more than looking them up, and the index stays
// a small part of the text (an eighth of it at the most, and a quarter while it is made). The writer scans a member's value to find its end
// and then again to write it: a small object in each of many (a range, a position) is worth
// passing over at once.
constexpr std::uint32_t kLargeBytes = 64;

bool is_white_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

std::uint32_t skip_white_space(std::string_view text, std::uint32_t p) {
  while (p < text.size() && is_white_space(text[p])) ++p;
  return p;
}

// Past the closing quote of the string literal whose opening quote is at `p`; `escaped` tells
// whether its content holds an escape.
std::uint32_t end_of_string(std::string_view text, std::uint32_t p, bool& escaped) {
  const char* s = text.data() + p + 1;
  const char* const end = text.data() + text.size();
  for (;;) {
    s = json_string_run_end(s, end);  // at a quote or a backslash: the text is checked
    if (*s == '"') return static_cast<std::uint32_t>(s + 1 - text.data());
    escaped = true;
    s += 2;  // an escape; of "\uXXXX", the hex digits are plain content
  }
}

std::uint32_t end_of_string(std::string_view text, std::uint32_t p) {
  bool escaped = false;
  return end_of_string(text, p, escaped);
}

// Past the end of a number or a literal at `p`: a literal by its length, a number where the
// characters it may hold stop.
std::uint32_t end_of_token(std::string_view text, std::uint32_t p) {
  switch (text[p]) {
    case 't': return p + 4;
    case 'f': return p + 5;
    case 'n': return p + 4;
  }
  const auto in_number = [](char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
  };
  while (p < text.size() && in_number(text[p])) ++p;
  return p;
}

// The first quote, brace or bracket at or after `p` (there is one before `end`), sixteen bytes
// at a time.
const char* next_structural(const char* p, const char* end) {
  typedef unsigned char Bytes16 __attribute__((vector_size(16)));
  while (end - p >= 16) {
    Bytes16 bytes;
    std::memcpy(&bytes, p, 16);
    const Bytes16 found = (bytes == '"') | (bytes == '{') | (bytes == '}') | (bytes == '[') | (bytes == ']');
    std::uint64_t low = 0, high = 0;
    std::memcpy(&low, &found, 8);
    std::memcpy(&high, reinterpret_cast<const char*>(&found) + 8, 8);
    if ((low | high) != 0) return p + (low != 0 ? std::countr_zero(low) / 8 : 8 + std::countr_zero(high) / 8);
    p += 16;
  }
  while (*p != '"' && *p != '{' && *p != '}' && *p != '[' && *p != ']') ++p;
  return p;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

std::uint32_t code_unit_at(const char* p) {
  std::uint32_t unit = 0;
  for (int i = 0; i < 4; ++i) unit = unit * 16 + static_cast<std::uint32_t>(hex_digit(p[i]));
  return unit;
}

std::size_t encode_utf8(std::uint32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// The escape at `i` in a string's raw text, decoded into `out`; `i` moves past it. Returns the
// number of bytes decoded.
std::size_t decode_escape(std::string_view raw, std::size_t& i, char (&out)[4]) {
  const char kind = raw[i + 1];
  i += 2;
  switch (kind) {
    case 'b': out[0] = '\b'; return 1;
    case 'f': out[0] = '\f'; return 1;
    case 'n': out[0] = '\n'; return 1;
    case 'r': out[0] = '\r'; return 1;
    case 't': out[0] = '\t'; return 1;
    case 'u': {
      std::uint32_t code_point = code_unit_at(raw.data() + i);
      i += 4;
      if (code_point >= 0xD800 && code_point <= 0xDBFF) {
        const std::uint32_t low = code_unit_at(raw.data() + i + 2);
        code_point = 0x10000 + ((code_point - 0xD800) << 10) + (low - 0xDC00);
        i += 6;
      }
      return encode_utf8(code_point, out);
    }
    default: out[0] = kind; return 1;  // '"', '\\', '/'
  }
}

// The bytes a string's raw text stands for, one at a time, for comparing two without making
// either.
class UnescapedBytes {
 public:
  UnescapedBytes(std::string_view raw, bool escaped) : raw_(raw), escaped_(escaped) {}

  /// The next byte, or -1 at the end.
  int next() {
    if (used_ < size_) return static_cast<unsigned char>(decoded_[used_++]);
    if (i_ == raw_.size()) return -1;
    if (!escaped_ || raw_[i_] != '\\') return static_cast<unsigned char>(raw_[i_++]);
    size_ = decode_escape(raw_, i_, decoded_);
    used_ = 1;
    return static_cast<unsigned char>(decoded_[0]);
  }

 private:
  std::string_view raw_;
  bool escaped_;
  std::size_t i_ = 0;
  char decoded_[4];
  std::size_t size_ = 0, used_ = 0;
};

// A string's raw text (between its quotes) at the opening quote `p`, and whether it has escapes.
std::string_view key_at(std::string_view text, std::uint32_t p, bool& escaped) {
  escaped = false;
  const std::uint32_t end = end_of_string(text, p, escaped);
  return text.substr(p + 1, end - p - 2);
}

// The number `token` as a signed 64-bit integer, when it is a JSON integer that fits one: an
// integer only as the value type reads one, no fraction, no exponent ("1.0" is a double).
std::optional<std::int64_t> int64_of(std::string_view token) {
  if (!is_integer_token(token)) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return value;
}

bool key_is(std::string_view raw, bool escaped, std::string_view wanted) {
  return escaped ? JsonText::escaped(raw) == wanted : raw == wanted;
}

}  // namespace

int compare_escaped_keys(std::string_view a, bool a_escaped, std::string_view b, bool b_escaped) {
  UnescapedBytes x(a, a_escaped), y(b, b_escaped);
  for (;;) {
    const int p = x.next(), q = y.next();
    if (p != q || p < 0) return p < q ? -1 : (p > q ? 1 : 0);
  }
}

void for_each_unescaped_piece(std::string_view raw, void (*piece)(void* context, std::string_view bytes), void* context) {
  std::size_t i = 0;
  while (i < raw.size()) {
    const std::size_t slash = raw.find('\\', i);
    if (slash != i) {
      piece(context, raw.substr(i, (slash == std::string_view::npos ? raw.size() : slash) - i));
      if (slash == std::string_view::npos) return;
    }
    char decoded[4];
    i = slash;
    piece(context, std::string_view(decoded, decode_escape(raw, i, decoded)));
  }
}

// ---- JsonText.

std::size_t JsonText::character_count() const {
  std::size_t count = 0;
  for_each_piece([&](std::string_view piece) { count += quillo::character_count(piece); });
  return count;
}

std::string JsonText::str() const {
  std::string out;
  for_each_piece([&](std::string_view piece) { out += piece; });
  return out;
}

std::string JsonText::head(std::size_t limit, std::size_t& size) const {
  std::string out;
  size = 0;
  for_each_piece([&](std::string_view piece) {
    size += piece.size();
    if (out.size() <= limit) out.append(piece.substr(0, limit + 1 - out.size()));
  });
  if (out.size() > limit) {
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(out[end]) & 0xC0) == 0x80) --end;
    out.resize(end);
  }
  return out;
}

bool JsonText::operator==(std::string_view other) const {
  if (!escaped_) return raw_ == other;
  bool same = true;
  for_each_piece([&](std::string_view piece) {
    if (!same) return;
    same = other.starts_with(piece);
    other.remove_prefix(same ? piece.size() : 0);
  });
  return same && other.empty();
}

Sink& operator<<(Sink& out, const JsonText& text) {
  text.for_each_piece([&](std::string_view piece) { out.write(piece); });
  return out;
}

// ---- JsonView.

JsonKind JsonView::kind() const {
  switch (document_->text()[position_]) {
    case 'n': return JsonKind::Null;
    case 't':
    case 'f': return JsonKind::Boolean;
    case '"': return JsonKind::String;
    case '[': return JsonKind::Array;
    case '{': return JsonKind::Object;
    default: return JsonKind::Number;
  }
}

bool JsonView::is_true() const { return document_->text()[position_] == 't'; }
bool JsonView::is_false() const { return document_->text()[position_] == 'f'; }

std::string_view JsonView::source() const {
  return document_->text().substr(position_, document_->end_of(position_) - position_);
}

std::optional<std::int64_t> JsonView::as_int64() const {
  if (kind() != JsonKind::Number) return std::nullopt;
  return int64_of(source());
}

JsonText JsonView::text() const {
  if (kind() != JsonKind::String) return {};
  bool escaped = false;
  const std::string_view raw = key_at(document_->text(), position_, escaped);
  return escaped ? JsonText::escaped(raw) : JsonText(raw);
}

std::optional<JsonView> JsonView::member(std::string_view key) const {
  if (kind() != JsonKind::Object) return std::nullopt;
  const std::string_view text = document_->text();
  std::optional<JsonView> found;
  std::uint32_t p = skip_white_space(text, position_ + 1);
  while (text[p] == '"') {
    bool escaped = false;
    const std::string_view raw = key_at(text, p, escaped);
    p = skip_white_space(text, static_cast<std::uint32_t>(raw.data() + raw.size() + 1 - text.data()));
    const std::uint32_t value = skip_white_space(text, p + 1);  // past ':'
    if (key_is(raw, escaped, key)) found = JsonView(document_, value);
    p = skip_white_space(text, document_->end_of(value));
    if (text[p] == ',') p = skip_white_space(text, p + 1);
  }
  return found;
}

JsonView::Elements JsonView::elements() const {
  if (kind() != JsonKind::Array) return {document_, 0, 0};
  const std::uint32_t close = document_->end_of(position_) - 1;
  return {document_, skip_white_space(document_->text(), position_ + 1), close};
}

bool JsonView::is_empty_container() const {
  const std::string_view text = document_->text();
  const char c = text[skip_white_space(text, position_ + 1)];
  return c == ']' || c == '}';
}

JsonView::Elements::iterator& JsonView::Elements::iterator::operator++() {
  const std::string_view text = document_->text();
  std::uint32_t p = skip_white_space(text, document_->end_of(position_));
  position_ = text[p] == ',' ? skip_white_space(text, p + 1) : p;
  return *this;
}

// ---- Members.

Members::Members(const std::optional<JsonView>& object) {
  if (!object || object->kind() != JsonKind::Object) return;
  object_ = object;
  const std::string_view text = object->document().text();
  std::uint32_t p = skip_white_space(text, object->position() + 1);
  while (text[p] == '"') {
    if (count_ == kFew) return;  // many: looked up where they lie
    Member& m = members_[count_++];
    m.key = key_at(text, p, m.escaped);
    p = skip_white_space(text, static_cast<std::uint32_t>(m.key.data() + m.key.size() + 1 - text.data()));
    m.value = skip_white_space(text, p + 1);
    m.end = text[m.value] == '"' ? end_of_string(text, m.value, m.value_escaped) : object->document().end_of(m.value);
    p = skip_white_space(text, m.end);
    if (text[p] == ',') p = skip_white_space(text, p + 1);
  }
  few_ = true;
}

const Members::Member* Members::find(std::string_view key) const {
  for (std::size_t i = count_; i > 0; --i) {  // the last of a name counts
    if (key_is(members_[i - 1].key, members_[i - 1].escaped, key)) return &members_[i - 1];
  }
  return nullptr;
}

std::optional<JsonView> Members::operator[](std::string_view key) const {
  if (!object_) return std::nullopt;
  if (!few_) return object_->member(key);
  const Member* m = find(key);
  if (m == nullptr) return std::nullopt;
  return JsonView(&object_->document(), m->value);
}

JsonText Members::text_or(std::string_view key, JsonText fallback) const {
  if (few_) {
    const Member* m = find(key);
    if (m == nullptr || object_->document().text()[m->value] != '"') return fallback;
    const std::string_view raw = object_->document().text().substr(m->value + 1, m->end - m->value - 2);
    return m->value_escaped ? JsonText::escaped(raw) : JsonText(raw);
  }
  const auto value = (*this)[key];
  return value && value->kind() == JsonKind::String ? value->text() : fallback;
}

bool Members::has_text(std::string_view key) const {
  const auto value = (*this)[key];
  return value && value->kind() == JsonKind::String;
}

bool Members::is_true(std::string_view key) const {
  const auto value = (*this)[key];
  return value && value->is_true();
}

bool Members::is_false(std::string_view key) const {
  const auto value = (*this)[key];
  return value && value->is_false();
}

std::int64_t Members::int64_or_zero(std::string_view key) const {
  if (few_) {
    const Member* m = find(key);
    if (m == nullptr || JsonView(&object_->document(), m->value).kind() != JsonKind::Number) return 0;
    return int64_of(object_->document().text().substr(m->value, m->end - m->value)).value_or(0);
  }
  const auto value = (*this)[key];
  return value ? value->as_int64().value_or(0) : 0;
}

// ---- The index, made while the text is checked.

// Hears the reader out and notes the large containers in the order they begin: each one has
// its place kept when it opens, and gives it up when it closes small. Large is counted in the
// bytes a container holds outside the large ones it holds, so that every place in the index
// stands for bytes of its own and the index stays a small part of the text, however deep a nest
// of containers just over the bound. A small container that held none given up last is
// dropped at once; one that held some leaves its place empty, and the empty ones are taken out
// whenever they are as many as those kept, and at the end.
class DocumentIndexer {
 public:
  // Room for the most the index can hold, so that it is never copied as it grows: as many
  // large containers as the text has bytes to hold on their own, those open, and as many empty
  // places again; and never more than it has containers. What is not used of the room is never
  // touched, and takes no memory.
  explicit DocumentIndexer(JsonDocument& document) : document_(document), large_(document.large_) {
    const std::size_t size = document_.text_.size();
    large_.reserve(std::min(2 * (size / kLargeBytes + kMaxJsonDepth) + kFewEmpty + 2, size / 2 + 1));
  }

  void begin_object(std::size_t begin) { open(begin); }
  void begin_array(std::size_t begin) { open(begin); }
  void key(std::string_view, bool) {}
  void end_object(std::size_t begin, std::size_t end) { close(begin, end); }
  void end_array(std::size_t begin, std::size_t end) { close(begin, end); }
  void string(std::string_view, bool) {}
  void boolean(bool) {}
  void null() {}
  void number(std::string_view, bool) {}

  void finish() { take_out_empty(); }

 private:
  struct Open {
    std::size_t place;     ///< in the index
    std::size_t covered;   ///< bytes of the large containers it holds
  };

  void open(std::size_t begin) {
    open_.push_back({large_.size(), 0});
    large_.push_back({static_cast<std::uint32_t>(begin), kEmpty});
  }

  void close(std::size_t begin, std::size_t end) {
    const Open closing = open_.back();
    open_.pop_back();
    const std::size_t size = end - begin;
    const bool large = size - closing.covered >= kLargeBytes;
    if (!open_.empty()) open_.back().covered += large ? size : closing.covered;
    if (large) {
      large_[closing.place].end = static_cast<std::uint32_t>(end);
    } else if (closing.place + 1 == large_.size()) {
      large_.pop_back();
    } else if (++empty_ > large_.size() / 2 && empty_ > kFewEmpty) {
      take_out_empty();
    }
  }

  // Takes the empty places out, those of the containers still open moving down with the rest.
  void take_out_empty() {
    std::size_t kept = 0, next_open = 0;
    for (std::size_t i = 0; i < large_.size(); ++i) {
      const bool is_open = next_open < open_.size() && open_[next_open].place == i;
      if (large_[i].end == kEmpty && !is_open) continue;
      if (is_open) open_[next_open++].place = kept;
      large_[kept++] = large_[i];
    }
    large_.resize(kept);
    empty_ = 0;
  }

  static constexpr std::uint32_t kEmpty = 0;  ///< the end of a place not (or not yet) taken
  static constexpr std::size_t kFewEmpty = 64;  ///< not worth taking out

  JsonDocument& document_;
  std::vector<JsonDocument::Span>& large_;
  std::vector<Open> open_;  ///< the containers open, the innermost last
  std::size_t empty_ = 0;   ///< places left empty by small containers
};

Result<JsonDocument> JsonDocument::read(std::string_view text, bool check_utf8) {
  JsonDocument document;
  document.text_ = text;
  DocumentIndexer indexer(document);
  if (auto problem = read_json_text(text, indexer, check_utf8)) return *problem;
  indexer.finish();
  document.root_ = skip_white_space(text, 0);
  return document;
}

const JsonDocument& JsonDocument::null() {
  static const JsonDocument kNull = [] {
    JsonDocument document;
    document.text_ = "null";
    return document;
  }();
  return kNull;
}

std::uint32_t JsonDocument::end_of(std::uint32_t position) const {
  const char c = text_[position];
  if (c == '"') return end_of_string(text_, position);
  if (c != '{' && c != '[') return end_of_token(text_, position);
  const std::size_t i = first_large_from(position);
  if (i < large_.size() && large_[i].begin == position) {
    large_hint_ = i + 1;
    return large_[i].end;
  }
  large_hint_ = i;
  return end_of_small_container(position);
}

// Past the end of a container at `p` that is not in the index, scanned: those in the index it
// holds (only a few: it holds few bytes of its own) passed over at once.
std::uint32_t JsonDocument::end_of_small_container(std::uint32_t p) const {
  const char* const end = text_.data() + text_.size();
  std::size_t depth = 0;
  for (const char* s = text_.data() + p;;) {
    s = next_structural(s, end);
    const auto at = static_cast<std::uint32_t>(s - text_.data());
    if (*s == '"') {
      s = text_.data() + end_of_string(text_, at);
      continue;
    }
    const char c = *s++;
    if (c != '{' && c != '[') {
      if (--depth == 0) return at + 1;
      continue;
    }
    if (depth++ == 0) continue;
    const std::size_t i = first_large_from(at);
    large_hint_ = i;
    if (i < large_.size() && large_[i].begin == at) {
      large_hint_ = i + 1;
      s = text_.data() + large_[i].end;
      --depth;
    }
  }
}

// Containers are mostly asked for in the order they stand in, or near one asked for before (an
// element after its members): the search starts where the last one left off and steps away
// from there at doubling distances before it halves the range found.
std::size_t JsonDocument::first_large_from(std::uint32_t position) const {
  const auto before = [position](const Span& span) { return span.begin < position; };
  const std::size_t size = large_.size();
  const std::size_t from = std::min(large_hint_, size);
  std::size_t low = 0, high = 0;  // the span sought is in [low, high], `high` itself known to be after
  std::size_t step = 1;
  if (from < size && before(large_[from])) {
    while (from + step < size && before(large_[from + step])) step *= 2;
    low = from + step / 2 + 1;
    high = std::min(from + step, size);
  } else {
    while (step <= from && !before(large_[from - step])) step *= 2;
    low = step <= from ? from - step + 1 : 0;
    high = from - step / 2;
  }
  const auto begin = large_.begin();
  return static_cast<std::size_t>(std::partition_point(begin + static_cast<std::ptrdiff_t>(low),
                                                       begin + static_cast<std::ptrdiff_t>(high), before) -
                                  begin);
}

std::string_view JsonDocument::string_at(std::uint32_t position, bool& escaped) const {
  return key_at(text_, position, escaped);
}

}  // namespace quillo
