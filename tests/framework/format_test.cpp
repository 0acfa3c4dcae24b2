#include <gtest/gtest.h>

#include "brantic/format.h"
#include "brantic/result.h"

using brantic::Format;
using brantic::TimeValue;

TEST(FormatTest, Placeholders) {
  EXPECT_EQ(Format("@: @ x @\n", {"Resolution", 1920, 1080}), "Resolution: 1920 x 1080\n");
  EXPECT_EQ(Format("@: @{s}\n", {"Duration", TimeValue(5, 2)}), "Duration: 2.5 s\n");
  EXPECT_EQ(Format("@: @{s}, @: @\n", {"Duration", TimeValue(10, 1), "Frame rate", 23.976}),
            "Duration: 10 s, Frame rate: 23.976\n");
  EXPECT_EQ(Format("@: @ F\n", {"Duration", int64_t{100}}), "Duration: 100 F\n");
  EXPECT_EQ(Format("mail@@host @", {"x"}), "mail@host x");
  EXPECT_EQ(Format("@ and @", {"one"}), "one and ");
  EXPECT_EQ(Format("none", {"extra"}), "none");
  EXPECT_EQ(Format("@", {0.1 + 0.2}), "0.3");
  EXPECT_EQ(Format("@{s}", {"text"}), "text");
}

TEST(FormatTest, TimeValueFrames) {
  // floor(numerator x rate) / floor(denominator), truncated.
  EXPECT_EQ(TimeValue(10, 25).GetFrame(25), 10);
  EXPECT_EQ(TimeValue(1, 3).GetFrame(25), 8);  // 1/3 s at 25 fps is frame 8.33
  EXPECT_EQ(TimeValue(-1, 2).GetFrame(24), -12);
  EXPECT_TRUE(TimeValue(1, 2) == TimeValue(2, 4));
  EXPECT_EQ(TimeValue(3, 0).Denominator(), 1);
}

TEST(ResultTest, ErrorsCarryKindAndLocation) {
  brantic::Result<int> result = brantic::IllegalStateError("not ready");
  ASSERT_FALSE(result.HasValue());
  EXPECT_EQ(result.GetError().Kind(), brantic::ErrorKind::IllegalState);
  EXPECT_GT(result.GetError().Line(), 0);
  EXPECT_NE(result.GetError().ToText().find("illegal state: not ready (format_test.cpp:"), std::string::npos);
  EXPECT_EQ(brantic::Result<int>(4).ValueOr(9), 4);
  EXPECT_EQ(brantic::Result<int>(brantic::NullPointerError()).ValueOr(9), 9);
}
