#include "core/json_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/json_number.hpp"
#include "core/text.hpp"

namespace quillo::json_reading {

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

}  // namespace quillo::json_reading
