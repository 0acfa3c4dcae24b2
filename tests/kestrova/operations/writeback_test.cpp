#include <filesystem>
#include <map>

#include "bx3/assets.h"
#include "bx3/pathchange.h"
#include "bx3/scenefile.h"
#include "collection/kvcollection.h"
#include "kestrova/module_fixture.h"
#include "operations/kvwriteback.h"
#include "support/media_fixtures.h"
#include "support/temp_folder.h"

using namespace kv;
using bx3::Filename;

namespace {

// One element for each way a path is stored.
constexpr const char* kScene = R"({
  "format": "bx3-scene", "version": 1,
  "objects": [
    {"id": 1, "type": "object.light", "name": "Spot", "params": {"90036": {"file": "lights/spot.ies"}}},
    {"id": 2, "type": "object.reference", "name": "Prop", "params": {"1001": {"file": "refs/prop.bx3"}}},
    {"id": 3, "type": "object.null", "name": "Table", "children": [
      {"id": 4, "type": "tag.texturelist", "name": "Decals",
       "params": {"1000": {"file": "tex/decal.png"}, "1001": {"int": 2}}},
      {"id": 5, "type": "track.file", "name": "Track", "params": {"1000": {"file": "media/hum.wav"}}}]},
    {"id": 6, "type": "simulation", "name": "Smoke", "params": {"1001": {"file": "sim/smoke.vdb"}}}
  ],
  "materials": [
    {"id": 10, "type": "material.standard", "name": "Wood", "children": [
      {"id": 11, "type": "shader.bitmap", "name": "Wood color", "params": {"1000": {"file": "tex/wood.jpg"}}},
      {"id": 12, "type": "shader.layer", "name": "Layers", "params": {"1000": {"file": "tex/layer.png"}}}]},
    {"id": 13, "type": "material.standard", "name": "Node wood", "graphs": [
      {"space": "bx3.nodes.standard",
       "nodes": [{"path": "diffuse", "type": "texture", "ports": {"file": {"url": "relative:tex/oak.jpg"}}}]},
      {"space": "bx3.nodes.lumen",
       "nodes": [{"path": "layers/albedo", "type": "texture", "ports": {"file": {"url": "relative:tex/pine.jpg"}}}]}]}
  ],
  "renderSettings": [
    {"id": 20, "type": "render.settings", "name": "Final", "params": {"1100": {"file": "render/final.exr"}}}
  ],
  "effects": [
    {"id": 30, "type": "project.settings", "name": "Project", "params": {"1011": {"file": "env/sky.hdr"}}},
    {"id": 31, "type": "effect.illumcache", "name": "Cache",
     "params": {"1000": {"file": "cache/render_00012.exr"}, "3809": {"int": 0}}},
    {"id": 32, "type": "effect.external", "name": "Exporter", "params": {"1000": {"file": "export/scene.xml"}}}
  ],
  "takes": [
    {"id": 50, "name": "Main"},
    {"id": 51, "name": "Close-up", "parent": 50,
     "overrides": [{"element": 11, "param": 1000, "value": {"file": "tex/marble.exr"}}]}
  ]
})";

