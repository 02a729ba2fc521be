#include "core/json_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    const bool negative = token[i] == '-';
    if (token[i] == '+' || token[i] == '-') ++i;
    long long exponent = 0;
    for (; i < token.size(); ++i) exponent = std::min(exponent * 10 + (token[i] - '0'), 1'000'000'000LL);
    magnitude += negative ? -exponent : exponent;
  }
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
  Refusal refusal;
  Json::sax_parse(text.begin(), text.end(), &refusal);
  std::string message = std::move(refusal.message);
  if (message.empty()) return failure.message;  // not expected: both parsers refuse the same texts
  // "[json.exception.parse_error.101] parse error at ..." reads better without the tag.
  if (const auto tag_end = message.find("] "); message.starts_with("[") && tag_end != std::string::npos) {
    message.erase(0, tag_end + 2);
  }
  return message;
}

}  // namespace quillo::json_reading
