#include "core/json_parser.hpp"

#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/json_document.hpp"
#include "core/json_reader.hpp"

namespace quillo {
namespace {

// Builds the value, as the value type's own parser would.
class ValueBuilder {
 public:
  explicit ValueBuilder(Json& root) : root_(root) {}

  void begin_object(std::size_t) { containers_.push_back(place(Json::object())); }
  void begin_array(std::size_t) { containers_.push_back(place(Json::array())); }
  void end_object(std::size_t, std::size_t) { containers_.pop_back(); }
  void end_array(std::size_t, std::size_t) { containers_.pop_back(); }
  void key(std::string_view raw, bool escaped) { key_ = escaped ? JsonText::escaped(raw).str() : std::string(raw); }
  void string(std::string_view raw, bool escaped) {
    place(Json(escaped ? JsonText::escaped(raw).str() : std::string(raw)));
  }
  void boolean(bool value) { place(Json(value)); }
  void null() { place(Json(nullptr)); }
  // An integer when it is one and fits 64 bits (unsigned unless it has a sign), a double
  // otherwise, as the value type reads numbers.
  void number(std::string_view token, bool is_integer) {
    const char* first = token.data();
    const char* last = first + token.size();
    if (is_integer && token.front() == '-') {
      std::int64_t value = 0;
      const auto [end, error] = std::from_chars(first, last, value);
      if (error == std::errc() && end == last) {
        place(Json(value));
        return;
      }
    } else if (is_integer) {
      std::uint64_t value = 0;
      const auto [end, error] = std::from_chars(first, last, value);
      if (error == std::errc() && end == last) {
        place(Json(value));
        return;
      }
    }
    const std::string copy(token);  // strtod, as the value type uses, needs a terminated copy
    place(Json(std::strtod(copy.c_str(), nullptr)));
  }

 private:
  // Puts `value` where the grammar says it goes; a later member of the same name replaces it.
  Json* place(Json&& value) {
    if (containers_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& container = *containers_.back();
    if (container.is_array()) {
      container.get_ref<Json::array_t&>().push_back(std::move(value));
      return &container.get_ref<Json::array_t&>().back();
    }
    Json& slot = container.get_ref<Json::object_t&>()[std::move(key_)];
    slot = std::move(value);
    return &slot;
  }

  Json& root_;
  std::vector<Json*> containers_;
  std::string key_;
};

}  // namespace

Result<Json> parse_json(std::string_view text) {
  Json value;
  ValueBuilder builder(value);
  if (auto problem = read_json_text(text, builder)) return *problem;
  return value;
}

}  // namespace quillo
