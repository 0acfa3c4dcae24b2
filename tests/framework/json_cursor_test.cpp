#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "brantic/json_cursor.h"

using brantic::JsonCursor;
using brantic::JsonKind;
using brantic::JsonNumber;

using namespace std::string_literals;

namespace {

// Skips the whole text as one value; answers "" when it is good JSON, else the problem.
std::string Check(std::string_view text) {
  JsonCursor cursor(text);
  if (!cursor.Skip()) return cursor.Problem();
  return cursor.AtEnd() ? "" : "trailing data";
}

// Scenes with bad texts of every kind run as processes in the hostile-files test; here, what
// only the cursor itself shows.
TEST(JsonCursorTest, AcceptsJsonAndRefusesWhatIsNot) {
  // A text and part of its problem; no problem for good JSON.
  const std::pair<std::string, std::string> cases[] = {
      {R"({"a": [1, -2.5e3, true, false, null, "x"], "b": {}})", ""},
      {" [ ] ", ""},
      {R"("\u00e9\ud83d\ude00\n\"\\\/")", ""},
      {"\"caf\xc3\xa9\"", ""},
      {"", "unexpected end"},
      {"[1, 2", "unexpected end"},
      {"[1,]", "unexpected ']'"},
      {"[1 2]", "expected ',' or ']'"},
      {R"({"a" 1})", "expected ':'"},
      {R"({1: 2})", "expected a member name"},
      {"\"\xc0\xaf\"", "not UTF-8"},      // overlong
      {"\"\xed\xa0\x80\"", "not UTF-8"},  // an encoded surrogate
      {R"("\ud800")", "bad \\u escape"},  // a lone surrogate
      {"01", "malformed number"},
      {"1.", "malformed number"},
      {"-", "malformed number"},
      {"1e400", "out of range"},
      {"tru", "unknown word"},
      {"[1]\0\0"s.substr(0, 5), "trailing data"},
      {"@", "unexpected '@'"},
  };
  for (const auto& [text, part] : cases) {
    const std::string problem = Check(text);
    if (part.empty()) {
      EXPECT_EQ(problem, "") << text;
    } else {
      EXPECT_NE(problem.find(part), std::string::npos) << text << " -> " << problem;
    }
  }
}

TEST(JsonCursorTest, NumbersKeepIntegersExactAndTellWhatDoesNotFit) {
  struct Case {
    const char* text;
    bool isInteger;
    int64_t integer;
    double value;
  };
  const Case cases[] = {
      {"0", true, 0, 0.0},
      {"-9223372036854775808", true, INT64_MIN, -9223372036854775808.0},
      {"9223372036854775807", true, INT64_MAX, 9223372036854775807.0},
      {"18446744073709551615", false, 0, 18446744073709551615.0},  // does not fit: no integer
      {"0.1", false, 0, 0.1},
      {"1E2", false, 0, 100.0},
      {"1e-400", false, 0, 0.0},  // too small to tell from zero
  };
  for (const Case& c : cases) {
    JsonCursor cursor(c.text);
    JsonNumber number;
    ASSERT_TRUE(cursor.ReadNumber(number)) << c.text << ": " << cursor.Problem();
    EXPECT_EQ(number.isInteger, c.isInteger) << c.text;
    if (c.isInteger) {
      EXPECT_EQ(number.integer, c.integer) << c.text;
    }
    EXPECT_EQ(number.value, c.value) << c.text;
  }
}

TEST(JsonCursorTest, DepthIsLimitedWithoutRecursionAndFaultsHavePositions) {
  // Far deeper than any stack would allow when recursing.
  const std::string deep = std::string(600000, '[') + std::string(600000, ']');
  JsonCursor limited(deep, 100);
  EXPECT_FALSE(limited.Skip());
  EXPECT_EQ(limited.Problem(), "nested deeper than 100 levels");
  EXPECT_EQ(limited.Offset(), 100u);
  JsonCursor unlimited(deep, 1 << 30);
  EXPECT_TRUE(unlimited.Skip());
  EXPECT_TRUE(unlimited.AtEnd());

  const std::string text = "{\n  \"a\": [1,\n  2,, 3]}";
  JsonCursor cursor(text);
  EXPECT_FALSE(cursor.Skip());
  EXPECT_EQ(JsonCursor::LineAndColumn(text, cursor.Offset()), "line 3, column 5");
  // After the first fault every call answers nothing.
  EXPECT_EQ(cursor.Peek(), JsonKind::Invalid);
  EXPECT_FALSE(cursor.BeginArray());
}

TEST(JsonCursorTest, ReadsMembersInOrderWithTextsInPlace) {
  const std::string text = R"({"name": "plain", "escaped": "a\u0041", "list": [1, {"x": null}], "flag": true})";
  JsonCursor cursor(text);
  ASSERT_TRUE(cursor.BeginObject());
  std::string_view key, value;
  ASSERT_TRUE(cursor.NextMember(key));
  EXPECT_EQ(key, "name");
  ASSERT_TRUE(cursor.ReadString(value));
  EXPECT_EQ(value, "plain");
  EXPECT_TRUE(value.data() >= text.data() && value.data() < text.data() + text.size());  // no copy
  ASSERT_TRUE(cursor.NextMember(key));
  ASSERT_TRUE(cursor.ReadString(value));
  EXPECT_EQ(value, "aA");
  ASSERT_TRUE(cursor.NextMember(key));
  EXPECT_EQ(key, "list");
  ASSERT_TRUE(cursor.Skip());
  ASSERT_TRUE(cursor.NextMember(key));
  bool flag = false;
  ASSERT_TRUE(cursor.ReadBool(flag));
  EXPECT_TRUE(flag);
  EXPECT_FALSE(cursor.NextMember(key));
  EXPECT_FALSE(cursor.Failed());
  EXPECT_TRUE(cursor.AtEnd());
}

// Texts are written as a JSON writer writes them: plain runs as they are, the quote, the
// backslash and control characters escaped, UTF-8 kept, and each byte that is not part of
// well-formed UTF-8 replaced by U+FFFD.
TEST(JsonCursorTest, AppendsTextsEscapedAndWellFormed) {
  const std::string kReplaced = "\xEF\xBF\xBD";
  const struct {
    std::string text, written;
  } cases[] = {
      {"", R"("")"},
      {"tex/wall_01.png", R"("tex/wall_01.png")"},
      {"\"quoted\"", R"("\"quoted\"")"},
      {"C:\\maps\\", R"("C:\\maps\\")"},
      {"a\tb\nc\r\b\f\x01\x1f", R"("a\tb\nc\r\b\f\u0001\u001f")"},
      {"del\x7f ~", "\"del\x7f ~\""},
      {"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x8E\xA8", "\"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x8E\xA8\""},
      {"cut\xC3", "\"cut" + kReplaced + "\""},
      {"a\xFF"
       "b",
       "\"a" + kReplaced + "b\""},
      {"\xE0\x80\x80", "\"" + kReplaced + kReplaced + kReplaced + "\""},    // overlong
      {"\xED\xA0\x80x", "\"" + kReplaced + kReplaced + kReplaced + "x\""},  // a surrogate
  };
  for (const auto& [text, written] : cases) {
    std::string out = "[";
    brantic::AppendJsonText(out, text);
    EXPECT_EQ(out, "[" + written) << text;
  }
  // Plain runs go across eight bytes at a time: a byte to escape or check is found at every
  // place of a longer text.
  const std::pair<std::string, std::string> specials[] = {
      {"\"", "\\\""},   {"\\", "\\\\"},           {"\x1f", "\\u001f"}, {std::string(1, '\0'), "\\u0000"},
      {"\x7f", "\x7f"}, {"\xC3\xA9", "\xC3\xA9"}, {"\xFF", kReplaced}, {"\x20", " "}};
  for (size_t at = 0; at <= 20; ++at) {
    for (const auto& [special, escaped] : specials) {
      const std::string before(at, 'a'), after(20 - at, 'b');
      std::string out;
      brantic::AppendJsonText(out, before + special + after);
      EXPECT_EQ(out, "\"" + before + escaped + after + "\"") << at << " " << escaped;
    }
  }
}

}  // namespace
