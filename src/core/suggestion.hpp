#pragma once
// What the user probably meant by a word that names nothing.

#include <string_view>
#include <vector>

namespace quillo {

/// The candidates nearest to `word`: those it begins (at least three characters typed), else
/// those within a small number of edits (a character added, dropped, changed, or two
/// neighbours swapped), at most a third of the word's length and never more than two. Empty
/// when nothing is that close. The views are the candidates'.
std::vector<std::string_view> nearest_words(std::string_view word,
                                            const std::vector<std::string_view>& candidates);

}  // namespace quillo
