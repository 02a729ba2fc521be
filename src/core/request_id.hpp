#pragma once

#include <string>

namespace quillo {

/// A fresh random (version 4) UUID in the 36-character lower-case hyphenated form.
std::string new_request_id();

}  // namespace quillo
