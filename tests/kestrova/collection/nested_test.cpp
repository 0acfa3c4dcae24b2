// Files inside files: a referenced scene's uses, an OBJ's library and its maps, a glTF's
// images and buffers are rows of their own, read once, never written.

#include "bx3/modal.h"
#include "bx3/scenefile.h"
#include "bx3/types.h"
#include "collection/kvscenewalk.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "operations/kvwritepass.h"
#include "preview/kvinfotext.h"
#include "view/kvcelltext.h"

using namespace kv;
using bx3::Filename;

namespace {

using kvtest::ReadBytes;

class NestedTest : public kvtest::InspectorFixture {
 protected:
  void SetUp() override {
    InspectorFixture::SetUp();
    std::filesystem::create_directories(folder_ / "models/textures");
    // A referenced scene with one present and one missing texture and a reference back.
    kvtest::WriteBytes(folder_ / "refs/prop.bx3", R"({"format": "bx3-scene", "version": 1, "document": {"name": "Prop"},
      "objects": [{"id": 1, "type": "object.reference", "name": "Back", "params": {"1001": {"file": "../scene.bx3"}}}],
      "materials": [
        {"id": 2, "type": "material.standard", "name": "Wood", "children": [{"id": 3, "type": "shader.bitmap",
          "name": "c", "params": {"1000": {"file": "tex/wood.png"}}}]},
        {"id": 4, "type": "material.standard", "name": "Gone", "children": [{"id": 5, "type": "shader.bitmap",
          "name": "c", "params": {"1000": {"file": "tex/prop_gone.png"}}}]}]})");
    kvtest::WriteBytes(folder_ / "refs/tex/wood.png", "x");
    kvtest::WriteBytes(folder_ / "models/crate.obj", "mtllib crate.mtl\nv 0 0 0\n");
    kvtest::WriteBytes(folder_ / "models/crate.mtl",
                       "newmtl crate\nmap_Kd -bm 1.0 .\\crate_diffuse.jpg\nbump textures/crate_bump.png\n");
    kvtest::WriteBytes(folder_ / "models/crate_diffuse.jpg", "x");
    kvtest::WriteBytes(folder_ / "models/box.gltf",
                       R"({"images": [{"uri": "box%20color.png"}, {"uri": "data:image/png;base64,AA=="}],
                          "buffers": [{"uri": "box.bin"}]})");
    kvtest::WriteBytes(folder_ / "models/box.bin", "x");
    kvtest::WriteBytes(folder_ / "models/broken.gltf", "{\"images\": [");
    for (const auto& [name, file] : {std::pair{"Prop", "refs/prop.bx3"},
                                     {"Crate", "models/crate.obj"},
                                     {"Box", "models/box.gltf"},
                                     {"Broken", "models/broken.gltf"}}) {
      document_->InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kReferenceObject, name))
          ->SetParameter(bx3::param::kReferenceFile, Filename(file));
    }
    // On disk, so that the way back to it is found.
    ASSERT_TRUE(bx3::SaveDocument(*document_, folder_ / "scene.bx3").HasValue());
  }
  const KvAssetEntry* RowOf(const std::string& file) {
    for (const KvAssetEntry& row : Collection().Rows()) {
      if (row.assetPath.GetFileView() == file) return &row;
    }
    ADD_FAILURE() << "no row of " << file;
    return nullptr;
  }
};

TEST_F(NestedTest, UsesInsideFilesAreRowsWithTheirWayAndStatus) {
  OpenSettled();
  struct Case {
    const char* file;
    const char* path;  // below the scene's folder
    bool found;
    const char* via;
    int depth;
  };
  for (const Case& c :
       {Case{"wood.png", "refs/tex/wood.png", true, "refs/prop.bx3", 1},
        Case{"prop_gone.png", "refs/tex/prop_gone.png", false, "refs/prop.bx3", 1},
        Case{"scene.bx3", "scene.bx3", true, "refs/prop.bx3", 1},
        Case{"crate.mtl", "models/crate.mtl", true, "models/crate.obj", 1},
        Case{"crate_diffuse.jpg", "models/crate_diffuse.jpg", true, "models/crate.obj \u203a crate.mtl", 2},
        Case{"crate_bump.png", "models/textures/crate_bump.png", false, "models/crate.obj \u203a crate.mtl", 2},
        Case{"box color.png", "models/box color.png", false, "models/box.gltf", 1},
        Case{"box.bin", "models/box.bin", true, "models/box.gltf", 1}}) {
    const KvAssetEntry* row = RowOf(c.file);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->assetPath.GetString().Std(), folder_ / c.path) << c.file;
    EXPECT_EQ(!row->IsMissing(), c.found) << c.file;
    EXPECT_EQ(row->via.Std(), c.via) << c.file;
    EXPECT_EQ(row->depth, c.depth) << c.file;
    EXPECT_NE(BuildAssetInfoText(*row, kGroupNone).Std().find(std::string("Via: ") + c.via), std::string::npos);
    EXPECT_EQ(CellText(document_, row, column::kVia, CellPlace{-1, 0, kGroupNone, false}).Std(), c.via);
  }
  // No row for what a glTF holds inside itself; the way back to the scene ends there, once.
  for (const KvAssetEntry& row : Collection().Rows()) EXPECT_FALSE(row.assetPath.View().starts_with("data:"));
  EXPECT_EQ(RowOf("scene.bx3")->nestedNote.Std(), "Refers back to " + (folder_ / "scene.bx3") + " (not entered again)");
  EXPECT_THAT(RowOf("broken.gltf")->nestedNote.Std(), testing::HasSubstr("could not be read: not glTF: line 1"));
}

