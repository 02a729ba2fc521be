#pragma once
// Long text given as a file rather than in an argument: a path, or "-" for standard input.

#include <cstddef>
#include <string>

#include "core/result.hpp"

namespace quillo {

/// The most an argument file may hold: far more than any text that is typed or sent to a
/// terminal, and little enough that a wrong file (a disk image, a device) is refused at once.
inline constexpr std::size_t kMaxArgumentFileBytes = std::size_t{16} << 20;

/// The bytes of `path` ("-": standard input, read to its end), exactly as they are; the error
/// says why they cannot be had: the system's reason, or that there are more than `max_bytes`.
Result<std::string> read_argument_file(const std::string& path,
                                       std::size_t max_bytes = kMaxArgumentFileBytes);

}  // namespace quillo
