#pragma once
// Numbers as the value type writes them: integers that fit 64 bits with their own digits, every
// other number as the double it reads as, in the value type's layout.

#include <cstddef>
#include <string_view>

namespace quillo {

/// Whether a number's text is an integer's, as the value type reads one: no fraction, no
/// exponent ("1.0" is a double).
inline bool is_integer_token(std::string_view token) {
  for (const char c : token) {
    if (c == '.' || c == 'e' || c == 'E') return false;
  }
  return true;
}

/// Room for any number's text.
inline constexpr std::size_t kMaxNumberText = 40;

/// The text the value type writes for the number `token` (checked JSON), in `buffer` or `token`.
std::string_view canonical_number(std::string_view token, char (&buffer)[kMaxNumberText]);

/// The exponent written after a number's 'e' (checked JSON), its magnitude kept at most 10^9:
/// far beyond any double's, and whatever its length.
long long exponent_value(std::string_view text);

/// The double `token` (checked JSON) reads as, rounded as strtod rounds it. A token of any
/// length is read from a copy of at most a thousand characters.
double read_double(std::string_view token);

/// The text the value type writes for `value`, in `buffer`.
std::string_view double_text(double value, char (&buffer)[kMaxNumberText]);

}  // namespace quillo
