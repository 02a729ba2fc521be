#pragma once
// The manual page quillo(1), in the man macros of groff.

#include <string>

#include "model.hpp"

namespace docgen {

std::string manual_page(const Command& root, const std::string& date);

}  // namespace docgen
