#include "mcp/survey.hpp"

#include <charconv>
#include <cstdint>

#include "core/json_document.hpp"
#include "core/json_reader.hpp"

namespace quillo::mcp {
namespace {

// Counts values and keys as the reader meets them, and keeps the value of a top-level "id".
class Counter {
 public:
  void begin_object(std::size_t) { open(); }
  void begin_array(std::size_t) { open(); }
  void end_object(std::size_t, std::size_t) { --depth_; }
  void end_array(std::size_t, std::size_t) { --depth_; }
  void key(std::string_view raw, bool escaped) {
    ++values;
    at_id_ = depth_ == 1 && (escaped ? JsonText::escaped(raw).str() == "id" : raw == "id");
  }
  void string(std::string_view raw, bool escaped) {
    scalar(escaped ? Json(JsonText::escaped(raw).str()) : Json(std::string(raw)));
  }
  void boolean(bool) { scalar(nullptr); }
  void null() { scalar(nullptr); }
  void number(std::string_view token, bool is_integer) { scalar(is_integer ? integer(token) : Json(nullptr)); }

  std::size_t values = 0;
  Json id;

 private:
  void open() {
    scalar(nullptr);  // an object or an array is no id
    ++depth_;
  }
  // A value; for the id, what it is as an id (null: none that can be one).
  void scalar(Json as_id) {
    ++values;
    if (at_id_) id = std::move(as_id);
    at_id_ = false;
  }
  // An integer that fits 64 bits, as the value type reads one; other numbers are no id.
  static Json integer(std::string_view token) {
    const char* last = token.data() + token.size();
    if (token.starts_with('-')) {
      std::int64_t value = 0;
      const auto [end, error] = std::from_chars(token.data(), last, value);
      return error == std::errc() && end == last ? Json(value) : Json(nullptr);
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(token.data(), last, value);
    return error == std::errc() && end == last ? Json(value) : Json(nullptr);
  }

  std::size_t depth_ = 0;
  bool at_id_ = false;
};

}  // namespace

Survey survey_line(std::string_view line, std::size_t max_values) {
  Survey survey;
  if (json_reading::refused_bytes(line, false)) return survey;
  Counter counter;
  JsonReader<Counter> reader(line, counter);
  if (!reader.read()) {
    // Refused for the program's own bounds (nesting, a double's range) though it is JSON: then
    // it is no request this server can read, rather than no JSON.
    const json_reading::Failure& failure = reader.failure();
    if (failure.own) survey.verdict = Survey::Verdict::TooDeep;
    if (failure.message.starts_with("number overflow")) survey.verdict = Survey::Verdict::NumberTooLarge;
    return survey;
  }
  survey.verdict = counter.values > max_values ? Survey::Verdict::TooManyValues : Survey::Verdict::Json;
  if (survey.verdict == Survey::Verdict::TooManyValues) survey.id = std::move(counter.id);
  return survey;
}

}  // namespace quillo::mcp
