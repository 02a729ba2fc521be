// The parser's rules, on a small tree of its own: integers, defaults, empty values, bare
// levels, unknown words, global options at any depth, UTF-8, repeats.
#include "core/grammar.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace quillo::grammar {
namespace {

struct Chosen {
  std::string leaf;
  Values values;
};

Node<Chosen> make_leaf(std::string name, std::vector<Argument> arguments) {
  const std::string leaf_name = name;
  return leaf<Chosen>(std::move(name), "The " + leaf_name + " command", std::move(arguments),
                      [leaf_name](const Values& values) {
                        return Chosen{leaf_name, values};
                      });
}

Node<Chosen> tree() {
  Node<Chosen> root = group<Chosen>(
      "prog", "A test program",
      make_leaf(
          "leaf",
          {positional("text", "TEXT", "Some text"),
           option("--count", "COUNT", "A count").of_type(ValueType::Uint32),
           option("--offset", "OFFSET", "An offset").of_type(ValueType::Int64).with_default("5"),
           option("--name", "NAME", "A name"), flag("--on", "Switch on"),
           flag("--wait-exit", "Renamed").named("exit")}),
      group<Chosen>("group", "A group", make_leaf("inner", {positional("word", "WORD", "", false)}),
                    group<Chosen>("nested", "A nested group",
                                  make_leaf("deep", {option("--id", "ID").require()}))));
  root.arguments = {option("--socket", "SOCKET", "Socket path").of_type(ValueType::Path),
                    flag("--json", "JSON output")};
  return root;
}

struct Outcome {
  std::optional<Chosen> chosen;
  int status = 0;
  std::string out, err;
};

Outcome run(std::vector<std::string> args) {
  const Node<Chosen> root = tree();
  std::ostringstream out, err;
  auto parsed = parse({"prog", "1.2.3", &root}, args, out, err);
  Outcome outcome;
  if (auto* p = std::get_if<Parsed>(&parsed)) {
    outcome.chosen = make_command(root, *p);
  } else {
    outcome.status = std::get<int>(parsed);
  }
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

std::string describe(const std::vector<std::string>& args) {
  std::string text;
  for (const auto& arg : args) text += "[" + arg + "]";
  return text;
}

void expect_refused(const std::vector<std::string>& args, const std::string& message_part) {
  SCOPED_TRACE(describe(args));
  const Outcome outcome = run(args);
  EXPECT_FALSE(outcome.chosen.has_value());
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find(message_part), std::string::npos) << outcome.err;
}

Values values_of(const std::vector<std::string>& args) {
  const Outcome outcome = run(args);
  EXPECT_TRUE(outcome.chosen.has_value()) << describe(args) << outcome.err;
  return outcome.chosen ? outcome.chosen->values : Values{};
}

TEST(Grammar, UnsignedIntegersArePlainDecimal) {
  for (const auto& [text, expected] : std::vector<std::pair<std::string, std::uint32_t>>{
           {"0", 0}, {"4294967295", 4294967295u}, {"+5", 5}, {"010", 10}}) {
    EXPECT_EQ(values_of({"leaf", "t", "--count", text}).maybe_uint32("count"), expected) << text;
  }
  for (const char* bad : {"-1", "1.5", "abc", "4294967296", "0x10", " 5", "5 ", "", "-0", "1e3",
                          "+", "+-1", "18446744073709551617"}) {
    expect_refused({"leaf", "t", std::string("--count=") + bad},
                   "is not an unsigned 32-bit integer");
  }
}

TEST(Grammar, SignedIntegersArePlainDecimal) {
  for (const auto& [args, expected] :
       std::vector<std::pair<std::vector<std::string>, std::int64_t>>{
           {{"--offset=-5"}, -5},
           {{"--offset", "0"}, 0},
           {{"--offset", "9223372036854775807"}, INT64_MAX},
           {{"--offset=-9223372036854775808"}, INT64_MIN},
           {{}, 5}}) {
    std::vector<std::string> full{"leaf", "t"};
    full.insert(full.end(), args.begin(), args.end());
    EXPECT_EQ(values_of(full).maybe_int64("offset"), expected) << describe(full);
  }
  for (const char* bad : {"9223372036854775808", "-9223372036854775809", "+-5", "--5"}) {
    expect_refused({"leaf", "t", std::string("--offset=") + bad}, "is not a signed 64-bit integer");
  }
}

TEST(Grammar, GivenAndNotGiven) {
  const Values none = values_of({"leaf", "t"});
  EXPECT_EQ(none.text("text"), "t");
  EXPECT_FALSE(none.maybe_text("name").has_value());
  EXPECT_FALSE(none.maybe_uint32("count").has_value());
  EXPECT_FALSE(none.flag("on"));
  EXPECT_FALSE(none.flag("exit"));

  const Values all = values_of({"leaf", "--on", "--wait-exit", "--name", "", "", "--count", "7"});
  EXPECT_EQ(all.maybe_text("name"), "");
  EXPECT_EQ(all.text("text"), "");
  EXPECT_TRUE(all.flag("on"));
  EXPECT_TRUE(all.flag("exit"));
  EXPECT_EQ(all.uint32("count"), 7u);
}

TEST(Grammar, AnEqualsSignWithNothingAfterItIsTheEmptyValue) {
  const Values values = values_of({"leaf", "t", "--name=", "--on"});
  EXPECT_EQ(values.maybe_text("name"), "");
  EXPECT_TRUE(values.flag("on"));
  EXPECT_EQ(values_of({"leaf", "t", "--name=a=b"}).maybe_text("name"), "a=b");
  expect_refused({"leaf", "t", "--count="}, "is not an unsigned 32-bit integer");
}

TEST(Grammar, FlagsTakeNoValue) {
  for (const char* given : {"--json=false", "--json=true", "--json=", "--json={}", "--on=1"}) {
    expect_refused({"leaf", "t", given}, "this flag takes no value");
  }
}

TEST(Grammar, AnArgumentThatBeginsWithAHyphenIsAnOption) {
  // Positional text that begins with a hyphen goes after "--".
  EXPECT_EQ(values_of({"leaf", "--on", "--", "-h"}).text("text"), "-h");
  EXPECT_EQ(values_of({"leaf", "--", "--json"}).text("text"), "--json");
  EXPECT_EQ(values_of({"leaf", "--", "--name="}).text("text"), "--name=");
  EXPECT_EQ(values_of({"leaf", "--", "-5"}).text("text"), "-5");
  EXPECT_FALSE(values_of({"leaf", "--", "--json"}).flag("json"));
  expect_refused({"leaf", "-5"}, "not expected: -5");
  expect_refused({"leaf", "-x", "t"}, "not expected: -x");
  // A lone hyphen is an ordinary value.
  EXPECT_EQ(values_of({"leaf", "-"}).text("text"), "-");
  EXPECT_EQ(values_of({"leaf", "t", "--name", "-"}).maybe_text("name"), "-");
  // An option's value that begins with a hyphen is attached with '='.
  EXPECT_EQ(values_of({"leaf", "t", "--name=-h"}).maybe_text("name"), "-h");
  EXPECT_EQ(values_of({"leaf", "t", "--name=--on"}).maybe_text("name"), "--on");
  for (const char* next : {"--on", "--json=1", "-h", "-5", "--count=", "--"}) {
    expect_refused({"leaf", "t", "--name", next}, "--name: a value is required");
  }
  expect_refused({"--socket", "--json", "leaf", "t"}, "--socket: a value is required");
}

TEST(Grammar, GlobalOptionsAtAnyDepth) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--json", "--socket", "/s", "group", "nested", "deep", "--id", "x"},
           {"group", "--json", "nested", "deep", "--id", "x", "--socket=/s"},
           {"group", "nested", "deep", "--socket", "/s", "--id", "x", "--json"}}) {
    SCOPED_TRACE(describe(args));
    const Outcome outcome = run(args);
    ASSERT_TRUE(outcome.chosen.has_value()) << outcome.err;
    EXPECT_EQ(outcome.chosen->leaf, "deep");
    EXPECT_TRUE(outcome.chosen->values.flag("json"));
    EXPECT_EQ(outcome.chosen->values.maybe_text("socket"), "/s");
    EXPECT_EQ(outcome.chosen->values.text("id"), "x");
  }
  expect_refused({"--socket", "/a", "leaf", "t", "--socket", "/b"}, "--socket");
}

TEST(Grammar, HelpAndVersion) {
  for (const auto& [args, text] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--help"}, "Usage: prog [OPTIONS] SUBCOMMAND"},
           {{"-h", "group"}, "Usage: prog group [OPTIONS] SUBCOMMAND"},
           {{"group", "nested", "--help"}, "deep"},
           {{"leaf", "-h"}, "Usage: prog leaf [OPTIONS] TEXT"},
           {{"-V"}, "prog 1.2.3\n"},
           {{"--version"}, "prog 1.2.3\n"}}) {
    SCOPED_TRACE(describe(args));
    const Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_NE(outcome.out.find(text), std::string::npos) << outcome.out;
  }
  expect_refused({"group", "-V"}, "--version");
  expect_refused({"leaf", "t", "--version"}, "--version");
}

}  // namespace
}  // namespace quillo::grammar
