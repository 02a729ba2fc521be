#include "core/json_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "core/json_number.hpp"
#include "core/text.hpp"

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
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
    message = error.what();
    return false;
  }
  std::string message;
};

// Of a long string or number the reader stopped in, the middle the value type's parser is not
// given: it keeps what it reads of a token, several times over, and all it says of one is its
// start and end. Within the one run of digits or the string's content, and between whole
// characters and escapes, so that the parser stops where and as it would have.
struct LeftOut {
  std::size_t begin = 0, end = 0;
  std::size_t size() const { return end - begin; }
};

constexpr std::size_t kLongToken = 65536;  ///< longer than this, a token has its middle left out
constexpr std::size_t kTokenEnds = 32;     ///< of a long token, the bytes kept at each end (about)

bool is_digit(char c) { return c >= '0' && c <= '9'; }

LeftOut long_token_middle(std::string_view text, const Failure& failure) {
  if (failure.token == std::string_view::npos || failure.at - failure.token <= kLongToken) return {};
  const std::size_t first = failure.token + kTokenEnds, last = failure.at - kTokenEnds;
  if (text[failure.token] != '"') {
    if (!is_digit(text[first - 1]) || !is_digit(text[first])) return {};
    std::size_t end = first;
    while (end < last && is_digit(text[end])) ++end;
    return {first, end};
  }
  // Through the string's content, an escape or a character at a time, from its quote.
  LeftOut middle;
  for (std::size_t p = failure.token + 1; p < last;) {
    if (middle.begin == 0 && p >= first) middle.begin = p;
    if (text[p] == '\\' && text[p + 1] == 'u') {
      const std::uint32_t unit = code_unit_at(text.data() + p + 2);
      p += unit >= 0xD800 && unit <= 0xDBFF ? 12 : 6;  // a surrogate pair as one
    } else if (text[p] == '\\') {
      p += 2;
    } else {
      ++p;
      while (p < text.size() && (static_cast<unsigned char>(text[p]) & 0xC0) == 0x80) ++p;
    }
    if (middle.begin != 0 && p <= last) middle.end = p;
  }
  return middle.end > middle.begin ? middle : LeftOut{};
}

// A token's text from before and after its middle, with a note of how much was left out.
std::string with_middle_left_out(std::string_view before, std::string_view after, const LeftOut& left_out) {
  return std::string(before) + "... (" + std::to_string(left_out.size()) + " bytes left out) ..." + std::string(after);
}

// The text with `left_out` passed over, as the value type's parser reads it.
class Spliced {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  Spliced(std::string_view text, std::size_t at, const LeftOut& left_out)
      : p_(text.data() + at), gap_(text.data() + left_out.begin), gap_end_(text.data() + left_out.end) {}
  const char& operator*() const { return *p_; }
  Spliced& operator++() {
    if (++p_ == gap_) p_ = gap_end_;
    return *this;
  }
  bool operator==(const Spliced& other) const { return p_ == other.p_; }

 private:
  const char* p_;
  const char* gap_;
  const char* gap_end_;
};

}  // namespace

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::uint32_t code_unit_at(const char* p) {
  std::uint32_t unit = 0;
  for (int i = 0; i < 4; ++i) unit = unit * 16 + static_cast<std::uint32_t>(hex_digit(p[i]));
  return unit;
}

bool overflows(std::string_view token, bool is_integer) {
  if (is_integer && token.size() < 300) return false;  // at most 10^300: far below the largest double
  // A number is at least 10^(m-1) and below 10^m, m being where its first significant digit
  // stands from the point, plus its exponent: below 10^308 it is finite, from 10^309 it is not.
  std::size_t i = token.starts_with('-') ? 1 : 0;
  while (i < token.size() && token[i] == '0') ++i;
  long long magnitude = 0;
  bool significant = false;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    ++magnitude;
    significant = true;
  }
  if (i < token.size() && token[i] == '.') {
    for (++i; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
      if (!significant && token[i] == '0') --magnitude;
      significant = significant || token[i] != '0';
    }
  }
  if (!significant) return false;  // zero
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) magnitude += exponent_value(token.substr(i + 1));
  if (magnitude < 308) return false;
  if (magnitude > 309) return true;
  return !std::isfinite(read_double(token));
}

MaybeError refused_bytes(std::string_view text, bool check_utf8) {
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    return Error{"unexpected NUL byte at offset " + std::to_string(nul)};
  }
  if (text.starts_with("\xEF\xBB\xBF")) return Error{"unexpected byte-order mark"};
  if (check_utf8 && !is_valid_utf8(text)) return Error{"invalid UTF-8"};
  return std::nullopt;
}

std::string describe(std::string_view text, const Failure& failure) {
  if (failure.own) return failure.message;
  const LeftOut left_out = long_token_middle(text, failure);
  if (failure.overflow && left_out.size() > 0) {
    // The value type's words, which it would have given holding the whole token.
    return "number overflow parsing '" +
           with_middle_left_out(text.substr(failure.token, left_out.begin - failure.token),
                                text.substr(left_out.end, failure.at - left_out.end), left_out) +
           "'";
  }
  Refusal refusal;
  Json::sax_parse(Spliced(text, 0, left_out), Spliced(text, text.size(), left_out), &refusal);
  std::string message = std::move(refusal.message);
  if (message.empty()) return failure.message;  // not expected: both parsers refuse the same texts
  // "[json.exception.parse_error.101] parse error at ..." reads better without the tag.
  if (const auto tag_end = message.find("] "); message.starts_with("[") && tag_end != std::string::npos) {
    message.erase(0, tag_end + 2);
  }
  if (left_out.size() == 0) return message;
  // Where it stopped, counted in the whole text; what it last read, with its middle said.
  if (const auto column = message.find(", column "); column != std::string::npos) {
    const std::size_t digits = column + 9, digits_end = message.find(':', digits);
    const std::size_t counted = std::strtoull(message.c_str() + digits, nullptr, 10);
    message.replace(digits, digits_end - digits, std::to_string(counted + left_out.size()));
  }
  constexpr std::string_view kLastRead = "; last read: '";
  if (const auto read = message.find(kLastRead); read != std::string::npos) {
    const std::size_t start = read + kLastRead.size();
    const std::size_t cut = std::min(start + (left_out.begin - failure.token), message.size());
    message = with_middle_left_out(std::string_view(message).substr(0, cut), std::string_view(message).substr(cut),
                                   left_out);
  }
  return message;
}

}  // namespace quillo::json_reading
