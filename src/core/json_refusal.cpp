// Why a reply is not JSON, in the JSON library's words (as users have always seen them), in
// memory bounded whatever the reply. The library's reader keeps every byte it reads from the
// start of the last string or number on (brackets, literals and white space too) and copies them
// into its message: given a text of megabytes of them, it would hold them several times over.
// It is given the text with the middle of such long stretches left out, where leaving it out
// changes nothing of where it stops or why; its message then counts where it stopped in the whole
// text and says what was left out of what it last read.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "core/json_reader.hpp"

namespace quillo::json_reading {
namespace {

// Hears the value type's parser out and keeps nothing but why it stopped: its words for a text
// that is not JSON, without the tree it would build.
class Refusal final : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t, const std::string&, const Json::exception& error) override {
    message = error.what();
    return false;
  }
  std::string message;
};

// A stretch of the text left out, from `begin` to `end`.
struct Gap {
  std::size_t begin = 0, end = 0;
  std::size_t size() const { return end - begin; }
};
using Gaps = std::vector<Gap>;  ///< in order, apart

constexpr std::size_t kLong = 65536;  ///< a stretch longer than this has its middle left out
constexpr std::size_t kEnds = 32;     ///< of a long stretch, the bytes kept at each end (about)
constexpr std::size_t kShortGap = 64;  ///< not worth leaving out

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_white_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Of the string or number from `begin` to `end` (long), the middle: within its one run of
// digits before any exponent, or within the string's content, between whole characters and
// escapes (a surrogate pair as one).
Gap token_middle(std::string_view text, std::size_t begin, std::size_t end) {
  const std::size_t first = begin + kEnds, last = end - kEnds;
  if (text[begin] != '"') {
    const std::string_view head = text.substr(begin, first - begin);
    if (head.find_first_of("eE") != std::string_view::npos || !is_digit(text[first - 1]) || !is_digit(text[first])) {
      return {};
    }
    std::size_t stop = first;
    while (stop < last && is_digit(text[stop])) ++stop;
    return {first, stop};
  }
  Gap middle;
  for (std::size_t p = begin + 1; p < last;) {
    if (middle.begin == 0 && p >= first) middle.begin = p;
    if (text[p] == '\\' && text[p + 1] == 'u') {
      const std::uint32_t unit = code_unit_at(text.data() + p + 2);
      p += unit >= 0xD800 && unit <= 0xDBFF ? 12 : 6;
    } else if (text[p] == '\\') {
      p += 2;
    } else {
      ++p;
      while (p < text.size() && (static_cast<unsigned char>(text[p]) & 0xC0) == 0x80) ++p;
    }
    if (middle.begin != 0 && p <= last) middle.end = p;
  }
  return middle.end > middle.begin ? middle : Gap{};
}

// Of the stretch from `begin` to `end` (long) that holds no string or number, only brackets,
// commas, literals and white space: the elements of each container between its first comma
// and its last (the outermost such run where they nest), and the inside of long runs of white
// space. Leaving out whole elements with their commas keeps every container as it stands.
void structure_middles(std::string_view text, std::size_t begin, std::size_t end, Gaps& gaps) {
  const std::size_t first = begin + kEnds, last = end - kEnds;
  constexpr std::size_t kNone = std::string_view::npos;
  // Depths counted from `first`, which may go down as far as they go up.
  constexpr std::size_t kMiddle = kMaxJsonDepth + 1;
  std::array<std::size_t, 2 * kMiddle + 2> first_comma, last_comma;
  first_comma.fill(kNone);
  last_comma.fill(kNone);
  std::size_t depth = kMiddle;
  const auto keep = [&gaps](Gap gap) {
    if (gap.size() < kShortGap) return;
    while (!gaps.empty() && gaps.back().begin >= gap.begin) gaps.pop_back();  // nested in it
    gaps.push_back(gap);
  };
  const auto close = [&](std::size_t at_depth) {
    if (first_comma[at_depth] != kNone && last_comma[at_depth] != first_comma[at_depth]) {
      keep({first_comma[at_depth] + 1, last_comma[at_depth] + 1});
    }
    first_comma[at_depth] = last_comma[at_depth] = kNone;
  };
  for (std::size_t p = first; p < last; ++p) {
    const char c = text[p];
    if (is_white_space(c)) {
      std::size_t stop = p;
      while (stop < last && is_white_space(text[stop])) ++stop;
      if (stop - p > kShortGap + 2) keep({p + 1, stop - 1});
      p = stop - 1;
    } else if (c == ',') {
      if (first_comma[depth] == kNone) first_comma[depth] = p;
      last_comma[depth] = p;
    } else if (c == '[' || c == '{') {
      if (depth + 1 >= first_comma.size()) return;  // not expected: nesting is bounded
      ++depth;
    } else if (c == ']' || c == '}') {
      close(depth);
      if (depth == 0) return;
      --depth;
    }
  }
  for (std::size_t d = first_comma.size(); d > 0; --d) close(d - 1);  // those still open, inner first
  std::sort(gaps.begin(), gaps.end(), [](const Gap& a, const Gap& b) { return a.begin < b.begin; });
}

