#include "kestrova/module_fixture.h"
#include "view/kvcelltext.h"
#include "view/kvviewsettings.h"

using namespace kv;

namespace {

using CellTextTest = kvtest::ModuleFixture;

TEST_F(CellTextTest, SequenceNames) {
  struct Case {
    const char* file;
    int32_t first, last, position, length;
    const char* expected;
  };
  const Case cases[] = {
      {"wall_0001.png", 1, 120, 5, 4, "wall_[0001-0120].png"},
      {"tex_0010.png", 10, 20, 4, 4, "tex_[0010-0020].png"},
      {"frame7.exr", 7, 9, 5, 1, "frame[7-9].exr"},
      {"noframes.png", 1, 5, -1, 0, "noframes.png"},    // no digit run: the name stays
      {"clip_0001.mov", 1, 50, 5, 4, "clip_0001.mov"},  // movies keep their name
      {"big_99.png", 99, 1000, 4, 2, "big_[99-1000].png"},
  };
  for (const Case& c : cases) {
    KvAssetEntry row = Row(c.file);
    row.sequenceStart = c.first;
    row.sequenceEnd = c.last;
    row.frameDigitsPos = c.position;
    row.frameDigitsLen = c.length;
    EXPECT_EQ(AssetNameText(row), c.expected) << c.file;
  }
  // A single frame is no sequence.
  KvAssetEntry single = Row("wall_0001.png");
  single.frameDigitsPos = 5;
  single.frameDigitsLen = 4;
  EXPECT_EQ(AssetNameText(single), "wall_0001.png");
  EXPECT_EQ(AssetNameText(Row("")), GetResourceString(res::kNoFileName));
}

TEST_F(CellTextTest, ResolutionSizeFormatAndStatus) {
  KvAssetEntry row = Row("tex/a.png");
  const CellPlace flat{-1, 0, kGroupNone, false};
  for (const auto& [x, y, text] : std::vector<std::tuple<int64_t, int64_t, const char*>>{
           {0, 0, "-"}, {640, 0, "-"}, {0, 480, "-"}, {640, 480, "640 x 480"}, {1, 1, "1 x 1"}}) {
    row.resolutionX = x;
    row.resolutionY = y;
    EXPECT_EQ(CellText(nullptr, &row, column::kResolution, flat), text);
  }
  row.fileSize = 0;
  EXPECT_EQ(CellText(nullptr, &row, column::kSize, flat), brantic::MemorySizeToText(0, false));
  row.fileSize = 2'500'000;
  EXPECT_EQ(CellText(nullptr, &row, column::kSize, flat), brantic::MemorySizeToText(2'500'000, false));

  // The format falls back to the name the readers give the suffix, then to "none".
  EXPECT_EQ(CellText(nullptr, &row, column::kFormat, flat), "PNG");
  row.formatText = brantic::String("Portable");
  EXPECT_EQ(CellText(nullptr, &row, column::kFormat, flat), "Portable");
  KvAssetEntry bare = Row("tex/noSuffix");
  EXPECT_EQ(CellText(nullptr, &bare, column::kFormat, flat), GetResourceString(res::kNone));

  const int32_t statusResources[] = {10121, 10123, 10124, 10241, 10122, res::kStatusUnreachable, res::kNone};
  for (int32_t code = 0; code <= 6; ++code) {
    row.resolveResult = code;
    EXPECT_EQ(CellText(nullptr, &row, column::kStatus, flat), GetResourceString(statusResources[code]));
  }
  EXPECT_EQ(CellText(nullptr, nullptr, column::kAsset, flat), GetResourceString(res::kNone));
  EXPECT_EQ(CellText(nullptr, &row, bx3::FourCC("zzzz"), flat), GetResourceString(res::kNone));
}

TEST_F(CellTextTest, GroupDecorationAndUndecoratedTexts) {
  KvAssetEntry row = Row("tex/wood.jpg");
  row.takeName = brantic::String("Main");
  const CellPlace groupRow{-1, 5, kGroupByAsset, false};
  const CellPlace member{2, 5, kGroupByAsset, false};
  const CellPlace undecorated{-1, 5, kGroupByAsset, true};
  const CellPlace single{-1, 1, kGroupByAsset, false};
  EXPECT_EQ(CellText(nullptr, &row, column::kAsset, groupRow), "wood.jpg (5)");
  EXPECT_EQ(CellText(nullptr, &row, column::kAsset, member), "   wood.jpg");
  EXPECT_EQ(CellText(nullptr, &row, column::kAsset, undecorated), "wood.jpg");
  EXPECT_EQ(CellText(nullptr, &row, column::kAsset, single), "wood.jpg");
  // Only the grouping column is decorated; a group row leaves the member-only columns empty.
  EXPECT_EQ(CellText(nullptr, &row, column::kPath, groupRow), "tex/wood.jpg");
  EXPECT_EQ(CellText(nullptr, &row, column::kTake, groupRow), "");
  EXPECT_EQ(CellText(nullptr, &row, column::kTake, member), "Main");

  const CellPlace byType{-1, 3, kGroupByAssetType, false};
  row.assetType = ASSETTYPE_IMAGE;
  EXPECT_EQ(CellText(nullptr, &row, column::kAssetType, byType), GetResourceString(res::kTypeImage).Std() + " (3)");
  EXPECT_EQ(CellText(nullptr, &row, column::kAsset, byType), "");
  const CellPlace byFormat{-1, 3, kGroupByFormat, false};
  EXPECT_EQ(CellText(nullptr, &row, column::kAssetType, byFormat), GetResourceString(res::kTypeImage));

  // Sequences read as sequences only in the undecorated form.
  row.sequenceStart = 1;
  row.sequenceEnd = 4;
  const CellPlace plain{-1, 0, kGroupNone, false};
  const CellPlace plainUndecorated{-1, 0, kGroupNone, true};
  EXPECT_EQ(CellText(nullptr, &row, column::kAssetType, plain), GetResourceString(res::kTypeImage));
  EXPECT_EQ(CellText(nullptr, &row, column::kAssetType, plainUndecorated), GetResourceString(res::kTypeImageSequence));
}

TEST_F(CellTextTest, LinksThatNoLongerResolveFallBack) {
  bx3::InitializeHost();
  bx3::Document document;
  bx3::Element* material =
      document.InsertElement(bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, "Wood"));
  bx3::Element* shader = material->InsertChild(bx3::CreateElement(bx3::type::kBitmapShader, "Grain"));
  KvAssetEntry row = Row("tex/wood.jpg");
  row.ownerLink.Set(shader);
  row.ownerMainLink.Set(material);
  row.parameterId = 0;
  row.hostDescId = bx3::DescId(bx3::DescLevel{bx3::param::kBitmapFile, 0, 0});
  const CellPlace flat{-1, 0, kGroupNone, false};
  EXPECT_EQ(CellText(&document, &row, column::kElement, flat), "Wood");
  EXPECT_EQ(CellText(&document, &row, column::kBreadcrumb, flat).Std().rfind("Color/Wood/Grain/", 0), 0u);
  row.parameterId = 40;
  EXPECT_EQ(CellText(&document, &row, column::kBreadcrumb, flat).Std().rfind("Other/", 0), 0u);

  material->Remove();  // the links now point at nothing
  EXPECT_EQ(CellText(&document, &row, column::kElement, flat), GetResourceString(res::kNone));
  EXPECT_EQ(CellText(&document, &row, column::kLayer, flat), GetResourceString(res::kNoLayer));
  EXPECT_EQ(CellText(&document, &row, column::kBreadcrumb, flat), "Other/");
  EXPECT_EQ(CellText(&document, &row, column::kNodeSpace, flat), "-");
  EXPECT_EQ(CellText(&document, &row, column::kTake, flat), GetResourceString(res::kNone));
}

}  // namespace
