#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/modal.h"
#include "bx3/scenefile.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "operations/kvglobalize.h"
#include "operations/kvlocalize.h"

using namespace kv;
using bx3::Filename;

namespace {

TEST(GlobalizeMarkTest, MarksTheSelectedRowsInViewThatCanBeMadeAbsolute) {
  struct Case {
    const char *assetPath, *resolvedPath;
    int32_t resolveResult;
    bool selected, listed;
    const char* marked;  // the path it is written with; null: left alone
  };
  const Case cases[] = {
      {"tex/a.png", "/lib/tex/a.png", kResolveFound, true, true, "/lib/tex/a.png"},  // exactly as found
      {"/old/b.png", "/lib/b.png", kResolveFoundByName, true, true, "/lib/b.png"},
      {"tex/gone.png", "", kResolveMissing, true, true, "/doc/tex/gone.png"},  // joined, though still missing
      {"/old/gone.png", "", kResolveMissing, true, true, nullptr},             // absolute and missing
      {"gone.png", "", kResolveMissing, true, true, "gone.png"},               // a bare name stays
      {"tex/a.png", "/lib/tex/a.png", kResolveFound, false, true, nullptr},    // not selected
      {"tex/a.png", "/lib/tex/a.png", kResolveFound, true, false, nullptr},    // filtered out
  };
  bx3::Document document;
  document.SetFilename(Filename("/doc/scene.bx3"));
  std::vector<KvAssetEntry> rows;
  std::vector<int64_t> listed;
  for (const Case& c : cases) {
    KvAssetEntry& row = rows.emplace_back();
    row.assetPath = Filename(c.assetPath);
    row.resolvedPath = brantic::String(c.resolvedPath);
    row.resolveResult = c.resolveResult;
    row.selected = c.selected;
    if (c.listed) listed.push_back(int64_t(rows.size() - 1));
  }
  const std::vector<KvPathMark> marks = MarkRowsToGlobalize(rows, listed, &document);
  size_t next = 0;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const bool marked = next < marks.size() && marks[next].row == i;
    EXPECT_EQ(marked, cases[i].marked != nullptr) << "row " << i;
    EXPECT_EQ(rows[i].hasNewPath, marked ? 1 : 0) << "row " << i;
    EXPECT_EQ(rows[i].assetPath.GetString().Std(), cases[i].assetPath) << "the rows keep their paths until written";
    if (marked) {
      EXPECT_EQ(marks[next++].path.GetString().Std(), cases[i].marked) << "row " << i;
    }
  }
  // Without a document, a missing relative path has no folder to be joined to.
  for (KvAssetEntry& row : rows) row.hasNewPath = 0;
  EXPECT_EQ(MarkRowsToGlobalize(rows, listed, nullptr).size(), marks.size() - 1);
}

class GlobalizeTest : public kvtest::InspectorFixture {
 protected:
  bool Run() { return Kv_GlobalizeCommand(&dialog_).Execute(document_, nullptr); }
  std::vector<std::string> StoredPaths() const {
    std::vector<std::string> paths;
    for (size_t material = 0; material < materials_.size(); ++material) paths.push_back(StoredPath(material));
    return paths;
  }
};

