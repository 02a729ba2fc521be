#include "core/json_number.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "core/json.hpp"

namespace quillo {
namespace {

std::string_view copied(std::string_view text, char (&buffer)[kMaxNumberText]) {
  const std::size_t size = std::min(text.size(), kMaxNumberText);
  std::memcpy(buffer, text.data(), size);
  return {buffer, size};
}

// Whether `digits` times ten to `exponent` is exactly a double: no factor of five left over in
// a fraction, and at most 53 significant bits in what remains.
bool is_exact_double(std::uint64_t digits, int exponent) {
  static constexpr std::uint64_t kPowersOfFive[] = {
      1ull, 5ull, 25ull, 125ull, 625ull, 3125ull, 15625ull, 78125ull, 390625ull, 1953125ull,
      9765625ull, 48828125ull, 244140625ull, 1220703125ull, 6103515625ull, 30517578125ull,
      152587890625ull, 762939453125ull, 3814697265625ull, 19073486328125ull, 95367431640625ull,
      476837158203125ull, 2384185791015625ull, 11920928955078125ull, 59604644775390625ull};
  constexpr std::uint64_t kSignificandLimit = std::uint64_t{1} << 53;
  if (digits == 0) return true;
  if (exponent < 0) {
    if (static_cast<std::size_t>(-exponent) >= std::size(kPowersOfFive)) return false;
    const std::uint64_t five = kPowersOfFive[-exponent];
    if (digits % five != 0) return false;
    digits /= five;
    return (digits >> std::countr_zero(digits)) < kSignificandLimit;
  }
  std::uint64_t odd = digits >> std::countr_zero(digits);
  for (int i = 0; i < exponent; ++i) {
    if (odd >= kSignificandLimit / 5) return false;
    odd *= 5;
  }
  return true;
}

// Writes `digits` (significant: the first is not zero, but for zero itself) times ten to
// `exponent` (that of the first digit) as the value type lays out a double: without an exponent
// from 1e-4 to below 1e15, with ".0" after an integer; else as "d.ddde+XX", as std::to_chars
// writes it.
std::string_view lay_out(bool negative, std::string_view digits, int exponent, char (&buffer)[kMaxNumberText]) {
  char* out = buffer;
  const auto put = [&out](std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    out += text.size();
  };
  const auto zeros = [&out](int count) {
    std::memset(out, '0', static_cast<std::size_t>(count));
    out += count;
  };
  if (negative) put("-");
  const int point = exponent + 1;  // where the decimal point goes among the digits
  const int length = static_cast<int>(digits.size());
  // The value type's bounds for writing a double without an exponent.
  constexpr int kLowest = -4;
  constexpr int kHighest = std::numeric_limits<double>::digits10;
  if (length <= point && point <= kHighest) {
    put(digits);
    zeros(point - length);
    put(".0");
  } else if (0 < point && point <= kHighest) {
    put(digits.substr(0, static_cast<std::size_t>(point)));
    put(".");
    put(digits.substr(static_cast<std::size_t>(point)));
  } else if (kLowest < point && point <= 0) {
    put("0.");
    zeros(-point);
    put(digits);
  } else {
    put(digits.substr(0, 1));
    if (length > 1) {
      put(".");
      put(digits.substr(1));
    }
    put(exponent < 0 ? "e-" : "e+");
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) put("0");
    out = std::to_chars(out, buffer + kMaxNumberText, magnitude).ptr;
  }
  return {buffer, static_cast<std::size_t>(out - buffer)};
}

// The digits of a decimal token and the exponent of its first one, when the token reads
// exactly as a double of at most 15 significant digits: then those digits are the shortest that
// read back as it (any other decimal so short lies farther from it than half its spacing), the
// digits std::to_chars would give. Zero has the digit "0".
struct ExactDecimal {
  bool negative = false;
  char digits[15];
  std::size_t count = 0;
  int exponent = 0;
};

// The exponent of a number, from its text after the 'e', when that is short (four characters
// at most).
bool short_exponent(std::string_view text, int& exponent) {
  if (text.starts_with('+')) text.remove_prefix(1);
  const char* const end = text.data() + text.size();
  return text.size() <= 4 && std::from_chars(text.data(), end, exponent).ec == std::errc();
}

bool exact_decimal(std::string_view token, ExactDecimal& decimal) {
  if (token.size() > 32) return false;  // rare, and read by strtod instead
  std::size_t i = 0;
  decimal.negative = token[0] == '-';
  if (decimal.negative) ++i;
  std::uint64_t number = 0;
  std::size_t trailing_zeros = 0;  // of the significant digits, not yet counted
  int point = 0;                   // where the point stands after the first significant digit
  bool after_point = false;
  for (; i < token.size() && token[i] != 'e' && token[i] != 'E'; ++i) {
    const char c = token[i];
    if (c == '.') {
      after_point = true;
      continue;
    }
    const bool significant = decimal.count + trailing_zeros > 0 || c != '0';
    if (!significant) {
      point -= after_point;  // a leading zero after the point moves the first digit right
      continue;
    }
    point += !after_point;
    if (c == '0') {
      ++trailing_zeros;
      continue;
    }
    if (decimal.count + trailing_zeros >= std::size(decimal.digits)) return false;
    for (; trailing_zeros > 0; --trailing_zeros) {
      decimal.digits[decimal.count++] = '0';
      number *= 10;
    }
    decimal.digits[decimal.count++] = c;
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (decimal.count == 0) {
    decimal.digits[decimal.count++] = '0';
    decimal.exponent = 0;
    return true;
  }
  int exponent = 0;
  if (i < token.size() && !short_exponent(token.substr(i + 1), exponent)) return false;
  decimal.exponent = point - 1 + exponent;
  return is_exact_double(number, decimal.exponent - static_cast<int>(decimal.count) + 1);
}

}  // namespace

// std::to_chars gives the shortest digits that read back as the double, the closest to it of
// those; the value type's writer gives digits that read back too, but for some doubles (about
// one in a thousand of random ones, and 1e23) not the shortest or not the closest. The two
// agree where the digits are the double's exact value (integers, halves, quarters, 1e22, ...),
// the only digits at no distance from it: those are laid out here as the value type lays them
// out. Any other double is written by the value type itself.
std::string_view double_text(double value, char (&buffer)[kMaxNumberText]) {
  std::array<char, 32> scientific;
  const auto [end, error] = std::to_chars(scientific.data(), scientific.data() + scientific.size(), value,
                                          std::chars_format::scientific);
  // "-d.ddde+XX": the sign, the digits, and the decimal exponent of the first digit.
  std::string_view text(scientific.data(), error == std::errc() ? static_cast<std::size_t>(end - scientific.data()) : 0);
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  const std::size_t e = text.find('e');
  std::array<char, 20> digits;
  std::size_t count = 0;
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < e && i < text.size() && count < digits.size(); ++i) {
    if (text[i] == '.') continue;
    digits[count++] = text[i];
    number = number * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  int exponent = 0;
  if (e == std::string_view::npos || e + 2 >= text.size() ||
      std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent).ec !=
          std::errc() ||
      !is_exact_double(number, exponent - static_cast<int>(count) + 1)) {
    return copied(Json(value).dump(), buffer);
  }
  return lay_out(negative, std::string_view(digits.data(), count), exponent, buffer);
}