// Where the library's reader holds what it reads from, when it stops, and the gaps that keep
// that short.
Gaps gaps_for(std::string_view text, const Failure& failure, std::size_t& held_from) {
  constexpr std::size_t kNone = std::string_view::npos;
  Gaps gaps;
  if (failure.token != kNone) {
    held_from = failure.token;
    if (failure.at - failure.token > kLong) gaps.push_back(token_middle(text, failure.token, failure.at));
  } else {
    held_from = failure.last_begin != kNone ? failure.last_begin : 0;
    const std::size_t structure = failure.last_end != kNone ? failure.last_end : 0;
    if (failure.last_begin != kNone && failure.last_end - failure.last_begin > kLong) {
      gaps.push_back(token_middle(text, failure.last_begin, failure.last_end));
    }
    if (failure.at - structure > kLong) structure_middles(text, structure, failure.at, gaps);
  }
  std::erase_if(gaps, [](const Gap& gap) { return gap.size() == 0; });
  return gaps;
}

// The text with the gaps passed over, as the value type's parser reads it.
class Spliced {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  Spliced(std::string_view text, std::size_t at, const Gaps& gaps) : text_(text.data()), p_(at), gaps_(&gaps) {
    while (next_ < gaps.size() && gaps[next_].end <= p_) ++next_;
  }
  const char& operator*() const { return text_[p_]; }
  Spliced& operator++() {
    for (++p_; p_ == gap_begin(); ++next_) p_ = (*gaps_)[next_].end;
    return *this;
  }
  bool operator==(const Spliced& other) const { return p_ == other.p_; }

 private:
  std::size_t gap_begin() const { return next_ < gaps_->size() ? (*gaps_)[next_].begin : std::string_view::npos; }

  const char* text_;
  std::size_t p_;
  const Gaps* gaps_;
  std::size_t next_ = 0;  ///< the next gap ahead
};

std::string left_out_note(const Gap& gap) { return "... (" + std::to_string(gap.size()) + " bytes left out) ..."; }

// The line and column of the library's message, which counts what it read, as counted in the
// whole text: where the `column`th character of its `line`th line stands there.
void count_in_whole_text(std::string_view text, const Gaps& gaps, std::size_t& line, std::size_t& column) {
  // How many characters the library read, through the text as it was given them.
  std::size_t read = 0, lines = 1;
  for (Spliced p(text, 0, gaps), end(text, text.size(), gaps); lines < line && !(p == end); ++p, ++read) {
    if (*p == '\n') ++lines;
  }
  read += column;
  std::size_t at = read;  // the same count in the whole text
  for (const Gap& gap : gaps) {
    if (gap.begin < at) at += gap.size();
  }
  at = std::min(at, text.size() + 1);  // the end of the input is read as one more character
  const std::string_view before = text.substr(0, std::min(at, text.size()));
  line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t line_start = before.rfind('\n');
  column = at - (line_start == std::string_view::npos ? 0 : line_start + 1);
}

// How long the text from `from` to `to` is in the library's message, which shows each control
// character as "<U+XXXX>".
std::size_t shown_size(std::string_view text, std::size_t from, std::size_t to) {
  std::size_t size = 0;
  for (std::size_t p = from; p < to; ++p) size += static_cast<unsigned char>(text[p]) <= 0x1F ? 8 : 1;
  return size;
}

// The library's message for the text with the gaps left out, as it would be for the whole.
std::string as_for_the_whole(std::string message, std::string_view text, const Gaps& gaps, std::size_t held_from) {
  constexpr std::string_view kAt = " at line ", kColumn = ", column ";
  if (const auto at = message.find(kAt); at != std::string::npos) {
    const std::size_t column_at = message.find(kColumn, at);
    const std::size_t digits_end = message.find(':', column_at);
    if (column_at != std::string::npos && digits_end != std::string::npos) {
      std::size_t line = std::strtoull(message.c_str() + at + kAt.size(), nullptr, 10);
      std::size_t column = std::strtoull(message.c_str() + column_at + kColumn.size(), nullptr, 10);
      count_in_whole_text(text, gaps, line, column);
      message.replace(at, digits_end - at, std::string(kAt) + std::to_string(line) + std::string(kColumn) +
                                               std::to_string(column));
    }
  }
  constexpr std::string_view kLastRead = "; last read: '";
  const auto read = message.find(kLastRead);
  if (read == std::string::npos) return message;
  // Each gap within what it last read is said where it was.
  std::size_t shown = read + kLastRead.size(), from = held_from;
  for (const Gap& gap : gaps) {
    if (gap.begin < held_from) continue;
    shown = std::min(shown + shown_size(text, from, gap.begin), message.size());
    const std::string note = left_out_note(gap);
    message.insert(shown, note);
    shown += note.size();
    from = gap.end;
  }
  return message;
}

}  // namespace

std::string describe(std::string_view text, const Failure& failure) {
  if (failure.own) return failure.message;
  std::size_t held_from = 0;
  const Gaps gaps = gaps_for(text, failure, held_from);
  if (failure.overflow && !gaps.empty()) {
    // The value type's words, which it would have given holding the whole token.
    const Gap& gap = gaps.front();
    return "number overflow parsing '" + std::string(text.substr(failure.token, gap.begin - failure.token)) +
           left_out_note(gap) + std::string(text.substr(gap.end, failure.at - gap.end)) + "'";
  }
  Refusal refusal;
  Json::sax_parse(Spliced(text, 0, gaps), Spliced(text, text.size(), gaps), &refusal);
  std::string message = std::move(refusal.message);
  if (message.empty()) return failure.message;  // not expected: both parsers refuse the same texts
  // "[json.exception.parse_error.101] parse error at ..." reads better without the tag.
  if (const auto tag_end = message.find("] "); message.starts_with("[") && tag_end != std::string::npos) {
    message.erase(0, tag_end + 2);
  }
  return gaps.empty() ? message : as_for_the_whole(std::move(message), text, gaps, held_from);
}

}  // namespace quillo::json_reading
