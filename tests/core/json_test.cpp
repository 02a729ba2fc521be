// The program's own JSON reader against the JSON library, and the reading conventions that
// every renderer shares.
#include "core/json_parser.hpp"

#include "core/json_document.hpp"
#include "core/json_writer.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillo {
namespace {

// An object of 40 members, more than the writer keeps a place for, named by `name` of each
// one's place, each holding a little of everything.
std::string object_of(std::string (*name)(int)) {
  std::string text = "{";
  for (int i = 0; i < 40; ++i) {
    text += (i > 0 ? ",\"" : "\"") + name(i) + "\": [" + std::to_string(i) + ", {\"x\": \"\\t\"}, 1.50]";
  }
  return text + "}";
}

std::string key_of(int i) { return "k" + std::to_string(100 + i); }

// Large objects each in an array in an object, both small around it, side by side, after
// some and in an array of their own: the places of the small ones in the index are given up
// while the reading goes on, where the containers still open have theirs.
std::string wrapped_objects() {
  std::string text = "[";
  for (int i = 0; i < 140; ++i) {
    text += "{\"w\":[{\"k\":\"" + std::string(70, 'x') + "\"}, " + std::to_string(i) + "]},";
    if (i == 40) text += "[";
  }
  return text + "0]]";
}

// Texts where a reader of JSON most easily goes wrong: numbers of every form, escapes at the
// edges of the encodings, keys, and each way of not being JSON.
const std::vector<std::string> kTrickyTexts = {
    "0", "-0", "-0.0", "1E2", "2.5e+2", "1e5", "-1.5e-7", "1e-5", "0.0001", "0.1", "1e21", "1e20",
    "5e-324", "1.7976931348623157e308", "0.39756610126911063", "9223372036854775807",
    "9223372036854775808", "-9223372036854775808", "-9223372036854775809", "18446744073709551615",
    "18446744073709551616", "123456789012345678901234567890", "1e400", "-1e400", "1e-400",
    // Doubles at the edges of writing without an exponent, and ones whose shortest digits the
    // library does not write (0.074191 it writes as 0.07419099999999999, 1e23 as
    // 9.999999999999999e+22).
    "0.00006103515625", "9.999999999999999e-5", "0.0001220703125", "0.00010000000000000002",
    "-1234.75", "999999999999999.0", "999999999999999.9", "1e15", "1e22", "9007199254740993.0",
    "9007199254740994.0", "0.074191", "0.00025603", "8.11228044893", "2884609.3063369323",
    "554498770.4573087", "954877022107849.75", "1201258735678987.8", "6.02214076e23", "1e23",
    "2.18008261371769e205", "2.225073858507201e-308", "0.5", "-0.25", "100.0", "1.5e3", "0.0e0",
    "3e22", "12345678901234.5", "123456789012345.6", "0.000123", "-0.0001",
    // Decimals laid out from their own digits: zeros before and after them, exponents that move
    // the point across the edges of plain notation, 15 digits and one more.
    "0.000", "-0e-3", "100.000", "0.5e1", "50e-1", "1.0e-4", "10e-5", "0.1e15", "1.000000000000000000000",
    "123456789012345.0e-20", "12345678901234.5e1", "1234567890123456e-1", "-2.5E+0010", "7.25e-00",
    // Numbers longer than the copy strtod reads, whose rounding the digits left out decide:
    // just past a halfway point, or on it; and where the first digit stands, for the bound.
    "9007199254740993." + std::string(900, '0') + "1", "9007199254740993." + std::string(900, '0'),
    "0." + std::string(1000, '0') + "1e1000", "-1" + std::string(900, '0') + "e-900",
    "0.0001e310", "0.000e400", "1" + std::string(400, '0'), "0.1" + std::string(900, '7') + "e309",
    R"("\u0000\u001f\u007f\u0080\u07ff\u0800\uffff\ud800\udc00\udbff\udfff")",
    R"("\"\\\/\b\f\n\r\t é€😀")", R"({"\u0061":1,"a":2,"b":{"y":1,"x":[]},"":0})",
    R"({"b":1,"a":{"d":1,"c":2},"a":3})",
    R"({"\u00e9x":1,"\u0041":2,"z":3,"\"":4,"\ud83d\ude00":5,"\u00e9":6,"A\n":7,"A":8})",
    " \t\r\n[ 1 , { } , [ ] , \"\" ] \n", "[true,false,null]",
    // Many members: in order; in order, each name twice; scattered, each name twice, escaped.
    object_of(key_of), object_of([](int i) { return key_of(i / 2); }),
    object_of([](int i) { return "\\u006b" + key_of(i * 7 % 40 / 2).substr(1); }), wrapped_objects(),
    // Refused by both.
    "", " ", "01", "1.", ".5", "-", "1e", "1e+", "+1", "0x10", "NaN", "Infinity", "[1,]", "{,}",
    R"({"a" 1})", R"({1:2})", R"({"a":1,})", "[1 2]", "\"abc", R"("\x")", R"("\u12")",
    R"("\ud800")", R"("\udc00")", R"("\ud800\u0041")", "\"a\tb\"", "tru", "nul", "[", "]", "{}}",
    "\v{}", "{}\f", "{} x",
};

