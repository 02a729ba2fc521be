#include "core/json.hpp"

#include <limits>

namespace quillo {
namespace {

// The library's DOM builder with a bound on nesting and the error kept as text.
class BoundedDomBuilder : public nlohmann::detail::json_sax_dom_parser<Json> {
 public:
  using Base = nlohmann::detail::json_sax_dom_parser<Json>;
  explicit BoundedDomBuilder(Json& target) : Base(target, false) {}

  bool start_object(std::size_t n) { return enter() && Base::start_object(n); }
  bool end_object() {
    --depth_;
    return Base::end_object();
  }
  bool start_array(std::size_t n) { return enter() && Base::start_array(n); }
  bool end_array() {
    --depth_;
    return Base::end_array();
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
    error_ = without_exception_tag(e.what());
    return false;
  }

  const std::string& error() const { return error_; }

 private:
  bool enter() {
    if (++depth_ <= kMaxJsonDepth) return true;
    error_ = "nesting deeper than " + std::to_string(kMaxJsonDepth) + " levels";
    return false;
  }

  // "[json.exception.parse_error.101] parse error at ..." reads better without the tag.
  static std::string without_exception_tag(std::string text) {
    if (!text.empty() && text.front() == '[') {
      const auto end = text.find("] ");
      if (end != std::string::npos) text.erase(0, end + 2);
    }
    return text;
  }

  std::size_t depth_ = 0;
  std::string error_;
};

}  // namespace

std::variant<Json, std::string> parse_json(std::string_view text) {
  // The library stops reading at a NUL byte and skips a byte-order mark; neither belongs in
  // one JSON value, and what follows a NUL must not be silently dropped.
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    return "unexpected NUL byte at offset " + std::to_string(nul);
  }
  if (text.starts_with("\xEF\xBB\xBF")) return std::string("unexpected byte-order mark");
  Json value;
  BoundedDomBuilder builder(value);
  try {
    if (Json::sax_parse(text, &builder)) return value;
  } catch (const Json::exception& e) {
    return std::string(e.what());
  }
  if (builder.error().empty()) return std::string("invalid JSON");
  return builder.error();
}

const Json* member(const Json& value, std::string_view key) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(key);
  return it == value.end() ? nullptr : &*it;
}

std::string_view text_or(const Json& value, std::string_view key, std::string_view fallback) {
  const Json* found = member(value, key);
  if (found == nullptr || !found->is_string()) return fallback;
  return found->get_ref<const std::string&>();
}

bool has_text(const Json& value, std::string_view key) {
  const Json* found = member(value, key);
  return found != nullptr && found->is_string();
}

bool is_true(const Json& value, std::string_view key) {
  const Json* found = member(value, key);
  return found != nullptr && found->is_boolean() && found->get<bool>();
}

bool is_false(const Json& value, std::string_view key) {
  const Json* found = member(value, key);
  return found != nullptr && found->is_boolean() && !found->get<bool>();
}

std::optional<std::int64_t> as_int64(const Json* value) {
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto u = value->get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(u);
  }
  if (value->is_number_integer()) return value->get<std::int64_t>();
  return std::nullopt;
}

std::int64_t int64_or_zero(const Json& value, std::string_view key) {
  return as_int64(member(value, key)).value_or(0);
}

Json string_or_null(const std::optional<std::string>& text) {
  return text ? Json(*text) : Json(nullptr);
}

std::optional<std::string> to_compact_text(const Json& value) {
  try {
    return value.dump();
  } catch (const Json::exception&) {
    return std::nullopt;
  }
}

std::optional<std::string> to_pretty_text(const Json& value) {
  try {
    return value.dump(2);
  } catch (const Json::exception&) {
    return std::nullopt;
  }
}

}  // namespace quillo