TEST_F(GlobalizeTest, WritesTheSelectedPathsAsOneUndoStepAndLocalizeWritesThemBack) {
  Open();
  // Nothing selected: greyed; run anyway, nothing is written and the host is still updated.
  EXPECT_EQ(Kv_GlobalizeCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdDisabled);
  int64_t updates = bx3::GeneralUpdateCount();
  EXPECT_TRUE(Run());
  EXPECT_EQ(bx3::GeneralUpdateCount(), updates + 1);
  EXPECT_EQ(document_->UndoCount(), 0);

  ASSERT_TRUE(Kv_SelectAllCommand(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(Kv_GlobalizeCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdEnabled);
  std::vector<int32_t> pointers;
  bx3::SetMousePointerHandler([&](int32_t pointer) { pointers.push_back(pointer); });
  const std::vector<std::string> before = StoredPaths();
  updates = bx3::GeneralUpdateCount();
  ASSERT_TRUE(Run());
  bx3::SetMousePointerHandler(nullptr);
  const std::string a = folder_ / "tex/a.png";
  const std::vector<std::string> absolute = {a, a, a, folder_ / "tex/b.png", folder_ / "tex/gone.png"};
  EXPECT_EQ(StoredPaths(), absolute);
  EXPECT_EQ(bx3::GeneralUpdateCount(), updates + 1);
  EXPECT_EQ(pointers, (std::vector<int32_t>{bx3::kMousePointerBusy, bx3::kMousePointerNormal}));
  for (const KvAssetEntry& row : Collection().Rows()) {
    EXPECT_TRUE(row.assetPath.IsAbsolute());
    EXPECT_EQ(row.hasNewPath, 0);
  }
  EXPECT_EQ(Collection().MissingCount(), 1);
  EXPECT_EQ(document_->UndoCount(), 1);

  // Localize writes them back below the scene's folder, as a second step.
  FinishJobs();
  ASSERT_TRUE(Kv_SelectAllCommand(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(Kv_LocalizeCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdEnabled);
  ASSERT_TRUE(Kv_LocalizeCommand(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(StoredPaths(), before);
  EXPECT_EQ(document_->UndoCount(), 2);
  ASSERT_TRUE(document_->Undo());
  EXPECT_EQ(StoredPaths(), absolute);
  ASSERT_TRUE(document_->Undo());
  EXPECT_EQ(StoredPaths(), before);
}

TEST_F(GlobalizeTest, WithoutTheRowsDocumentNothingIsWrittenAndTheRowsStay) {
  Open();
  ASSERT_TRUE(Kv_SelectAllCommand(&dialog_).Execute(document_, nullptr));
  const std::vector<KvAssetEntry> rows = Collection().Rows();
  const std::vector<std::string> before = StoredPaths();
  Collection().SetActiveDocument(nullptr);
  EXPECT_FALSE(Run());
  EXPECT_EQ(Collection().Rows(), rows);
  EXPECT_EQ(StoredPaths(), before);
}

TEST_F(GlobalizeTest, GroupedByAssetTheGroupsFollowTheNewPaths) {
  // Two spellings of one file: two groups until both are written as the file they resolve to.
  materials_[1]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename("tex/../tex/a.png"));
  Open();
  dialog_.SetGroupMode(kGroupByAsset);
  dialog_.RegroupAndShow();
  ASSERT_TRUE(Kv_SelectAllCommand(&dialog_).Execute(document_, nullptr));
  ASSERT_EQ(View().Lists().viewGroups.size(), 4u);
  ASSERT_TRUE(Run());
  EXPECT_EQ(View().Lists().viewGroups.size(), 3u);
}

TEST(LocalizeMarkTest, PathsBecomeLocalToTheDocumentFolder) {
  kvtest::TempFolder folder;
  kvtest::WriteBytes(folder / "maps/in.png", "x");
  kvtest::TempFolder elsewhere;
  kvtest::WriteBytes(elsewhere / "out.png", "x");
  bx3::Document document;
  document.SetFilename(Filename(folder / "scene.bx3"));
  bx3::Element* volume =
      document.InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kVolumeSequenceObject, "Smoke"));
  struct Case {
    std::string path;
    int32_t resolveResult;
    uint32_t assetType;
    bool selected;
    const char* local;  // null: left alone
    bool output = false;
  };
  const Case cases[] = {
      {folder / "maps/in.png", kResolveFound, ASSETTYPE_IMAGE, true, "maps/in.png"},
      {elsewhere / "out.png", kResolveFound, ASSETTYPE_IMAGE, true, nullptr},  // outside the folder
      {"/gone/by_name.png", kResolveFoundByName, ASSETTYPE_IMAGE, true, "by_name.png"},
      {"maps/in.png", kResolveFound, ASSETTYPE_IMAGE, true, nullptr},  // relative already
      {"/old/wood.jpg", kResolveMissing, ASSETTYPE_IMAGE, true, "tex/wood.jpg"},
      {"/old/smoke.vdb", kResolveMissing, ASSETTYPE_CACHE, true, "vol/Smoke/smoke.vdb"},
      {"/old/data.bin", kResolveMissing, ASSETTYPE_OTHER, true, "data.bin"},
      {"../up/wood.jpg", kResolveMissing, ASSETTYPE_IMAGE, true, "tex/wood.jpg"},  // leads out of the folder
      {"gone.png", kResolveMissing, ASSETTYPE_IMAGE, true, nullptr},               // a bare name
      {"/old/wood.jpg", kResolveMissing, ASSETTYPE_IMAGE, false, nullptr},
      // What used to go wrong: a missing file inside the folder was moved under tex/, and
      // files a renderer writes were moved, which changes where it writes them.
      {folder / "render/final.exr", kResolveMissing, ASSETTYPE_IMAGE, true, "render/final.exr", true},
      {folder / "maps/gone.png", kResolveMissing, ASSETTYPE_IMAGE, true, "maps/gone.png"},
      {"old/wood.jpg", kResolveMissing, ASSETTYPE_IMAGE, true, nullptr},
      {"/out/final.exr", kResolveMissing, ASSETTYPE_IMAGE, true, nullptr, true},
      {"/old/scene.gi2", kResolveMissing, ASSETTYPE_CACHE, true, nullptr},
  };
  std::vector<KvAssetEntry> rows;
  for (const Case& c : cases) {
    KvAssetEntry& row = rows.emplace_back();
    row.assetPath = Filename(c.path);
    row.resolveResult = c.resolveResult;
    row.assetType = c.assetType;
    row.selected = c.selected;
    row.hostFlag = c.output;
    if (c.path.ends_with(".vdb")) row.ownerLink.Set(volume);
  }
  const std::vector<KvPathMark> marks = MarkRowsToLocalize(rows, true, document);
  size_t next = 0;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const bool marked = next < marks.size() && marks[next].row == i;
    ASSERT_EQ(marked, cases[i].local != nullptr) << cases[i].path;
    if (marked) {
      EXPECT_EQ(marks[next++].path.GetString().Std(), cases[i].local) << cases[i].path;
    }
  }
  // Nothing selected: every row.
  EXPECT_EQ(MarkRowsToLocalize(rows, false, document).size(), marks.size() + 1);
}

TEST_F(GlobalizeTest, ReplaceGivesTheChosenFileToEverySelectedRow) {
  Open();
  dialog_.SetGroupMode(kGroupNone);
  dialog_.RegroupAndShow();
  for (KvAssetEntry& row : Collection().Rows()) {
    View().Selection().Set(row, row.ownerMainLink.Resolve(document_) == materials_[3] ||
                                    row.ownerMainLink.Resolve(document_) == materials_[4]);
  }
  EXPECT_EQ(Kv_ReplaceTextureCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdEnabled);
  bx3::QueueFileAnswer(std::nullopt);  // cancelled: nothing changes
  ASSERT_TRUE(Kv_ReplaceTextureCommand(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(document_->UndoCount(), 0);

  const std::string chosen = folder_ / "tex/a.png";
  bx3::QueueFileAnswer(Filename(chosen));
  ASSERT_TRUE(Kv_ReplaceTextureCommand(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(StoredPaths(), (std::vector<std::string>{"tex/a.png", "tex/a.png", "tex/a.png", chosen, chosen}));
  EXPECT_EQ(document_->UndoCount(), 1);
  EXPECT_EQ(Collection().MissingCount(), 0);
}

TEST_F(GlobalizeTest, ClearRemovesWhatHoldsEachSelectedFileAsOneUndoStep) {
  bx3::Element* steelShader = materials_[3]->GetChildren().front().get();
  bx3::Element* main = document_->InsertElement(bx3::Branch::Takes, std::make_unique<bx3::Take>("Main"));
  auto* closeUp = static_cast<bx3::Take*>(main->InsertChild(std::make_unique<bx3::Take>("Close-up")));
  closeUp->SetOverride(steelShader, bx3::param::kBitmapFile, Filename("tex/close.png"));
  bx3::Element* smoke =
      document_->InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kSimulation, "Smoke"));
  smoke->SetParameter(1001, Filename("sim/smoke.vdb"));
  bx3::Element* cache = document_->InsertElement(bx3::Branch::SceneEffects,
                                                 bx3::CreateElement(bx3::type::kIlluminationCacheEffect, "Cache"));
  cache->SetParameter(1000, Filename("illum/scene.gi2"));
  cache->SetParameter(3809, int32_t{0});
  const std::string before = bx3::SerializeDocument(*document_);
  Open();
  // Rust's bitmap shader, the Close-up override of Steel's, the simulation and the cache.
  for (KvAssetEntry& row : Collection().Rows()) {
    const bx3::Element* owner = row.ownerLink.Resolve(document_);
    View().Selection().Set(row, owner == materials_[4]->GetChildren().front().get() || !row.takeLink.IsEmpty() ||
                                    owner == smoke || owner == cache);
  }
  ASSERT_TRUE(Kv_ClearAssetsCommand(&dialog_).Execute(document_, nullptr));

  EXPECT_TRUE(materials_[4]->GetChildren().empty());
  EXPECT_EQ(steelShader->GetFilename(bx3::param::kBitmapFile).GetString().Std(), "tex/b.png")
      << "the override went, not Steel's own file";
  EXPECT_TRUE(closeUp->GetOverrides().empty());
  EXPECT_EQ(smoke->GetParameter(1001), nullptr);
  EXPECT_EQ(cache->GetParameter(1000), nullptr);
  EXPECT_EQ(cache->GetInt32(3809), 1);
  EXPECT_EQ(Collection().Rows().size(), 4u);  // collected again
  EXPECT_EQ(document_->UndoCount(), 1);
  ASSERT_TRUE(document_->Undo());
  EXPECT_EQ(bx3::SerializeDocument(*document_), before);
}

}  // namespace