std::vector<std::string> seed_corpus() {
  std::vector<std::string> texts;
  for (const auto& entry : std::filesystem::directory_iterator(QUILLO_SOURCE_DIR "/fuzz/corpus/json")) {
    std::ifstream file(entry.path(), std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    texts.push_back(content.str());
  }
  return texts;
}

// The text written as it is read, compactly or indented, as --json and the renderings write it.
std::string written(const JsonDocument& document, bool indented) {
  StringSink out;
  write_json(document.root(), out, {.indented = indented});
  return out.text();
}

// Both readings of each text (into a value, and read where it lies and written again) give
// what the library gives: the same verdict, the same value, byte for byte the same compact and
// indented text, the same words on refusal.
TEST(JsonReader, AgreesWithTheLibrary) {
  auto texts = seed_corpus();
  ASSERT_GT(texts.size(), 20u);
  texts.insert(texts.end(), kTrickyTexts.begin(), kTrickyTexts.end());
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 80));
    const auto value = parse_json(text);
    const auto document = JsonDocument::read(text);
    const Json theirs = Json::parse(text, nullptr, false);
    ASSERT_EQ(!value.ok(), theirs.is_discarded());
    ASSERT_EQ(value.ok(), document.ok());
    if (theirs.is_discarded()) {
      EXPECT_EQ(value.error(), document.error());
      continue;
    }
    EXPECT_EQ(value.value(), theirs);
    EXPECT_EQ(value.value().dump(), theirs.dump());
    EXPECT_EQ(written(document.value(), false), theirs.dump());
    EXPECT_EQ(written(document.value(), true), theirs.dump(2));
  }
}

// A text that is not JSON after a long stretch of what the library keeps as it reads (a string,
// a number, or brackets, commas, literals and white space) is described in the library's words,
// where it stopped counted in the whole text, with what was left out said where it was.
TEST(JsonReader, DescribesALongStretchAsTheLibraryWithItsMiddleLeftOut) {
  const auto times = [](std::string_view piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
  };
  const auto elements = [](std::size_t count) {  // of no period that divides the count
    constexpr std::string_view kKinds[] = {"true", "[null,{}]", "[[]]", "false", "{}", "[true,[false]]", "null"};
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text.append(kKinds[i % 7]).append(" , ");
    return text;
  };
  for (const std::string& text : {
           "[1,\n\"" + times("a\\u00e9b\\n\\ud83d\\ude00\u00e9", 8000) + "\\q\"]",
           "\"" + times("\u00e9", 50000) + "\x01\"", "\n\"" + std::string(70000, 'x'),
           "{\"a\":-1" + std::string(70000, '2') + ".e1}", "[\"" + std::string(70000, 'y') + "\" x]",
           "[0." + std::string(70000, '2') + " , x]", "\n\t[" + elements(9000) + "x]",
           "{\"a\":[" + times("{}, ", 20000) + "{}]" + std::string(70000, ' ') + "x"}) {
    SCOPED_TRACE(text.substr(0, 40));
    const std::string ours = parse_json(text).error();
    std::string theirs;
    try {
      const Json parsed = Json::parse(text);
      ADD_FAILURE() << "read as JSON: " << parsed.dump().substr(0, 80);
    } catch (const Json::exception& error) {
      theirs = std::string(error.what()).substr(std::string(error.what()).find("] ") + 2);
    }
    // Ours, each note of what was left out taken for as many bytes of theirs.
    std::size_t o = 0, t = 0, notes = 0;
    for (std::size_t note; (note = ours.find("... (", o)) != std::string::npos; ++notes) {
      EXPECT_EQ(ours.substr(o, note - o), theirs.substr(t, note - o));
      t += note - o + std::stoul(ours.substr(note + 5));
      o = ours.find(") ...", note) + 5;
    }
    EXPECT_GE(notes, 1u) << ours.substr(0, 300);
    EXPECT_EQ(ours.substr(o), theirs.substr(t));
    EXPECT_LT(ours.size(), 600u);
  }
}

