#pragma once
// The few places where macOS and Linux differ.

#include <cstddef>
#include <optional>
#include <string>

namespace quillo::platform {

/// Path of the running executable as the system reports it; canonicalise it before use.
std::optional<std::string> running_executable_path();

/// Makes a write on the socket `fd` to a peer that has gone fail with EPIPE instead of raising
/// SIGPIPE, which would end the process without a word. Pair with send_flags().
void suppress_sigpipe(int fd);

/// Flags for send() on a socket; on Linux the per-call form of suppress_sigpipe().
int send_flags();

/// The user id of the process at the other end of the Unix socket `fd`, when the system tells.
std::optional<unsigned> peer_user(int fd);

/// Asks for the memory block at `data`, `size` bytes long, to be backed by large pages where
/// the system has them (Linux's transparent huge pages): filled, it then takes one page fault
/// per 2 MiB rather than one per 4 KiB. The block must be a mapping of its own, as large
/// allocations are, so that the advice covers it whole and it can still be remapped as one.
void advise_large_pages(void* data, std::size_t size);

}  // namespace quillo::platform
