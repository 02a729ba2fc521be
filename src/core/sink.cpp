#include "core/sink.hpp"

#include "core/text.hpp"

namespace quillo {

TerminalSink::~TerminalSink() {
  if (!pending_.empty()) next_.write(pending_);
}

void TerminalSink::write(std::string_view text) {
  std::string whole = std::move(pending_);
  whole += text;
  pending_.clear();
  // A control character of the C1 range takes two bytes; the second may come with the next write.
  if (!whole.empty() && static_cast<unsigned char>(whole.back()) == 0xC2) {
    pending_ = whole.back();
    whole.pop_back();
  }
  next_.write(visible_controls(whole));
}

}  // namespace quillo