class WriteBackTest : public kvtest::ModuleFixture {
 protected:
  void SetUp() override {
    ModuleFixture::SetUp();
    bx3::ClearReceivedPathChanges();
    auto parsed = bx3::ParseDocument(kScene, "scene.bx3");
    ASSERT_TRUE(parsed) << parsed.GetError().Message();
    (*parsed)->SetFilename(Filename(folder_ / "scene.bx3"));
    document_ = bx3::AddDocument(std::move(*parsed));
    saved_ = bx3::SerializeDocument(*document_);
    ASSERT_TRUE(collection_.BuildAssetArray(document_));
  }
  // The row of `key`: an element's name, with "@take" for a row listed from a take's override
  // and "#space" for a node's row (the keys of StoredPaths).
  KvAssetEntry& Row(const std::string& key) {
    for (KvAssetEntry& row : collection_.Rows()) {
      std::string rowKey = row.ownerLink.Resolve(document_)->GetName().Std();
      if (const bx3::Element* take = row.takeLink.Resolve(document_)) rowKey += "@" + take->GetName().Std();
      if (!row.nodeSpace.IsEmpty()) rowKey += "#" + row.nodeSpace.Std();
      if (rowKey == key) return row;
    }
    ADD_FAILURE() << "no row " << key;
    return collection_.Rows().front();
  }
  // Every stored path: element name (with the take of an override) to path.
  std::map<std::string, std::string> StoredPaths() const {
    std::vector<bx3::AssetUse> uses;
    bx3::GetAllAssets(document_, false, Filename(), bx3::kAssetQueryAll, uses);
    std::map<std::string, std::string> stored;
    for (const bx3::AssetUse& use : uses) {
      std::string key = use.element->GetName().Std();
      if (use.take) key += "@" + use.take->GetName().Std();
      if (!use.nodeSpace.IsEmpty()) key += "#" + use.nodeSpace.Std();
      stored[key] = use.file.GetString().Std();
    }
    return stored;
  }

  kvtest::TempFolder folder_;
  bx3::Document* document_ = nullptr;
  std::string saved_;
  KvCollection collection_;
};

TEST_F(WriteBackTest, EveryRowIsWrittenWhereItsPathCameFromAsOneUndoStep) {
  ASSERT_EQ(collection_.Rows().size(), 14u);
  Row("Decals").parameterId = 0;  // the list's first texture, not the one the tag shows
  document_->StartUndo();
  for (KvAssetEntry& row : collection_.Rows()) {
    const Filename path("/new/" + std::string(row.assetPath.GetFileView()));
    EXPECT_EQ(WriteAssetPath(row, path, document_, true, false), kWriteDone) << path.GetString().Std();
    EXPECT_EQ(row.assetPath, path);
  }
  document_->EndUndo();

  const std::map<std::string, std::string> expected{
      {"Spot", "/new/spot.ies"},
      {"Prop", "/new/prop.bx3"},
      {"Decals", "/new/decal.png"},
      {"Track", "/new/hum.wav"},
      {"Smoke", "/new/smoke.vdb"},
      {"Wood color", "/new/wood.jpg"},
      {"Wood color@Close-up", "/new/marble.exr"},
      {"Layers", "/new/layer.png"},
      {"Node wood#bx3.nodes.standard", "/new/oak.jpg"},
      {"Node wood#bx3.nodes.lumen", "/new/pine.jpg"},
      {"Final", "/new/final.exr"},
      {"Project", "/new/sky.hdr"},
      {"Cache", "/new/render_.gi2"},  // stored without suffix and frame number
      {"Exporter", "/new/scene.xml"},
  };
  EXPECT_EQ(StoredPaths(), expected);
  bx3::Element* cache = Row("Cache").ownerLink.Resolve(document_);
  EXPECT_EQ(cache->GetFilename(1000).GetString().Std(), "/new/render_");
  EXPECT_EQ(cache->GetInt32(3809), 1);
  EXPECT_EQ(Row("Decals").ownerLink.Resolve(document_)->GetInt32(1001), 2);  // the shown texture again

  // The two renderers were told and relinked their own paths.
  const auto& received = bx3::GetReceivedPathChanges();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].elementName.Std(), "Node wood");
  EXPECT_EQ(received[0].oldPath.GetString().Std(), "tex/pine.jpg");
  EXPECT_EQ(received[1].elementName.Std(), "Exporter");
  EXPECT_EQ(received[1].relinked, 1);

  // One undo gives the scene back as it was saved.
  EXPECT_EQ(document_->UndoCount(), 1);
  ASSERT_TRUE(document_->Undo());
  EXPECT_EQ(bx3::SerializeDocument(*document_), saved_);
}

