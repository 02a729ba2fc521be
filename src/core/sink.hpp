#pragma once
// Where printed text goes: standard output or error, a string in tests, or a filter on the way.
// The program's own small type rather than the standard streams, whose locale set-up every run
// would pay for.

#include <charconv>
#include <concepts>
#include <string>
#include <string_view>

namespace quillo {

class Sink {
 public:
  virtual ~Sink() = default;
  virtual void write(std::string_view text) = 0;

  Sink& operator<<(std::string_view text) {
    write(text);
    return *this;
  }
  Sink& operator<<(const char* text) { return *this << std::string_view(text); }
  Sink& operator<<(const std::string& text) { return *this << std::string_view(text); }
  Sink& operator<<(char c) { return *this << std::string_view(&c, 1); }
  /// An integer in decimal.
  template <std::integral Integer>
    requires(!std::same_as<Integer, char> && !std::same_as<Integer, bool>)
  Sink& operator<<(Integer number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
  }
};

/// Keeps what is written, for tests and for text that is put together before it is printed.
class StringSink final : public Sink {
 public:
  void write(std::string_view text) override { text_ += text; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

/// Passes text on with its control characters made visible (see visible_controls), for a
/// terminal, where they would act instead of being seen.
class TerminalSink final : public Sink {
 public:
  explicit TerminalSink(Sink& next) : next_(next) {}
  ~TerminalSink() override;
  void write(std::string_view text) override;

 private:
  void write_piece(std::string_view text);

  Sink& next_;
  std::string pending_;  ///< the end of the previous write, whose showing the next decides
};

}  // namespace quillo
