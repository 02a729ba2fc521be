// The parser's rules, on a small tree of its own: one table of arguments in and, out, the
// chosen command with its values, or the exact usage error, help or version.
#include "core/grammar.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "support/temp_dir.hpp"

namespace quillo::grammar {
namespace {

struct Chosen {
  std::string leaf;
  Values values;
};

Node<Chosen> make_leaf(std::string name, std::vector<Argument> arguments) {
  const std::string leaf_name = name;
  return leaf<Chosen>(std::move(name), "The " + leaf_name + " command", std::move(arguments),
                      [leaf_name](const Values& values) { return Chosen{leaf_name, values}; });
}

Node<Chosen> tree() {
  Node<Chosen> root = group<Chosen>(
      "prog", "A test program",
      make_leaf("leaf",
                {positional("text", "TEXT", "Some text").or_from_file("--text-file"),
                 option("--count", "COUNT").of_type(ValueType::Uint32).counting("a number of seconds"),
                 option("--offset", "OFFSET").of_type(ValueType::Int64).with_default("5"),
                 option("--name", "NAME"), option("--body", "BODY").or_from_file("--body-file"),
                 flag("--on", "Switch on"), flag("--wait-exit", "Renamed").named("exit")}),
      group<Chosen>("group", "A group", make_leaf("inner", {positional("word", "WORD", "", false)}),
                    group<Chosen>("nested", "A nested group",
                                  make_leaf("deep", {option("--id", "ID").require()}))));
  root.arguments = {option("--socket", "SOCKET"), flag("--json", "JSON output")};
  return root;
}

// "leaf count=5 text=t": the command and the values present, or "2: " and standard error
// with its last line, which names the help to run, shortened to "[prog leaf]"; or "0: " and
// the start of standard output.
std::string outcome_of(std::vector<std::string> args, const std::string& dir) {
  for (auto& arg : args) {
    if (const auto at = arg.find("{dir}"); at != std::string::npos) arg.replace(at, 5, dir);
  }
  const Node<Chosen> root = tree();
  std::ostringstream out, err;
  auto parsed = parse({"prog", "1.2.3", &root}, args, out, err, {.max_file_bytes = 16});
  if (const int* status = std::get_if<int>(&parsed)) {
    std::string text = *status == 0 ? out.str().substr(0, out.str().find('\n')) : err.str();
    const auto run = text.find("Run '");
    if (run != std::string::npos) {
      text = text.substr(0, run) + "[" + text.substr(run + 5, text.find(" --help'") - run - 5) + "]";
    }
    return std::to_string(*status) + ": " + text;
  }
  const Chosen chosen = make_command(root, std::get<Parsed>(parsed));
  std::string text = chosen.leaf;
  const Values& v = chosen.values;
  if (v.has("count")) text += " count=" + std::to_string(v.uint32("count"));
  if (v.has("offset")) text += " offset=" + std::to_string(v.int64("offset"));
  for (const char* id : {"text", "name", "body", "word", "id", "socket"}) {
    if (v.has(id)) text += std::string(" ") + id + "=" + v.text(id);
  }
  for (const char* id : {"on", "exit", "json"}) {
    if (v.flag(id)) text += std::string(" ") + id;
  }
  return text;
}

struct Row {
  std::vector<std::string> args;
  std::string outcome;
};

void expect_outcomes(const std::vector<Row>& rows) {
  testing_support::TempDir dir;
  dir.write("text", "from a file\n");
  dir.write("bad", "\xFF");
  dir.write("big", std::string(17, 'x'));
  for (const auto& row : rows) {
    std::string described, expected = row.outcome;
    for (const auto& arg : row.args) described += "[" + arg + "]";
    for (auto at = expected.find("{dir}"); at != std::string::npos; at = expected.find("{dir}")) {
      expected.replace(at, 5, dir.path());
    }
    EXPECT_EQ(outcome_of(row.args, dir.path()), expected) << described;
  }
}

TEST(Grammar, ValuesAndDefaults) {
  expect_outcomes({
      {{"leaf", "t"}, "leaf offset=5 text=t"},
      {{"leaf", "--on", "--wait-exit", "--name", "", "", "--count", "7"}, "leaf count=7 offset=5 text= name= on exit"},
      {{"leaf", "t", "--name=", "--body=a=b"}, "leaf offset=5 text=t name= body=a=b"},
      {{"leaf", "t", "--count", "+5", "--offset=-9223372036854775808"}, "leaf count=5 offset=-9223372036854775808 text=t"},
      {{"leaf", "t", "--count=4294967295", "--offset", "010"}, "leaf count=4294967295 offset=10 text=t"},
      {{"group", "inner"}, "inner"},
      {{"group", "inner", "-"}, "inner word=-"},
  });
}

TEST(Grammar, IntegersArePlainDecimalInTheirRange) {
  const std::string count = "2: --count: '%' is not a number of seconds from 0 to 4294967295\n[prog leaf]";
  const std::string offset =
      "2: --offset: '%' is not a whole number from -9223372036854775808 to 9223372036854775807\n[prog leaf]";
  for (const char* bad : {"-1", "1.5", "0x10", " 5", "", "-0", "1e3", "+-1", "4294967296"}) {
    std::string expected = count;
    expected.replace(expected.find('%'), 1, bad);
    EXPECT_EQ(outcome_of({"leaf", "t", std::string("--count=") + bad}, ""), expected);
  }
  for (const char* bad : {"9223372036854775808", "-9223372036854775809", "--5", "five"}) {
    std::string expected = offset;
    expected.replace(expected.find('%'), 1, bad);
    EXPECT_EQ(outcome_of({"leaf", "t", std::string("--offset=") + bad}, ""), expected);
  }
}

// Before "--" a word that begins with a hyphen is an option, never a value; after it, no word
// is an option. A value that begins with a hyphen is attached with '='.
TEST(Grammar, HyphensAndTheEndOfOptions) {
  expect_outcomes({
      {{"leaf", "--on", "--", "-h"}, "leaf offset=5 text=-h on"},
      {{"leaf", "--", "--json"}, "leaf offset=5 text=--json"},
      {{"leaf", "t", "--name=-h"}, "leaf offset=5 text=t name=-h"},
      {{"leaf", "t", "--", "--json"}, "2: The following argument was not expected: --json\n[prog leaf]"},
      {{"leaf", "t", "--", "--help"}, "2: The following argument was not expected: --help\n[prog leaf]"},
      {{"--", "leaf"}, "2: The following argument was not expected: leaf\n[prog]"},
      {{"leaf", "-5"}, "2: The following argument was not expected: -5\n[prog leaf]"},
      {{"leaf", "---", "t"}, "2: The following argument was not expected: ---\n[prog leaf]"},
      {{"leaf", "t", "--name", "-x"},
       "2: --name: a value is required (one that begins with '-' is written --name=VALUE)\n[prog leaf]"},
      {{"leaf", "t", "--name"},
       "2: --name: a value is required (one that begins with '-' is written --name=VALUE)\n[prog leaf]"},
      {{"--socket", "--json", "leaf", "t"},
       "2: --socket: a value is required (one that begins with '-' is written --socket=VALUE)\n[prog]"},
      {{"leaf", "t", "--on=1"}, "2: --on: this flag takes no value\n[prog leaf]"},
      {{"leaf", "t", "--name", "a", "--name=b"}, "2: --name: given more than once\n[prog leaf]"},
      {{"leaf", "t", "\xFF"}, "2: The following argument was not expected: \xFF\n[prog leaf]"},
      {{"leaf", "\xC3"}, "2: TEXT: invalid UTF-8 in value\n[prog leaf]"},
  });
}

// Unknown words name the nearest valid ones, and words not expected are listed as typed.
TEST(Grammar, UnknownWords) {
  expect_outcomes({
      {{"lef", "t"}, "2: The following argument was not expected: lef\nDid you mean 'leaf'?\n[prog]"},
      {{"gro"}, "2: The following argument was not expected: gro\nDid you mean 'group'?\n[prog]"},
      {{"group", "nestde"}, "2: The following argument was not expected: nestde\nDid you mean 'nested'?\n[prog group]"},
      {{"bogus"}, "2: The following argument was not expected: bogus\n[prog]"},
      {{"leaf", "t", "--nmae", "x"},
       "2: The following argument was not expected: --nmae\nDid you mean '--name'?\n[prog leaf]"},
      {{"leaf", "t", "--jsn"}, "2: The following argument was not expected: --jsn\nDid you mean '--json'?\n[prog leaf]"},
      {{"leaf", "t", "--o"}, "2: The following argument was not expected: --o\nDid you mean '--on'?\n[prog leaf]"},
      {{"leaf", "t", "--wait"}, "2: The following argument was not expected: --wait\nDid you mean '--wait-exit'?\n[prog leaf]"},
      {{"leaf", "t", "a", "b", "c"}, "2: The following arguments were not expected: a b c\n[prog leaf]"},
      {{"leaf", "t", "-V"}, "2: The following argument was not expected: -V\n[prog leaf]"},
      {{"group", "nested", "deep", "--id", "x", "--versoin"},
       "2: The following argument was not expected: --versoin\n[prog group nested deep]"},
  });
}

TEST(Grammar, GlobalOptionsAtAnyDepthAndBareGroups) {
  expect_outcomes({
      {{"--json", "--socket", "/s", "group", "nested", "deep", "--id", "x"}, "deep id=x socket=/s json"},
      {{"group", "--json", "nested", "deep", "--id", "x", "--socket=/s"}, "deep id=x socket=/s json"},
      {{"--socket", "/a", "leaf", "t", "--socket", "/b"}, "2: --socket: given more than once\n[prog leaf]"},
      {{"group", "nested", "deep"}, "2: --id is required\n[prog group nested deep]"},
      {{"leaf"}, "2: TEXT or --text-file is required\n[prog leaf]"},
  });
  // A group without a subcommand shows its help on standard error, as a usage error.
  EXPECT_TRUE(outcome_of({"group", "nested"}, "").starts_with("2: A nested group\nUsage: prog group nested"));
  EXPECT_TRUE(outcome_of({"group", "--json"}, "").starts_with("2: A group\nUsage: prog group"));
}

TEST(Grammar, HelpAndVersionComeFirst) {
  expect_outcomes({
      {{"--help"}, "0: A test program"},
      {{"-h", "group"}, "0: A group"},
      {{"group", "nested", "--help"}, "0: A nested group"},
      {{"leaf", "--bogus", "-h"}, "0: The leaf command"},
      {{"-V"}, "0: prog 1.2.3"},
      {{"--version", "bogus"}, "0: prog 1.2.3"},
      {{"group", "-V"}, "2: The following argument was not expected: -V\n[prog group]"},
  });
}

TEST(Grammar, ArgumentsReadFromFiles) {
  expect_outcomes({
      {{"leaf", "--text-file", "{dir}/text"}, "leaf offset=5 text=from a file\n"},
      {{"leaf", "t", "--body-file={dir}/text"}, "leaf offset=5 text=t body=from a file\n"},
      {{"leaf", "t", "--text-file", "{dir}/text"}, "2: TEXT and --text-file cannot be given together\n[prog leaf]"},
      {{"leaf", "--text-file", "{dir}/none"},
       "2: --text-file: cannot read '{dir}/none': No such file or directory\n[prog leaf]"},
      {{"leaf", "--text-file", "{dir}"}, "2: --text-file: cannot read '{dir}': Is a directory\n[prog leaf]"},
      {{"leaf", "--text-file", "{dir}/bad"}, "2: --text-file: '{dir}/bad' is not valid UTF-8\n[prog leaf]"},
      {{"leaf", "--text-file", "{dir}/big"}, "2: --text-file: cannot read '{dir}/big': larger than 16 bytes\n[prog leaf]"},
      {{"leaf", "--text-file", "-", "--body-file", "-"},
       "2: only one argument can be read from standard input ('-')\n[prog leaf]"},
  });
}

}  // namespace
}  // namespace quillo::grammar
