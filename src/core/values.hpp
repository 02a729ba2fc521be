#pragma once
// The values found for one command's arguments, and the typed reading of them that a command's
// parameter function gets: one parameter per declared argument, in their order, of a type that
// fits the argument, checked when the program is compiled. No argument is looked up by name, so
// none can be misspelt.

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "core/declaration.hpp"

namespace quillo {

/// The text of each argument of one command, by its place in the declaration: as given, or its
/// default, or nothing (a flag: given or not).
class Values {
 public:
  std::optional<std::string>& operator[](std::size_t index) { return values_[index]; }
  const std::optional<std::string>& operator[](std::size_t index) const { return values_[index]; }

 private:
  std::array<std::optional<std::string>, kMaxArguments> values_{};
};

/// Plain decimal text in the type's range, with an optional leading '+': no base prefixes, no
/// white space, no saturation.
template <class Integer>
std::optional<Integer> parse_decimal(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return std::nullopt;
  }
  if (text.empty() || (std::is_unsigned_v<Integer> && text.front() == '-')) return std::nullopt;
  Integer value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

namespace binding {

constexpr bool is_text(const Argument& a) { return a.type == ValueType::Text || a.type == ValueType::Path; }
/// Present in every parse: required (in one of its forms), or with a default.
constexpr bool always_present(const Argument& a) { return a.required || a.default_value.has_value(); }

/// The parameter types a function may take for an argument, and how each reads the value.
template <class T>
struct Parameter;

template <>
struct Parameter<std::string_view> {
  static constexpr bool fits(const Argument& a) { return is_text(a) && always_present(a); }
  static std::string_view read(const std::optional<std::string>& value) {
    return value ? std::string_view(*value) : std::string_view();
  }
};

template <>
struct Parameter<std::optional<std::string_view>> {
  static constexpr bool fits(const Argument& a) { return is_text(a) && !always_present(a); }
  static std::optional<std::string_view> read(const std::optional<std::string>& value) {
    return value ? std::optional<std::string_view>(*value) : std::nullopt;
  }
};

template <>
struct Parameter<bool> {
  static constexpr bool fits(const Argument& a) { return a.type == ValueType::Flag; }
  static bool read(const std::optional<std::string>& value) { return value.has_value(); }
};

template <class Integer, ValueType kType>
struct IntegerParameter {
  static constexpr bool fits(const Argument& a) { return a.type == kType && always_present(a); }
  static Integer read(const std::optional<std::string>& value) {
    return value ? parse_decimal<Integer>(*value).value_or(0) : 0;
  }
};
template <class Integer, ValueType kType>
struct OptionalIntegerParameter {
  static constexpr bool fits(const Argument& a) { return a.type == kType && !always_present(a); }
  static std::optional<Integer> read(const std::optional<std::string>& value) {
    return value ? parse_decimal<Integer>(*value) : std::nullopt;
  }
};
template <>
struct Parameter<std::uint32_t> : IntegerParameter<std::uint32_t, ValueType::Uint32> {};
template <>
struct Parameter<std::optional<std::uint32_t>> : OptionalIntegerParameter<std::uint32_t, ValueType::Uint32> {};
template <>
struct Parameter<std::int64_t> : IntegerParameter<std::int64_t, ValueType::Int64> {};
template <>
struct Parameter<std::optional<std::int64_t>> : OptionalIntegerParameter<std::int64_t, ValueType::Int64> {};

/// The parameter list of a function, or of a lambda's call operator.
template <class F>
struct Signature : Signature<decltype(&F::operator())> {};
template <class R, class... P>
struct Signature<R (*)(P...)> {
  using Types = std::tuple<P...>;
};
template <class C, class R, class... P>
struct Signature<R (C::*)(P...) const> {
  using Types = std::tuple<P...>;
};

template <const auto& kArguments, class F, std::size_t... I>
auto call(F&& function, const Values& values, std::index_sequence<I...>) {
  using Types = typename Signature<std::decay_t<F>>::Types;
  static_assert(std::tuple_size_v<Types> == std::size(kArguments),
                "one parameter per declared argument, in the order of the declaration");
  static_assert((Parameter<std::tuple_element_t<I, Types>>::fits(kArguments[I]) && ...),
                "a parameter's type does not fit its argument: text is std::string_view, an "
                "argument that may be absent std::optional, a flag bool, integers by their type");
  return function(Parameter<std::tuple_element_t<I, Types>>::read(values[I])...);
}

template <const auto& kArguments, auto kFunction>
Json bound(const Values& values) {
  return call<kArguments>(kFunction, values, std::make_index_sequence<std::size(kArguments)>());
}

}  // namespace binding

/// `function` called with the typed values of `kArguments`.
template <const auto& kArguments, class F>
auto read_values(const Values& values, F&& function) {
  return binding::call<kArguments>(std::forward<F>(function), values,
                                   std::make_index_sequence<std::size(kArguments)>());
}

/// The parameter function of a command whose arguments are `kArguments`, calling `kFunction`
/// with their typed values.
template <const auto& kArguments, auto kFunction>
inline constexpr ParamsFunction bind = &binding::bound<kArguments, kFunction>;

/// The parameters of a command without arguments: {}.
Json no_params(const Values& values);

}  // namespace quillo
