#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "brantic/lightprofile.h"

using namespace brantic;

namespace {

// Every form of the file, and what is read of it.
TEST(LightProfileTest, EachFormIsRead) {
  struct Case {
    const char* name;
    std::string text;
    const char* standard;
    size_t vertical, horizontal;
    double strongest;
    const char* manufacturer;
  };
  const std::string numbers = "1 1000 2 3 1 1 2 0 0 0\n1 1 40\n0 45 90\n0\n500 300 0\n";
  const Case cases[] = {
      {"2002", "IESNA:LM-63-2002\n[MANUFAC] Works\nTILT=NONE\n" + numbers, "LM-63-2002", 3, 1, 1000, "Works"},
      {"2019, a longer keyword", "IES:LM-63-2019\n[MANUFAC] Demo\n[MORE] Works\nTILT=NONE\n" + numbers, "LM-63-2019", 3,
       1, 1000, "Demo Works"},
      {"1995 with Windows line ends and commas",
       "IESNA:LM-63-1995\r\n[MANUFAC] "
       "Works\r\nTILT=NONE\r\n1,1000,2,3,1,1,2,0,0,0\r\n1,1,40\r\n0,45,90\r\n0\r\n500,300,0"
       "\r\n",
       "LM-63-1995", 3, 1, 1000, "Works"},
      {"1991", "IESNA91\n[MANUFAC] Works\nTILT=NONE\n" + numbers, "LM-63-1991", 3, 1, 1000, "Works"},
      {"1986: no form line, free text", "Some lamp maker\nmodel 7\nTILT=NONE\n" + numbers, "LM-63-1986", 3, 1, 1000,
       ""},
      {"tilt data included",
       "IESNA:LM-63-2002\nTILT=INCLUDE\n1\n3\n0 45 90\n1 0.9 0.8\n1 1000 1 2 2 1 2 0 0 0\n1 1 40\n0 90\n0 90\n10 "
       "20\n30 "
       "40\n",
       "LM-63-2002", 2, 2, 40, ""},
      {"numbers spread over lines",
       "IESNA:LM-63-2002\nTILT=NONE\n1 1000\n2 3 1\n1 2 0 0 0 1 1 40 0\n45\n90 0 500\n300 0\n", "LM-63-2002", 3, 1,
       1000, ""},
      {"a units type beyond any integer (found by fuzzing)",
       "IESNA:LM-63-2002\nTILT=NONE\n1 1000 2 3 1 1 1e40 0 0 0\n1 1 40\n0 45 90\n0\n500 300 0\n", "LM-63-2002", 3, 1,
       1000, ""},
  };
  for (const Case& c : cases) {
    auto profile = ParseLightProfile(c.text);
    ASSERT_TRUE(profile.HasValue()) << c.name << ": " << profile.GetError().Message();
    EXPECT_EQ(profile->standard, c.standard) << c.name;
    EXPECT_EQ(profile->verticalAngles.size(), c.vertical) << c.name;
    EXPECT_EQ(profile->horizontalAngles.size(), c.horizontal) << c.name;
    EXPECT_EQ(profile->candela.size(), c.vertical * c.horizontal) << c.name;
    EXPECT_DOUBLE_EQ(profile->MaximumIntensity(), c.strongest) << c.name;
    EXPECT_EQ(profile->Keyword("MANUFAC"), c.manufacturer) << c.name;
  }
}

// A damaged file is refused with what is wrong, never read half; nothing is made for counts
// the file cannot hold.
TEST(LightProfileTest, DamagedFilesAreRefusedWithTheReason) {
  const std::string head = "IESNA:LM-63-2002\nTILT=NONE\n";
  struct Case {
    const char* name;
    std::string text;
    const char* says;
  };
  const Case cases[] = {
      {"empty", "", "empty"},
      {"no tilt line", "IESNA:LM-63-2002\n[TEST] x\n1 2 3\n", "no TILT= line"},
      {"ends early", head + "1 1000 1 3 1 1 2 0 0 0\n1 1 40\n0 45 90\n0\n500 300\n", "ends before"},
      {"not a number", head + "1 1000 1 3 1 1 2 0 0 0\n1 1 40\n0 45 ninety\n0\n1 2 3\n", "\"ninety\""},
      {"counts the file cannot hold", head + "1 1000 1 1000000 1000000 1 2 0 0 0\n1 1 40\n0\n", "candela values"},
      {"a count that is not whole", head + "1 1000 1 2.5 1 1 2 0 0 0\n1 1 40\n0 90\n0\n1 2\n", "whole numbers"},
      {"no angles", head + "1 1000 1 0 1 1 2 0 0 0\n1 1 40\n0\n", "at least one angle"},
      {"bad type", head + "1 1000 1 1 1 7 2 0 0 0\n1 1 40\n0\n0\n1\n", "photometric type"},
      {"angles going back", head + "1 1000 1 3 1 1 2 0 0 0\n1 1 40\n0 90 45\n0\n1 2 3\n", "must not decrease"},
      {"a vertical angle beyond 180", head + "1 1000 1 2 1 1 2 0 0 0\n1 1 40\n0 190\n0\n1 2\n", "vertical angle"},
      {"an infinite value", head + "1 1000 1 2 1 1 2 0 0 0\n1 1 40\n0 90\n0\n1 1e999\n", "\"1e999\""},
      {"huge tilt data", "IESNA:LM-63-2002\nTILT=INCLUDE\n1 9999999\n", "tilt data"},
  };
  for (const Case& c : cases) {
    auto profile = ParseLightProfile(c.text);
    ASSERT_FALSE(profile.HasValue()) << c.name;
    EXPECT_THAT(profile.GetError().Message(), testing::HasSubstr(c.says)) << c.name;
  }
}

TEST(LightProfileTest, IntensityFollowsTheSymmetryAndInterpolates) {
  // A quadrant profile: planes 0 and 90 measured, the rest mirrored.
  auto profile = ParseLightProfile(
      "IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 3 2 1 2 0 0 0\n1 1 40\n0 45 90\n0 90\n100 50 0\n100 20 0\n");
  ASSERT_TRUE(profile.HasValue()) << profile.GetError().Message();
  EXPECT_DOUBLE_EQ(profile->Intensity(0, 45), 50);
  EXPECT_DOUBLE_EQ(profile->Intensity(90, 45), 20);
  EXPECT_DOUBLE_EQ(profile->Intensity(270, 45), 20);  // mirrors 90
  EXPECT_DOUBLE_EQ(profile->Intensity(180, 45), 50);  // mirrors 0
  EXPECT_DOUBLE_EQ(profile->Intensity(45, 45), 35);   // between the planes
  EXPECT_DOUBLE_EQ(profile->Intensity(0, 22.5), 75);  // between the angles
  EXPECT_DOUBLE_EQ(profile->Intensity(0, 120), 0);    // above the measured range
}

}  // namespace
