#include "core/json_number.hpp"

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

}  // namespace

// std::to_chars gives the shortest digits that read back as the double, the closest to it of
// those; the value type's writer gives digits that read back too, but for some doubles (about
// one in a thousand of random ones, and 1e23) not the shortest or not the closest. The two
// agree where the digits are the double's exact value (integers, halves, quarters, 1e22, ...),
// the only digits at no distance from it: those are laid out here as the value type lays them
// out, without an exponent from 1e-4 to below 1e15 and with ".0" after an integer. Any other
// double is written by the value type itself.
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
  std::string out;
  if (negative) out += '-';
  const int point = exponent + 1;  // where the decimal point goes among the digits
  const int length = static_cast<int>(count);
  // The value type's bounds for writing a double without an exponent.
  constexpr int kLowest = -4;
  constexpr int kHighest = std::numeric_limits<double>::digits10;
  if (length <= point && point <= kHighest) {
    out.append(digits.data(), count);
    out.append(static_cast<std::size_t>(point - length), '0');
    out += ".0";
  } else if (0 < point && point <= kHighest) {
    out.append(digits.data(), static_cast<std::size_t>(point));
    out += '.';
    out.append(digits.data() + point, static_cast<std::size_t>(length - point));
  } else if (kLowest < point && point <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-point), '0');
    out.append(digits.data(), count);
  } else {
    out += text;  // "d.ddde+XX", as std::to_chars writes it
  }
  return copied(out, buffer);
}

std::string_view canonical_number(std::string_view token, char (&buffer)[kMaxNumberText]) {
  const char* first = token.data();
  const char* last = first + token.size();
  if (is_integer_token(token)) {
    // An integer that fits is written with the same digits; "-0" is 0.
    if (token.front() == '-') {
      std::int64_t value = 0;
      const auto [end, error] = std::from_chars(first, last, value);
      if (error == std::errc() && end == last) return value == 0 ? std::string_view("0") : token;
    } else {
      std::uint64_t value = 0;
      const auto [end, error] = std::from_chars(first, last, value);
      if (error == std::errc() && end == last) return token;
    }
  }
  // strtod, as the value type uses, needs a terminated copy.
  const std::string copy(token);
  return double_text(std::strtod(copy.c_str(), nullptr), buffer);
}

}  // namespace quillo
