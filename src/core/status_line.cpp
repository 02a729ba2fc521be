#include "core/status_line.hpp"

namespace quillo {
namespace {

// To the start of the line, and the line cleared to its end.
constexpr std::string_view kRewind = "\r\x1b[K";

}  // namespace

void StatusLine::show(std::string_view text) const {
  if (terminal_ == nullptr) return;
  *terminal_ << kRewind << text;
  shown_ = true;
}

void StatusLine::clear() const {
  if (terminal_ == nullptr || !shown_) return;
  *terminal_ << kRewind;
  shown_ = false;
}

}  // namespace quillo
