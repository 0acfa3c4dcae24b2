#include <gtest/gtest.h>

#include "brantic/jobs.h"
#include "bx3/document.h"
#include "collection/kvassetentry.h"

using namespace kv;

namespace {

KvAssetEntry FilledEntry(const bx3::Element* owner, const bx3::Element* main) {
  KvAssetEntry entry;
  entry.assetPath = bx3::Filename("tex/wood_0001.png");
  entry.sequenceStart = 1;
  entry.sequenceEnd = 24;
  entry.frameDigitsPos = 5;
  entry.frameDigitsLen = 4;
  entry.ownerLink.Set(owner);
  entry.ownerMainLink.Set(main);
  entry.nodePath = *brantic::NodePath::FromText("group/tex1");
  entry.nodeSpace = brantic::Id("kv.space");
  entry.resolveResult = kResolveFound;
  entry.parameterId = 3;
  entry.hostDescId = bx3::DescId(bx3::DescLevel{1000, bx3::kDataTypeFilename, 5833});
  entry.resolvedPath = brantic::String("/proj/tex/wood_0001.png");
  entry.resolvedUrl = brantic::Url::FromSystemPath("/proj/tex/wood_0001.png");
  entry.formatText = brantic::String("PNG");
  entry.resolutionX = 1920;
  entry.resolutionY = 1080;
  entry.relinkCandidates = {{brantic::String("/a/wood.png"), kCandidateChosen}};
  entry.selected = 1;
  return entry;
}

TEST(AssetEntryTest, CopiesShareStringsAndPointAtTheSameElements) {
  bx3::Document document;
  bx3::Element* material =
      document.InsertElement(bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, "Wood"));
  bx3::Element* shader = material->InsertChild(bx3::CreateElement(bx3::type::kBitmapShader, "Color"));
  const KvAssetEntry entry = FilledEntry(shader, material);

  KvAssetEntry copy = entry;
  EXPECT_EQ(copy, entry);
  EXPECT_EQ(copy.ownerLink.Resolve(&document), shader);
  EXPECT_EQ(copy.ownerMainLink.Resolve(&document), material);
  EXPECT_EQ(copy.resolvedPath.View().data(), entry.resolvedPath.View().data());  // shared, not copied

  // A row copied into a worker job and handed back compares equal field by field.
  auto queue = brantic::JobQueue::Create("rows", 1);
  auto job = brantic::ClosureJob<KvAssetEntry>::Create([copy] { return copy; });
  ASSERT_TRUE((*queue)->Enqueue(*job).HasValue());
  (*job)->Wait();
  KvAssetEntry back;
  back = *(*job)->GetResult();
  EXPECT_EQ(back, entry);

  // After the element is gone a copy still copies; its links resolve to nothing.
  material->Remove();
  const KvAssetEntry late = entry;
  EXPECT_EQ(late, entry);
  EXPECT_EQ(late.ownerLink.Resolve(&document), nullptr);
  EXPECT_EQ(late.ownerMainLink.Resolve(&document), nullptr);
  EXPECT_EQ(late.resolvedPath, "/proj/tex/wood_0001.png");

  KvAssetEntry changed = entry;
  changed.relinkCandidates[0].flags = 0;
  EXPECT_FALSE(changed == entry);
}

}  // namespace
