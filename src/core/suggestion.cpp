#include "core/suggestion.hpp"

#include <algorithm>

namespace quillo {
namespace {

// Edits that turn `a` into `b`, counting a swap of two neighbours as one.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// The word without its leading hyphens, which every option shares.
std::string_view stem(std::string_view word) {
  return word.substr(std::min(word.find_first_not_of('-'), word.size()));
}

}  // namespace

std::vector<std::string> nearest_words(std::string_view word,
                                       const std::vector<std::string>& candidates) {
  std::vector<std::string> prefixed;
  if (stem(word).size() >= 3) {
    for (const auto& candidate : candidates) {
      if (candidate.starts_with(word)) prefixed.push_back(candidate);
    }
  }
  if (!prefixed.empty()) return prefixed;
  const std::size_t allowed = std::min<std::size_t>(2, std::max<std::size_t>(1, stem(word).size() / 3));
  std::size_t best = allowed;
  std::vector<std::string> nearest;
  for (const auto& candidate : candidates) {
    const std::size_t distance = edit_distance(word, candidate);
    if (distance > best) continue;
    if (distance < best) {
      best = distance;
      nearest.clear();
    }
    if (distance == best) nearest.push_back(candidate);
  }
  return nearest;
}

}  // namespace quillo
