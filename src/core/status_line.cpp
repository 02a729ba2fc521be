#include "core/status_line.hpp"

namespace quillo {
namespace {

// To the start of the line, and the line cleared to its end.
constexpr std::string_view kRewind = "\r\x1b[K";

// The most characters a line holds: one less than 80 columns, where a terminal may wrap.
constexpr std::size_t kWidth = 79;

// The first `count` characters of UTF-8 `text`, or all of it.
std::string_view first_characters(std::string_view text, std::size_t count) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // within a character
    if (count-- == 0) return text.substr(0, i);
  }
  return text;
}

}  // namespace

void StatusLine::show(std::string_view what, std::string_view then) const {
  if (terminal_ == nullptr) return;
  const std::size_t room = kWidth > then.size() ? kWidth - then.size() : 0;
  const std::string_view shown = first_characters(what, room);
  *terminal_ << kRewind;
  if (shown.size() == what.size()) {
    *terminal_ << what;
  } else {
    *terminal_ << first_characters(shown, room > 3 ? room - 3 : 0) << "...";
  }
  *terminal_ << then;
  shown_ = true;
}

void StatusLine::clear() const {
  if (terminal_ == nullptr || !shown_) return;
  *terminal_ << kRewind;
  shown_ = false;
}

}  // namespace quillo
