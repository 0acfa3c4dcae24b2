#include <gtest/gtest.h>

#include "bx3/container.h"
#include "bx3/element.h"

using namespace bx3;

TEST(ContainerTest, TypedValuesAndDeepCopies) {
  EXPECT_EQ(FourCC("Mci1"), 0x4d636931);
  Container outer(7);
  outer.SetBool(1, true);
  outer.SetInt32(2, 42);
  outer.SetFloat(3, 0.5);
  outer.SetString(4, "text");
  Container inner;
  inner.SetInt32(1, 1);
  outer.SetContainer(5, inner);

  EXPECT_TRUE(outer.GetBool(1));
  EXPECT_EQ(outer.GetInt32(2), 42);
  EXPECT_EQ(outer.GetInt32(4, -1), -1);  // wrong type gives the fallback
  EXPECT_EQ(outer.GetFloat(2), 42.0);
  EXPECT_EQ(outer.GetString(4), "text");
  EXPECT_EQ(outer.GetContainer(1), nullptr);
  ASSERT_NE(outer.GetContainer(5), nullptr);

  Container copy = outer;
  copy.GetContainer(5)->SetInt32(1, 2);  // copies never share their sub-containers
  EXPECT_EQ(outer.GetContainer(5)->GetInt32(1), 1);
  EXPECT_FALSE(copy == outer);
  copy.GetContainer(5)->SetInt32(1, 1);
  EXPECT_TRUE(copy == outer);
  EXPECT_TRUE(copy.Remove(5));
  EXPECT_FALSE(copy.Contains(5));
}

TEST(ElementTest, ParametersAndChangeCounters) {
  auto element = CreateElement(type::kBitmapShader, "Color");
  ASSERT_NE(element, nullptr);
  const uint32_t start = element->GetDirty(4);
  element->SetParameter(param::kBitmapFile, Filename("a.png"));
  element->SetParameter(param::kBitmapFirstFrame, int32_t{10});
  EXPECT_GT(element->GetDirty(4), start);
  EXPECT_EQ(element->GetFilename(param::kBitmapFile).GetString(), "a.png");
  EXPECT_EQ(element->GetString(param::kBitmapFile), "a.png");
  EXPECT_EQ(element->GetInt32(param::kBitmapFirstFrame), 10);
  EXPECT_EQ(element->GetInt32(param::kBitmapLastFrame, -1), -1);
  EXPECT_EQ(DataTypeOf(*element->GetParameter(param::kBitmapFile)), kDataTypeFilename);
  const uint32_t before = element->GetDirty(4);
  EXPECT_TRUE(element->Message(kMsgUpdate));
  EXPECT_EQ(element->GetDirty(4), before + 1);
  element->SetParameter(param::kBitmapFile, std::monostate{});
  EXPECT_EQ(element->GetParameter(param::kBitmapFile), nullptr);
  EXPECT_EQ(element->GetIconId(), type::kBitmapShader);
  EXPECT_EQ(ElementLink(element.get()).Resolve(nullptr), nullptr);
}
