#include "core/sink.hpp"

#include "core/text.hpp"

namespace quillo {

TerminalSink::~TerminalSink() {
  if (!pending_.empty()) next_.write(visible_controls(pending_));
}

void TerminalSink::write(std::string_view text) {
  // A piece at a time: a long text (a page's whole script output) is never copied whole.
  constexpr std::size_t kPiece = 4096;
  for (std::size_t start = 0; start < text.size(); start += kPiece) write_piece(text.substr(start, kPiece));
}

void TerminalSink::write_piece(std::string_view text) {
  std::string whole = std::move(pending_);
  whole += text;
  // What ends the text may be shown or not by what comes next: it waits for that.
  const std::size_t keep = unfinished_control(whole);
  pending_ = whole.substr(whole.size() - keep);
  whole.resize(whole.size() - keep);
  next_.write(visible_controls(whole));
}

}  // namespace quillo