TEST_F(WriteBackTest, IlluminationCacheStoresTheNameWithoutSuffixAndFrameNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"/c/render_00012.exr", "/c/render_"},   // five digits: the frame number
      {"/c/shot_1234x.exr", "/c/shot_1234x"},  // the last five are not all digits
      {"/c/take_0012.exr", "/c/take_0012"},    // four digits only
      {"12345.gi2", "12345"},                  // not longer than five characters
      {"/c/scene", "/c/scene"},                // no suffix
  };
  KvAssetEntry& row = Row("Cache");
  for (const auto& [path, stored] : cases) {
    ASSERT_EQ(WriteAssetPath(row, Filename(path), document_, false, false), kWriteDone);
    EXPECT_EQ(row.ownerLink.Resolve(document_)->GetFilename(1000).GetString().Std(), stored) << path;
    EXPECT_EQ(row.assetPath.GetString().Std(), path);
  }
}

TEST_F(WriteBackTest, AnswersWithoutWritingWhenThereIsNothingToWrite) {
  const auto entriesOfOneStep = [&](auto write) {
    const int64_t before = document_->UndoCount();
    document_->StartUndo();
    const int32_t result = write();
    document_->EndUndo();
    EXPECT_EQ(document_->UndoCount(), before + (result == kWriteDone ? 1 : 0));
    return result;
  };
  KvAssetEntry& spot = Row("Spot");
  EXPECT_EQ(WriteAssetPath(spot, Filename("/x/spot.ies"), nullptr, true, false), kWriteFailed);

  // Localizing a path outside the document's folder that the row already has.
  spot.assetPath = Filename("/elsewhere/spot.ies");
  EXPECT_EQ(entriesOfOneStep([&] { return WriteAssetPath(spot, spot.assetPath, document_, true, true); }),
            kWriteUnchanged);
  // Localizing a missing file the row already names by its bare name.
  spot.assetPath = Filename("spot.ies");
  EXPECT_EQ(entriesOfOneStep(
                [&] { return WriteAssetPath(spot, Filename(folder_ / "lights/spot.ies"), document_, true, true); }),
            kWriteAlreadyLocal);
  EXPECT_EQ(spot.assetPath.GetString().Std(), "spot.ies");
  EXPECT_EQ(bx3::SerializeDocument(*document_), saved_);

  // Without the add-undo flag the write adds no entry.
  EXPECT_EQ(entriesOfOneStep([&] {
              WriteAssetPath(spot, Filename("/x/spot.ies"), document_, false, false);
              return kWriteFailed;
            }),
            kWriteFailed);
  EXPECT_EQ(spot.ownerLink.Resolve(document_)->GetFilename(90036).GetString().Std(), "/x/spot.ies");
}

TEST_F(WriteBackTest, LocalizeStoresAPathInsideTheDocumentFolderRelativeToIt) {
  kvtest::WriteBytes(folder_ / "lights/ies/spot.ies", "IESNA:LM-63-2002\n");
  KvAssetEntry& spot = Row("Spot");
  ASSERT_EQ(WriteAssetPath(spot, Filename(folder_ / "lights/ies/spot.ies"), document_, false, true), kWriteDone);
  EXPECT_EQ(spot.assetPath.GetString().Std(), "lights/ies/spot.ies");
  EXPECT_EQ(spot.ownerLink.Resolve(document_)->GetFilename(90036).GetString().Std(), "lights/ies/spot.ies");
}

TEST_F(WriteBackTest, AFailedNodeWriteLeavesTheRowAndTheScene) {
  KvAssetEntry& node = Row("Node wood#bx3.nodes.standard");
  // The node went away after the rows were made.
  bx3::Element* material = node.ownerLink.Resolve(document_);
  material->SetNodeGraph(brantic::NodeGraph(node.nodeSpace));
  const std::string before = bx3::SerializeDocument(*document_);
  const KvAssetEntry unchanged = node;
  EXPECT_EQ(WriteAssetPath(node, Filename("/new/oak.jpg"), document_, true, false), kWriteFailed);
  EXPECT_EQ(node, unchanged);
  EXPECT_EQ(bx3::SerializeDocument(*document_), before);
}

}  // namespace
