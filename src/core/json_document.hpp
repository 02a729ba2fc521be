#pragma once
// A JSON text read once, for the IDE's replies: checked whole, then read a part at a time where
// it lies, never built into a tree. What a later reading needs is kept in an index as small as
// the text allows: where each larger container ends, so that it is passed over at once.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/result.hpp"

namespace quillo {

class JsonDocument;
class Sink;

enum class JsonKind : std::uint8_t { Null, Boolean, Number, String, Array, Object };

/// The text of a JSON string as it stands in the document (between its quotes), or a fallback
/// given by the program; written and compared as the text it stands for.
class JsonText {
 public:
  constexpr JsonText() = default;
  /// A text of the program's own (never read as JSON).
  constexpr JsonText(const char* text) : raw_(text) {}
  constexpr JsonText(std::string_view text) : raw_(text) {}
  static JsonText escaped(std::string_view raw) {
    JsonText text(raw);
    text.escaped_ = true;
    return text;
  }

  bool empty() const { return raw_.empty(); }
  /// Characters (Unicode scalar values) of the text.
  std::size_t character_count() const;
  /// The text as a string, whole (for short texts).
  std::string str() const;
  /// Its first `limit` bytes at most, cut on a character boundary; `size` gets its whole size.
  std::string head(std::size_t limit, std::size_t& size) const;
  bool operator==(std::string_view other) const;

  /// Calls `piece` with the text's bytes, a piece at a time, in order.
  template <class Piece>
  void for_each_piece(Piece&& piece) const;


 private:
  std::string_view raw_;
  bool escaped_ = false;  ///< `raw_` holds JSON escapes to resolve
};

Sink& operator<<(Sink& out, const JsonText& text);

/// One value of a document: what it is, and its parts, read where they lie. Cheap to copy.
class JsonView {
 public:
  JsonView(const JsonDocument* document, std::uint32_t position) : document_(document), position_(position) {}

  JsonKind kind() const;
  bool is_true() const;
  bool is_false() const;
  /// The value as a signed 64-bit integer when it is a JSON integer that fits one.
  std::optional<std::int64_t> as_int64() const;
  /// The text of a string (the empty text for any other kind).
  JsonText text() const;

  /// The member `key` of an object (the last one of that name), or nothing.
  std::optional<JsonView> member(std::string_view key) const;

  /// The elements of an array, in order.
  class Elements;
  Elements elements() const;
  bool is_empty_container() const;

  std::uint32_t position() const { return position_; }
  const JsonDocument& document() const { return *document_; }
  /// The value's text as it stands in the document.
  std::string_view source() const;

 private:
  const JsonDocument* document_;
  std::uint32_t position_;
};

class JsonView::Elements {
 public:
  class iterator {
   public:
    iterator(const JsonDocument* document, std::uint32_t position) : document_(document), position_(position) {}
    JsonView operator*() const { return {document_, position_}; }
    iterator& operator++();
    bool operator!=(const iterator& other) const { return position_ != other.position_; }

   private:
    const JsonDocument* document_;
    std::uint32_t position_;  ///< of the element, or of the array's closing bracket
  };
  Elements(const JsonDocument* document, std::uint32_t first, std::uint32_t end) : document_(document), first_(first), end_(end) {}
  iterator begin() const { return {document_, first_}; }
  iterator end() const { return {document_, end_}; }

 private:
  const JsonDocument* document_;
  std::uint32_t first_, end_;
};

int compare_escaped_keys(std::string_view a, bool a_escaped, std::string_view b, bool b_escaped);

/// The order of two keys (their raw text, with escapes or not) as the texts they stand for, byte
/// by byte. Keys are short: a loop of its own is quicker than a call.
inline int compare_keys(std::string_view a, bool a_escaped, std::string_view b, bool b_escaped) {
  if (a_escaped || b_escaped) return compare_escaped_keys(a, a_escaped, b, b_escaped);
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

/// The members of an object, read once when there are few, so that looking several of them up
/// reads the object once (and a text or a number found does not have its end looked for again);
/// looked up where they lie when there are many.
class Members {
 public:
  explicit Members(const std::optional<JsonView>& object);
  explicit Members(const JsonView& object) : Members(std::optional<JsonView>(object)) {}

  std::optional<JsonView> operator[](std::string_view key) const;

  /// The reading conventions every rendering shares: a text counts only when it is a JSON
  /// string, a flag only when it is the JSON boolean, an integer only when it fits 64 bits.
  JsonText text_or(std::string_view key, JsonText fallback) const;
  bool has_text(std::string_view key) const;
  bool is_true(std::string_view key) const;
  bool is_false(std::string_view key) const;
  std::int64_t int64_or_zero(std::string_view key) const;

 private:
  static constexpr std::size_t kFew = 16;
  struct Member {
    std::string_view key;  ///< raw, between its quotes
    bool escaped = false;
    bool value_escaped = false;  ///< of a string value
    std::uint32_t value = 0;
    std::uint32_t end = 0;  ///< of the value
  };
  /// Of the few, the last member named `key`.
  const Member* find(std::string_view key) const;

  std::optional<JsonView> object_;
  Member members_[kFew];
  std::size_t count_ = 0;
  bool few_ = false;
};

class JsonDocument {
 public:
  /// Checks `text` as one JSON value, white space around it allowed, nested at most
  /// kMaxJsonDepth levels, with no NUL byte, no byte-order mark, numbers that fit a double, and,
  /// when `check_utf8`, valid UTF-8; otherwise the description of what is wrong with it. The
  /// text must stay where it is as long as the document.
  static Result<JsonDocument> read(std::string_view text, bool check_utf8 = true);
  /// A document of the text "null".
  static const JsonDocument& null();

  JsonView root() const { return {this, root_}; }
  std::string_view text() const { return text_; }

  /// Where the value at `position` ends (past its last byte).
  std::uint32_t end_of(std::uint32_t position) const;
  /// The content of the string at `position` (between its quotes), and whether it has escapes.
  std::string_view string_at(std::uint32_t position, bool& escaped) const;

 private:
  friend class DocumentIndexer;
  struct Span {
    std::uint32_t begin, end;
  };
  /// The first span of the index that begins at `position` or after it.
  std::size_t first_large_from(std::uint32_t position) const;
  std::uint32_t end_of_small_container(std::uint32_t position) const;

  std::string_view text_;
  std::uint32_t root_ = 0;
  std::vector<Span> large_;                ///< the large containers, by `begin`
  mutable std::size_t large_hint_ = 0;     ///< where the next container asked for is likely
};

// ---- Templates.

void for_each_unescaped_piece(std::string_view raw, void (*piece)(void* context, std::string_view bytes), void* context);

template <class Piece>
void JsonText::for_each_piece(Piece&& piece) const {
  if (!escaped_) {
    piece(raw_);
    return;
  }
  using Function = std::remove_reference_t<Piece>;
  for_each_unescaped_piece(
      raw_, [](void* context, std::string_view bytes) { (*static_cast<Function*>(context))(bytes); },
      const_cast<std::remove_const_t<Function>*>(&piece));
}

}  // namespace quillo