std::string_view canonical_number(std::string_view token, char (&buffer)[kMaxNumberText]) {
  const char* first = token.data();
  const char* last = first + token.size();
  if (is_integer_token(token)) {
    // An integer that fits is written with the same digits; "-0" is 0. Of 18 digits or fewer,
    // it fits (JSON has no leading zeros).
    if (token.size() - token.starts_with('-') <= 18) return token == "-0" ? std::string_view("0") : token;
    if (token.front() == '-') {
      std::int64_t value = 0;
      const auto [end, error] = std::from_chars(first, last, value);
      if (error == std::errc() && end == last) return value == 0 ? std::string_view("0") : token;
    } else {
      std::uint64_t value = 0;
      const auto [end, error] = std::from_chars(first, last, value);
      if (error == std::errc() && end == last) return token;
    }
  } else if (ExactDecimal decimal; exact_decimal(token, decimal)) {
    // Most decimals in replies are short and exact (0.5, 2.25): laid out from their own digits.
    return lay_out(decimal.negative, std::string_view(decimal.digits, decimal.count), decimal.exponent, buffer);
  }
  return double_text(read_double(token), buffer);
}

long long exponent_value(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  long long value = 0;
  for (const char c : text) value = std::min(value * 10 + (c - '0'), 1'000'000'000LL);
  return negative ? -value : value;
}

// A decimal is rounded to a double by where it lies between two halfway points, which have
// fewer than 770 significant digits: its first 800, and a 1 after them when any digit left out
// is not zero, lie between the same two.
double read_double(std::string_view token) {
  constexpr std::size_t kKept = 800;
  std::string copy;
  if (token.size() <= kKept) {
    copy = token;  // strtod, as the value type uses, needs a terminated copy
    return std::strtod(copy.c_str(), nullptr);
  }
  std::size_t i = token.starts_with('-') ? 1 : 0;
  copy = i == 1 ? "-0." : "0.";
  long long exponent = 0;  // of the point before the first significant digit
  bool after_point = false, dropped_non_zero = false;
  std::size_t kept = 0;
  for (; i < token.size() && token[i] != 'e' && token[i] != 'E'; ++i) {
    const char c = token[i];
    if (c == '.') {
      after_point = true;
    } else if (kept == 0 && c == '0') {
      exponent -= after_point;  // a leading zero
    } else {
      exponent += !after_point;
      if (kept++ < kKept) {
        copy += c;
      } else {
        dropped_non_zero = dropped_non_zero || c != '0';
      }
    }
  }
  if (kept == 0) return token.starts_with('-') ? -0.0 : 0.0;
  if (dropped_non_zero) copy += '1';
  if (i < token.size()) exponent += exponent_value(token.substr(i + 1));
  copy += 'e';
  copy += std::to_string(std::clamp(exponent, -1'000'000'000LL, 1'000'000'000LL));
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace quillo
