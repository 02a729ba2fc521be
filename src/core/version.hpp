#pragma once
// The program's version: the project version that the build sets, written nowhere else.

namespace quillo {

inline constexpr const char* kVersion = QUILLO_VERSION;

}  // namespace quillo