TEST_F(NestedTest, NoWriteChangesAFileInsideAnother) {
  OpenSettled();
  const std::vector<std::string> nestedFiles = {folder_ / "refs/prop.bx3", folder_ / "models/crate.obj",
                                                folder_ / "models/crate.mtl", folder_ / "models/box.gltf"};
  std::vector<std::string> before;
  for (const std::string& file : nestedFiles) before.push_back(ReadBytes(file));
  const std::string scene = bx3::SerializeDocument(*document_);
  // Make Absolute, Make Relative and Clear of every row: the scene's own uses change, the
  // nested ones are left alone and counted.
  for (KvAssetEntry& row : Collection().Rows()) View().Selection().Set(row, row.IsNested());
  ASSERT_TRUE(Kv_GlobalizeCommand(&dialog_).Execute(document_, nullptr));
  ASSERT_TRUE(Kv_LocalizeCommand(&dialog_).Execute(document_, nullptr));
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("uses inside other files are read-only: left alone"));
  // Relink does not look for them, and says so.
  dialog_.RelinkTextures(Filename(folder_.Path()));
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("8 uses inside other files are read-only: left alone"));
  {
    KvWritePass pass(*document_);
    for (KvAssetEntry& row : Collection().Rows()) {
      if (row.IsNested()) {
        EXPECT_EQ(pass.Write(row, Filename("/elsewhere/x.png")), kWriteReadOnly);
      }
    }
    for (const KvAssetEntry& row : Collection().Rows()) {
      if (row.IsNested()) pass.Clear(row);
    }
    EXPECT_EQ(pass.GetCounts().changed, 0);
    EXPECT_EQ(pass.GetCounts().readOnly, 16);  // eight nested rows, written and cleared
  }
  (void)KvWritePass::TakeEnded();
  EXPECT_EQ(bx3::SerializeDocument(*document_), scene);
  for (size_t i = 0; i < nestedFiles.size(); ++i) EXPECT_EQ(ReadBytes(nestedFiles[i]), before[i]) << nestedFiles[i];
}

TEST(AnchoredPath, RelativePathsGoBelowTheFileThatWritesThem) {
  for (const auto& [written, anchored] : {std::pair{".\\crate_diffuse.jpg", "/p/models/crate_diffuse.jpg"},
                                          {"..\\tex\\a.png", "/p/tex/a.png"},
                                          {"textures/b.png", "/p/models/textures/b.png"},
                                          {"./a/../b/./c.png", "/p/models/b/c.png"},
                                          {"../../../../x.png", "/x.png"},
                                          {"/abs/c.png", "/abs/c.png"},
                                          {"$PROJECT/tex/d.png", "$PROJECT/tex/d.png"},
                                          {"P:\\proj\\e.png", "P:\\proj\\e.png"},
                                          {"\\\\server\\share\\f.png", "\\\\server\\share\\f.png"},
                                          {"~/g.png", "~/g.png"}}) {
    EXPECT_EQ(AnchoredPath(written, "/p/models"), anchored) << written;
  }
}

// Collect Files into a new folder, then the originals moved away: the collected scene still
// finds every file inside its files that existed.
TEST_F(NestedTest, CollectedFilesTakeTheFilesInsideThemAlong) {
  OpenSettled();
  std::filesystem::create_directories(folder_ / "out");
  document_->SetFilename(Filename(folder_ / "out/scene.bx3"));
  for (KvAssetEntry& row : Collection().Rows()) {
    const std::string_view file = row.assetPath.GetFileView();
    View().Selection().Set(row, file == "prop.bx3" || file == "crate.obj" || file == "box.gltf");
  }
  bx3::QueueMessageAnswer(bx3::kAnswerYes);  // copy the files next to the scene
  ASSERT_TRUE(Kv_ConsolidateCommand(&dialog_).Execute(document_, nullptr));
  FinishJobs();
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0);  // nothing missing inside was asked for, but named
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("3 files inside collected files missing: "));
  ASSERT_TRUE(bx3::SaveDocument(*document_, folder_ / "out/scene.bx3").HasValue());
  std::filesystem::rename(folder_ / "refs", folder_ / "refs_away");
  std::filesystem::rename(folder_ / "models", folder_ / "models_away");

  auto collected = bx3::LoadDocument(folder_ / "out/scene.bx3");
  ASSERT_TRUE(collected.HasValue());
  bx3::CloseAllDocuments();
  document_ = bx3::AddDocument(std::move(*collected));
  dialog_.RefreshAssets();
  FinishJobs();
  for (const auto& [file, found] : {std::pair{"prop.bx3", true},
                                    {"wood.png", true},
                                    {"prop_gone.png", false},
                                    {"crate.obj", true},
                                    {"crate.mtl", true},
                                    {"crate_diffuse.jpg", true},
                                    {"crate_bump.png", false},
                                    {"box.gltf", true},
                                    {"box.bin", true}}) {
    const KvAssetEntry* row = RowOf(file);
    ASSERT_NE(row, nullptr) << file;
    EXPECT_EQ(!row->IsMissing(), found) << file << " " << row->assetPath.GetString().Std();
    EXPECT_TRUE(row->assetPath.GetString().Std().starts_with(folder_ / "out") || !row->IsNested()) << file;
  }
}

}  // namespace
