#pragma once
// One line on a terminal that says what the run is waiting for: rewritten in place, and erased
// when the wait is over, so that what is printed afterwards is as it would have been.

#include <string_view>

#include "core/sink.hpp"

namespace quillo {

class StatusLine {
 public:
  /// On `terminal`; none: nothing is shown.
  explicit StatusLine(Sink* terminal) : terminal_(terminal) {}
  ~StatusLine() { clear(); }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  /// Shows `what` and then `then` (which must hold no control character) in place of what was
  /// shown, `what` cut to keep the line within the narrowest usual terminal: a line that wraps
  /// would not be erased whole.
  void show(std::string_view what, std::string_view then) const;
  /// Erases what was shown.
  void clear() const;

 private:
  Sink* terminal_;
  mutable bool shown_ = false;
};

}  // namespace quillo
