#include "core/suggestion.hpp"

#include <algorithm>
#include <cstddef>

namespace quillo {
namespace {

constexpr std::size_t kFar = 1000;

// Edits that turn `a` into `b`, counting a swap of two neighbours as one, when they are at most
// `bound`; otherwise any number above it. Only the cells within `bound` of the diagonal can
// stay within it, and the search ends as soon as a whole row is past it.
std::size_t edit_distance(std::string_view a, std::string_view b, std::size_t bound) {
  const std::size_t length_difference = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (length_difference > bound) return bound + 1;
  std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::fill(row.begin(), row.end(), kFar);
    row[0] = i;
    const std::size_t first = i > bound ? i - bound : 1;
    const std::size_t last = std::min(b.size(), i + bound);
    std::size_t best = row[0];
    for (std::size_t j = first; j <= last; ++j) {
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        row[j] = std::min(row[j], before[j - 2] + 1);
      }
      best = std::min(best, row[j]);
    }
    if (best > bound) return bound + 1;
    std::swap(before, previous);
    std::swap(previous, row);
  }
  return previous[b.size()];
}

// The word without its leading hyphens, which every option shares.
std::string_view stem(std::string_view word) {
  return word.substr(std::min(word.find_first_not_of('-'), word.size()));
}

}  // namespace

std::vector<std::string_view> nearest_words(std::string_view word,
                                            const std::vector<std::string_view>& candidates) {
  std::vector<std::string_view> prefixed;
  if (stem(word).size() >= 3) {
    for (const auto& candidate : candidates) {
      if (candidate.starts_with(word)) prefixed.push_back(candidate);
    }
  }
  if (!prefixed.empty()) return prefixed;
  const std::size_t allowed = std::min<std::size_t>(2, std::max<std::size_t>(1, stem(word).size() / 3));
  std::size_t best = allowed;
  std::vector<std::string_view> nearest;
  for (const auto& candidate : candidates) {
    const std::size_t distance = edit_distance(word, candidate, best);
    if (distance > best) continue;
    if (distance < best) {
      best = distance;
      nearest.clear();
    }
    nearest.push_back(candidate);
  }
  return nearest;
}

}  // namespace quillo
