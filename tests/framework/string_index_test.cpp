#include <gtest/gtest.h>

#include <string>

#include "brantic/string_index.h"

namespace {

TEST(StringIndexTest, FindsWhatWasInsertedThroughCollisionsAndGrowth) {
  brantic::StringIndex<int> index;
  EXPECT_EQ(index.Find("a", 1), nullptr);  // never reset: empty
  index.Reset(2);
  int values[3000];
  // Texts that share a hash, a text that is a prefix of another, and enough texts to grow.
  const std::pair<std::string, size_t> colliding[] = {{"tex/a.png", 7}, {"tex/b.png", 7}, {"tex/a.pn", 7}, {"", 7}};
  for (size_t i = 0; i < std::size(colliding); ++i) index.Insert(colliding[i].first, colliding[i].second, &values[i]);
  for (size_t i = 4; i < std::size(values); ++i) {
    const std::string text = "tex/file_" + std::to_string(i) + ".png";
    index.Insert(text, std::hash<std::string_view>()(text), &values[i]);
  }
  index.Insert("tex/null.png", 9, nullptr);  // a null value is not taken
  EXPECT_EQ(index.Size(), std::size(values));
  for (size_t i = 0; i < std::size(colliding); ++i) {
    EXPECT_EQ(index.Find(colliding[i].first, colliding[i].second), &values[i]) << colliding[i].first;
  }
  EXPECT_EQ(index.Find("tex/c.png", 7), nullptr);
  EXPECT_EQ(index.Find("tex/null.png", 9), nullptr);
  for (size_t i = 4; i < std::size(values); ++i) {
    const std::string text = "tex/file_" + std::to_string(i) + ".png";
    ASSERT_EQ(index.Find(text, std::hash<std::string_view>()(text)), &values[i]) << text;
  }
  index.Reset(0);
  EXPECT_EQ(index.Size(), 0u);
  EXPECT_EQ(index.Find("tex/a.png", 7), nullptr);
  // An index that let go of its memory takes texts again.
  index.Insert("tex/a.png", 7, &values[0]);
  EXPECT_EQ(index.Find("tex/a.png", 7), &values[0]);
  // A small one keeps its table over a reset, but nothing of what it held.
  for (const size_t expected : {size_t(0), size_t(1), size_t(500)}) {
    index.Reset(expected);
    EXPECT_EQ(index.Find("tex/a.png", 7), nullptr) << expected;
    index.Insert("tex/b.png", 7, &values[1]);
    EXPECT_EQ(index.Find("tex/b.png", 7), &values[1]) << expected;
    EXPECT_EQ(index.Find("tex/a.png", 7), nullptr) << expected;
    index.Insert("tex/a.png", 7, &values[0]);
  }
}

}  // namespace
