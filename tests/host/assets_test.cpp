#include <gtest/gtest.h>

#include <algorithm>

#include "bx3/assets.h"
#include "bx3/host.h"
#include "test_scene.h"

using namespace bx3;

TEST(AssetQueryTest, OneRecordPerUseInStableOrder) {
  fixtures::TestScene scene;
  scene.document->SetParameter(1010, Filename("audio/theme.wav"));
  std::vector<AssetUse> uses;
  ASSERT_TRUE(GetAllAssets(scene.document.get(), false, Filename(), kAssetQueryAll, uses));
  struct Expected {
    const char* file;
    Element* element;
    int32_t channel, parameterId;
    bool flag;
  };
  const Expected expected[] = {
      {"audio/theme.wav", nullptr, 1010, -1, false},
      {"cache/cube.pc2", scene.cacheTag, 1025, -1, false},
      {"tex/wood.jpg", scene.bitmap, param::kBitmapFile, 0, false},
      {"/maps/bark.exr", scene.material, 0, -1, false},
      {"render/final.exr", scene.settings, param::kRenderOutputFile, -1, true},
      {"tex/wood_close.jpg", scene.bitmap, param::kBitmapFile, 0, false},
  };
  ASSERT_EQ(uses.size(), std::size(expected));
  for (size_t i = 0; i < uses.size(); ++i) {
    EXPECT_EQ(uses[i].file.GetString(), expected[i].file) << i;
    EXPECT_EQ(uses[i].element, expected[i].element) << i;
    EXPECT_EQ(uses[i].channelId, expected[i].channel) << i;
    EXPECT_EQ(uses[i].parameterId, expected[i].parameterId) << i;
    EXPECT_EQ(uses[i].flag, expected[i].flag) << i;
  }
  EXPECT_EQ(uses[3].nodePath.Text(), "tex1");
  EXPECT_EQ(uses[3].nodeSpace, "test.space");
  EXPECT_EQ(uses[5].take, scene.closeUp);
  EXPECT_EQ(uses[2].take, nullptr);

  // Without the optional parts only the plain parameters are listed.
  ASSERT_TRUE(GetAllAssets(scene.document.get(), false, Filename(), 0, uses));
  EXPECT_EQ(uses.size(), 3u);
  EXPECT_FALSE(GetAllAssets(nullptr, false, Filename(), kAssetQueryAll, uses));
}

TEST(ElementTest, MainElementsTypesAndDescriptions) {
  fixtures::TestScene scene;
  EXPECT_EQ(scene.cacheTag->GetMain(), scene.cube);
  EXPECT_EQ(scene.bitmap->GetMain(), scene.material);
  EXPECT_EQ(scene.cube->GetMain(), nullptr);
  EXPECT_TRUE(scene.bitmap->IsInstanceOf(type::kShaderBase));
  EXPECT_TRUE(scene.material->IsInstanceOf(type::kMaterialBase));
  EXPECT_FALSE(scene.material->IsInstanceOf(type::kObjectBase));
  DescId id(DescLevel{param::kBitmapFile});
  ASSERT_TRUE(CompleteDescId(type::kBitmapShader, id));
  EXPECT_EQ(id[0].dataType, kDataTypeFilename);
  EXPECT_EQ(id[0].creator, type::kBitmapShader);
  DescId unknown(DescLevel{4242});
  EXPECT_FALSE(CompleteDescId(type::kBitmapShader, unknown));
  EXPECT_EQ(CreateElement(type::kDocument), nullptr);
  EXPECT_EQ(CreateElement(12345), nullptr);
  // Every type the host lists has a unique id and name, and its base is known.
  for (const TypeInfo& info : GetTypes()) {
    EXPECT_EQ(FindType(info.id), &info);
    EXPECT_EQ(FindTypeByName(info.name), &info);
    if (info.base) {
      EXPECT_NE(FindType(info.base), nullptr) << info.name;
    }
  }
}

TEST(AssetQueryTest, TheIlluminationCacheListsItsFileWithItsSuffix) {
  fixtures::TestScene scene;
  Element* cache =
      scene.document->InsertElement(Branch::SceneEffects, CreateElement(type::kIlluminationCacheEffect, "Cache"));
  const std::pair<const char*, const char*> cases[] = {
      {"/c/scene", "/c/scene.gi2"}, {"/c/scene.gi2", "/c/scene.gi2"}, {"/c/render_", "/c/render_.gi2"}};
  for (const auto& [stored, listed] : cases) {
    cache->SetParameter(1000, Filename(stored));
    std::vector<AssetUse> uses;
    ASSERT_TRUE(GetAllAssets(scene.document.get(), false, Filename(), kAssetQueryAll, uses));
    const auto use = std::find_if(uses.begin(), uses.end(), [&](const AssetUse& u) { return u.element == cache; });
    ASSERT_NE(use, uses.end());
    EXPECT_EQ(use->file.GetString(), listed);
  }
}

TEST(PathTest, DocumentLocationsAreTheDocumentFolderAndBelow) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"/doc/tex/a.png", "/doc", true}, {"/doc/a.png", "/doc/", true},     {"/doc/../x/a.png", "/doc", false},
      {"/docs/a.png", "/doc", false},   {"tex/a.png", "/doc", false},      {"/doc/a.png", "", false},
      {"/doc", "/doc", false},          {"/doc/a/../b.png", "/doc", true},
  };
  for (const auto& [path, folder, inside] : cases) {
    EXPECT_EQ(IsInDocumentLocations(Filename(path), Filename(folder)), inside) << path << " in " << folder;
  }
}