// The reader refuses on purpose what the library would read in part, and nesting that would
// exhaust the stack when the value is written or copied.
TEST(JsonReader, RefusesWhatTheLibraryWouldReadInPart) {
  for (const auto& [text, expected] : std::vector<std::pair<std::string, std::string>>{
           {std::string("{}\0{}", 5), "unexpected NUL byte at offset 2"},
           {"\xEF\xBB\xBF{}", "unexpected byte-order mark"},
           {"\"\xFF\"", "invalid UTF-8"},
           // Told before what the reader finds wrong earlier in the text.
           {std::string("[1,]\"\0\"", 7), "unexpected NUL byte at offset 5"},
           {std::string(kMaxJsonDepth + 1, '[') + std::string("\0", 1), "unexpected NUL byte at offset 513"},
           {"[x,\"\xC3\"]", "invalid UTF-8"},
           {std::string(kMaxJsonDepth + 1, '['), "nesting deeper than 512 levels"}}) {
    EXPECT_EQ(parse_json(text).error(), expected);
  }
  const std::string deepest = std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']');
  EXPECT_TRUE(parse_json(deepest).ok());
}

// Each reading convention on a member "k" of the value: what text_or, has_text, is_true,
// is_false and int64_or_zero give.
struct ReadingCase {
  std::string value;
  const char* text;  ///< text_or("k", "?"); "?" exactly when the member is no string
  bool true_flag;
  bool false_flag;
  std::int64_t integer;
};

TEST(Reading, MembersCountOnlyWithTheirOwnType) {
  // An object of many members is looked up where they lie rather than read once.
  std::string many = "{";
  for (int i = 0; i < 40; ++i) many += "\"m" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  const std::vector<ReadingCase> cases = {
      {R"({"k":"s"})", "s", false, false, 0},
      {R"({"k":""})", "", false, false, 0},
      {R"({"k":"true"})", "true", false, false, 0},
      {R"({"k":"a\"\u00e9\ud83d\ude00\n"})", "a\"\u00e9\U0001F600\n", false, false, 0},
      {R"({"\u006b":"escaped key"})", "escaped key", false, false, 0},
      {R"({"k":"first","k":"last"})", "last", false, false, 0},
      {R"({"k":true})", "?", true, false, 0},
      {R"({"k":false})", "?", false, true, 0},
      {R"({"k":1})", "?", false, false, 1},
      {R"({"k":-2})", "?", false, false, -2},
      {R"({"k":-0})", "?", false, false, 0},
      {R"({"k":9223372036854775807})", "?", false, false, LLONG_MAX},
      {R"({"k":-9223372036854775808})", "?", false, false, LLONG_MIN},
      {R"({"k":9223372036854775808})", "?", false, false, 0},
      {R"({"k":-9223372036854775809})", "?", false, false, 0},
      {R"({"k":18446744073709551615})", "?", false, false, 0},
      {R"({"k":1.0})", "?", false, false, 0},
      {R"({"k":1e2})", "?", false, false, 0},
      {R"({"k":2.5})", "?", false, false, 0},
      {R"({"k":"3"})", "3", false, false, 0},
      {R"({"k":null})", "?", false, false, 0},
      {R"({"k":[1]})", "?", false, false, 0},
      {R"({"K":"s"})", "?", false, false, 0},
      {"{}", "?", false, false, 0},
      {R"(["k"])", "?", false, false, 0},
      {"null", "?", false, false, 0},
      {R"("k")", "?", false, false, 0},
      {many + R"("k":"s","z":[{"k":1}]})", "s", false, false, 0},
      {many + R"("k":7,"k":true})", "?", true, false, 0},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.value);
    const auto document = JsonDocument::read(row.value);
    ASSERT_TRUE(document.ok());
    const Members value(document.value().root());
    EXPECT_EQ(value.text_or("k", "?").str(), row.text);
    EXPECT_EQ(value.has_text("k"), std::string(row.text) != "?");
    EXPECT_EQ(value.is_true("k"), row.true_flag);
    EXPECT_EQ(value.is_false("k"), row.false_flag);
    EXPECT_EQ(value.int64_or_zero("k"), row.integer);
    const Json theirs = Json::parse(row.value);
    EXPECT_EQ(value["k"].has_value(), theirs.is_object() && theirs.contains("k"));
  }
}

}  // namespace
}  // namespace quillo
