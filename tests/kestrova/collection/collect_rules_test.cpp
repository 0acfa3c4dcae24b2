#include <gtest/gtest.h>

#include "brantic/nodes.h"
#include "bx3/host.h"
#include "collection/kvcollect_rules.h"

using namespace kv;
using bx3::Filename;

TEST(CollectRulesTest, TrailingDigitsAndRemapping) {
  struct Case {
    const char* name;
    int32_t position, length;
  };
  const Case cases[] = {{"tex_0010", 4, 4}, {"render_00012", 7, 5}, {"plain", -1, 0}, {"123", 0, 3}, {"", -1, 0}};
  for (const Case& c : cases) EXPECT_EQ(TrailingDigits(c.name), std::make_pair(c.position, c.length)) << c.name;
  EXPECT_EQ(RemapTargetDescId(5833, 1000)[0].id, 805);
  EXPECT_EQ(RemapTargetDescId(5833, 1000)[0].dataType, 1);
  EXPECT_EQ(RemapTargetDescId(5102, 90036)[0].id, 1018);
  EXPECT_EQ(RemapTargetDescId(12345, 1041668)[0].creator, 110050);  // any type
  EXPECT_TRUE(RemapTargetDescId(5833, 2000).IsEmpty());
  EXPECT_TRUE(RemapTargetDescId(5102, 1000).IsEmpty());
  EXPECT_EQ(TimeToFrame(brantic::TimeValue(48, 25), 25.0), 48);
}

TEST(CollectRulesTest, OwnerMainTakesAndFrameRanges) {
  bx3::InitializeHost();
  bx3::Document document;
  bx3::Element* cube = document.InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kNullObject, "Cube"));
  bx3::Element* tag = cube->InsertChild(bx3::CreateElement(bx3::type::kPointCacheTag, "Cache"));
  tag->SetParameter(1004, brantic::TimeValue(1, 1));
  tag->SetParameter(1005, brantic::TimeValue(2, 1));
  document.SetParameter(bx3::param::kDocumentFrameRate, 24.0);
  EXPECT_EQ(OwnerMainOf(tag, document), cube);
  EXPECT_EQ(OwnerMainOf(cube, document), cube);
  EXPECT_EQ(OwnerMainOf(nullptr, document), &document);

  const auto range = OwnerFrameRange(*tag, document, Filename("c.pc2"), {}, {});
  ASSERT_TRUE(range.has_value());
  EXPECT_EQ(*range, std::make_pair(24, 48));
  bx3::Element* volumes =
      document.InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kVolumeSequenceObject, "Smoke"));
  volumes->SetParameter(6003, int32_t{3});
  volumes->SetParameter(6004, int32_t{9});
  EXPECT_EQ(*OwnerFrameRange(*volumes, document, Filename("s.vdb"), {}, {}), std::make_pair(3, 9));
  EXPECT_FALSE(OwnerFrameRange(*cube, document, Filename("x.png"), {}, {}).has_value());

  // Node materials: the texture node's frame ports.
  bx3::Element* material =
      document.InsertElement(bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, "Nodes"));
  brantic::NodeGraph graph(brantic::Id(bx3::kNodeSpaceStandard));
  ASSERT_TRUE(graph
                  .AddNode({*brantic::NodePath::FromText("tex"),
                            brantic::Id("texture"),
                            {{brantic::Id("start"), int64_t{5}}, {brantic::Id("end"), int64_t{8}}}})
                  .HasValue());
  material->SetNodeGraph(std::move(graph));
  EXPECT_EQ(*OwnerFrameRange(*material, document, Filename("n.png"), *brantic::NodePath::FromText("tex"),
                             brantic::Id(bx3::kNodeSpaceStandard)),
            std::make_pair(5, 8));

  EXPECT_FALSE(LookUpTake(document, nullptr, tag, 1025).found);  // no takes at all
  bx3::Element* main = document.InsertElement(bx3::Branch::Takes, std::make_unique<bx3::Take>("Main"));
  auto* alt = static_cast<bx3::Take*>(main->InsertChild(std::make_unique<bx3::Take>("Alt")));
  TakeLookup lookup = LookUpTake(document, nullptr, tag, 1025);
  EXPECT_EQ(lookup.name, "Main");
  EXPECT_FALSE(lookup.isOverride);
  alt->SetOverride(tag, 1025, Filename("other.pc2"));
  lookup = LookUpTake(document, nullptr, tag, 1025);
  EXPECT_EQ(lookup.name, "Alt");
  EXPECT_TRUE(lookup.isOverride);
  EXPECT_EQ(LookUpTake(document, alt, cube, 1).name, "Alt");
}
