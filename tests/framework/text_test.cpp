#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "brantic/enumeration.h"
#include "brantic/string.h"

using brantic::String;

TEST(StringTest, FindSubstringReplace) {
  const String text("tex/wood_0001.png");
  EXPECT_EQ(text.Find("wood"), 4);
  EXPECT_EQ(text.Find("wood", 5), String::kNotFound);
  EXPECT_EQ(text.Find("x", 99), String::kNotFound);
  EXPECT_EQ(text.FindLast("0"), 11);
  EXPECT_EQ(text.Substring(4, 4), "wood");
  EXPECT_EQ(text.Substring(14), "png");
  EXPECT_EQ(text.Substring(-3, 3), "tex");
  EXPECT_TRUE(text.Substring(40).IsEmpty());
  EXPECT_EQ(text.Replace("0", "1"), "tex/wood_1111.png");
  EXPECT_EQ(String("aaa").Replace("a", "aa"), "aaaaaa");
  EXPECT_EQ(text.Replace("", "x"), text);
  EXPECT_LT(String("a").Compare(String("b")), 0);
  EXPECT_EQ(String(""), String());
}

// Copies share one text across threads; the last one to go frees it (the address and thread
// sanitizers check the counting).
TEST(StringTest, CopiesOnManyThreadsShareOneText) {
  const brantic::String original(std::string(100, 'x'));
  brantic::String assigned = original;
  const brantic::String& same = assigned;
  assigned = same;  // assigning a string to itself keeps its text
  EXPECT_EQ(assigned.View().data(), original.View().data());
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&original] {
      std::vector<brantic::String> copies;
      for (int i = 0; i < 10000; ++i) copies.push_back(original);
      for (auto& copy : copies) EXPECT_EQ(copy.Length(), 100);
    });
  }
  for (auto& thread : threads) thread.join();
  brantic::String moved = std::move(assigned);
  EXPECT_TRUE(assigned.IsEmpty());  // NOLINT(bugprone-use-after-move): a moved-from string is empty
  EXPECT_EQ(moved, original);
  EXPECT_TRUE(brantic::String(std::string()).IsEmpty());
}

TEST(StringTest, IntegerConversions) {
  struct Case {
    const char* text;
    bool ok;
    int64_t value;
  };
  const Case cases[] = {{"42", true, 42},
                        {" -7 ", true, -7},
                        {"+3", true, 3},
                        {"", false, 0},
                        {"4x", false, 0},
                        {"99999999999999999999", false, 0},
                        {"-9223372036854775808", true, INT64_MIN}};
  for (const Case& c : cases) {
    auto value = String(c.text).ToInt64();
    EXPECT_EQ(value.HasValue(), c.ok) << c.text;
    if (c.ok && value) {
      EXPECT_EQ(*value, c.value) << c.text;
    }
  }
  EXPECT_EQ(String::FromInt(7, 4), "0007");
  EXPECT_EQ(String::FromInt(-7, 3), "-007");
  EXPECT_EQ(String::FromInt(12345, 2), "12345");
  EXPECT_EQ(String::FromInt(INT64_MIN), "-9223372036854775808");
}

TEST(StringTest, MemorySizeToText) {
  struct Case {
    int64_t bytes;
    bool binary;
    const char* text;
  };
  const Case cases[] = {{0, false, "0 B"},       {999, false, "999 B"},   {1000, false, "1 KB"},
                        {1500, false, "1.5 KB"}, {999960, false, "1 MB"}, {123456789, false, "123 MB"},
                        {1024, true, "1 KiB"},   {-5, false, "0 B"},      {5000000000LL, false, "5 GB"}};
  for (const Case& c : cases) EXPECT_EQ(brantic::MemorySizeToText(c.bytes, c.binary), c.text) << c.bytes;
}

TEST(EnumerationTest, NamesFlagSetsAndErrors) {
  ASSERT_TRUE(brantic::RegisterEnumeration("TESTKIND", 4, {{0, "NONE"}, {1, "A"}, {2, "B"}, {4, "C"}}).HasValue());
  EXPECT_EQ(*brantic::EnumerationToText("TESTKIND", 2), "B");
  EXPECT_EQ(*brantic::EnumerationToText("TESTKIND", 0), "NONE");
  EXPECT_EQ(*brantic::EnumerationToText("TESTKIND", 5), "A|C");
  EXPECT_EQ(*brantic::EnumerationToText("TESTKIND", 8), "8");
  EXPECT_FALSE(brantic::EnumerationToText("NOSUCH", 1).HasValue());
  EXPECT_FALSE(brantic::RegisterEnumeration("BAD", 3, {}).HasValue());
  EXPECT_FALSE(brantic::RegisterEnumeration("BAD", 1, {{256, "BIG"}}).HasValue());
}
