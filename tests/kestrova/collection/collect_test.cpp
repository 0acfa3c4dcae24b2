#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/prefs.h"
#include "collection/kvprobejobs.h"
#include "collection/kvresolve.h"
#include "kestrova/module_fixture.h"
#include "support/dialog_access.h"
#include "support/fake_dialog.h"
#include "support/media_fixtures.h"
#include "window/kvdialog.h"

using namespace kv;
using bx3::Filename;

namespace {

class CollectTest : public kvtest::ModuleFixture {
 protected:
  void SetUp() override {
    ModuleFixture::SetUp();
    bx3::SetDialogToolkit(&toolkit_);
    for (const char* name : {"tex/a.png", "tex/b.png", "tex/tex_0010.png"}) {
      ASSERT_TRUE(kvtest::WriteImage(folder_ / name, {}));
    }
    ASSERT_TRUE(kvtest::WriteSound(folder_ / "tex/clip.wav", 0x010002, 1, 8000, 800));
    kvtest::WriteBytes(folder_ / "tex/clip.mov", std::string(100, 'x'));

    auto document = std::make_unique<bx3::Document>();
    document->SetFilename(Filename(folder_ / "scene.bx3"));
    first_ = AddBitmap(*document, "First", "tex/a.png");
    AddBitmap(*document, "Second", "tex/a.png");  // the same file by another material: its own row
    sequence_ = AddBitmap(*document, "Sequence", "tex/tex_0010.png");
    sequence_->SetParameter(bx3::param::kBitmapFirstFrame, int32_t{10});
    sequence_->SetParameter(bx3::param::kBitmapLastFrame, int32_t{20});
    bx3::Element* movie = AddBitmap(*document, "Movie", "tex/clip.mov");
    movie->SetParameter(bx3::param::kBitmapFirstFrame, int32_t{1});
    movie->SetParameter(bx3::param::kBitmapLastFrame, int32_t{5});
    AddBitmap(*document, "Missing", "tex/gone.png");
    AddBitmap(*document, "Sound", "tex/clip.wav");
    bx3::Element* main = document->InsertElement(bx3::Branch::Takes, std::make_unique<bx3::Take>("Main"));
    auto* take = static_cast<bx3::Take*>(main->InsertChild(std::make_unique<bx3::Take>("Alt")));
    take->SetOverride(first_, bx3::param::kBitmapFile, Filename("tex/a.png"));            // again by the same shader
    take->SetOverride(sequence_, bx3::param::kBitmapFile, Filename("tex/tex_0011.png"));  // a later frame
    document_ = bx3::AddDocument(std::move(document));
  }
  void TearDown() override {
    bx3::SetDialogToolkit(nullptr);
    ModuleFixture::TearDown();
  }
  static bx3::Element* AddBitmap(bx3::Document& document, const char* material, const char* file) {
    bx3::Element* owner =
        document.InsertElement(bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, material));
    bx3::Element* shader = owner->InsertChild(
        bx3::CreateElement(bx3::type::kBitmapShader, brantic::String(std::string(material) + " color")));
    shader->SetParameter(bx3::param::kBitmapFile, Filename(file));
    return shader;
  }
  const KvAssetEntry* Row(const KestrovaDialog& dialog, const std::string& materialOfShader) {
    for (const KvAssetEntry& row : dialog.Collection().Rows()) {
      const bx3::Element* owner = row.ownerLink.Resolve(document_);
      if (owner && owner->GetName() == materialOfShader + " color") return &row;
    }
    return nullptr;
  }

  kvtest::FakeToolkit toolkit_;
  kvtest::TempFolder folder_;
  bx3::Document* document_ = nullptr;
  bx3::Element* first_ = nullptr;
  bx3::Element* sequence_ = nullptr;
};

TEST_F(CollectTest, OneRowPerUseWithItsRules) {
  KestrovaDialog dialog;
  EXPECT_FALSE(kv::KvDialogTestAccess::BuildAssetArray(dialog));  // the window is closed
  ASSERT_TRUE(dialog.Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500));
  FinishJobs();
  const auto& rows = dialog.Collection().Rows();
  ASSERT_EQ(rows.size(), 6u);  // the shader's repeat and the later frame get no rows

  const KvAssetEntry* sequence = Row(dialog, "Sequence");
  ASSERT_NE(sequence, nullptr);
  EXPECT_EQ(sequence->sequenceStart, 10);
  EXPECT_EQ(sequence->sequenceEnd, 20);
  EXPECT_EQ(sequence->frameDigitsPos, 4);
  EXPECT_EQ(sequence->frameDigitsLen, 4);
  EXPECT_EQ(sequence->setExpected, 11);
  EXPECT_EQ(sequence->setFound, 1);
  const KvAssetEntry* movie = Row(dialog, "Movie");
  EXPECT_EQ(movie->sequenceStart, movie->sequenceEnd);  // a movie is never a sequence

  const KvAssetEntry* first = Row(dialog, "First");
  EXPECT_EQ(first->resolveResult, kResolveFound);
  EXPECT_EQ(first->takeName, "Alt");  // the take that overrides the parameter
  EXPECT_TRUE(first->takeOverride);
  EXPECT_EQ(first->elementName, "Material");
  // A material's shader is described through the material, which has no such parameter:
  // the identifier stays as the host reported it and no remapping applies.
  EXPECT_TRUE(first->targetDescId.IsEmpty());
  EXPECT_EQ(first->hostDescId.First().id, bx3::param::kBitmapFile);
  // Probed in the background: size, format and resolution.
  EXPECT_GT(first->fileSize, 0);
  EXPECT_EQ(first->formatText, "PNG");
  EXPECT_EQ(first->resolutionX, 64);
  EXPECT_EQ(Row(dialog, "Second")->resolutionX, 64);
  EXPECT_EQ(Row(dialog, "Sound")->assetType, static_cast<uint32_t>(ASSETTYPE_AUDIO));

  // A row without a resolved file gets no job: it keeps its size of 0.
  const KvAssetEntry* missing = Row(dialog, "Missing");
  EXPECT_EQ(missing->resolveResult, kResolveMissing);
  EXPECT_TRUE(missing->resolvedUrl.IsEmpty());
  EXPECT_EQ(missing->fileSize, 0);
  EXPECT_EQ(missing->formatText, "PNG");

  brantic::String status;
  ASSERT_TRUE(dialog.GetString(kGadgetStatus, status));
  // Frames 11 to 20 of the sequence are not on disk.
  EXPECT_EQ(status, "Listed: 5 (6) - Missing: 1 - Partly found: 1 - Selected: 0");
  dialog.Close();
}

TEST_F(CollectTest, ResultsReachTheirRowsAndStaleOnesAreDropped) {
  KestrovaDialog dialog;
  ASSERT_TRUE(dialog.Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500));
  brantic::JobQueue::WaitAllIdle();  // the results wait on the main-thread queue
  // The rows are reordered before any result is stored.
  auto& rows = kv::KvDialogTestAccess::Collection(dialog).Rows();
  std::reverse(rows.begin(), rows.end());
  kv::KvDialogTestAccess::Collection(dialog).IndexRowIdentities();
  brantic::DrainMainThreadQueue();
  for (const KvAssetEntry& row : rows) {
    if (row.resolvedPath.IsEmpty()) continue;
    EXPECT_EQ(row.fileSize, int64_t(std::filesystem::file_size(row.resolvedPath.Std()))) << row.resolvedPath.Std();
  }

  // A second collection while the first one's results are still queued: only the second's count.
  dialog.RefreshAssets();
  brantic::JobQueue::WaitAllIdle();
  kvtest::WriteBytes(folder_ / "tex/b.png", std::string(12345, 'x'));
  first_->SetParameter(bx3::param::kBitmapFile, Filename("tex/b.png"));
  dialog.RefreshAssets();
  FinishJobs();
  // The shader's own file now; its take override keeps the first file.
  const auto own = std::find_if(rows.begin(), rows.end(),
                                [](const KvAssetEntry& row) { return row.assetPath == Filename("tex/b.png"); });
  ASSERT_NE(own, rows.end());
  EXPECT_EQ(own->fileSize, 12345);
  EXPECT_EQ(own->resolutionX, 0);  // not a picture any more
  dialog.Close();
}

TEST_F(CollectTest, OnlySearchFoldersThatChangedResolveTheRowsAgain) {
  AddBitmap(*document_, "Lost", "lost/far.png");
  KestrovaDialog dialog;
  ASSERT_TRUE(dialog.Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500));
  FinishJobs();
  ASSERT_TRUE(Row(dialog, "Lost")->IsMissing());
  kvtest::WriteBytes(folder_ / "tex/far.png", "x");
  // The message alone, with the folders as they were, does not resolve the rows again (the
  // preferences loaded at start send it too, and a whole scene was resolved twice).
  bx3::SendCoreMessage(bx3::kCoreMessageSearchPathsChanged, bx3::Container());
  EXPECT_TRUE(Row(dialog, "Lost")->IsMissing());
  kvtest::TempFolder library;
  bx3::Preferences::Get().SetTextureSearchPaths({{Filename(library.Path()), true}});
  FinishJobs();
  EXPECT_FALSE(Row(dialog, "Lost")->IsMissing());
  dialog.Close();
}

TEST_F(CollectTest, ARearrangedColumnLayoutIsKept) {
  bx3::Preferences::Get().Reset();
  KestrovaDialog dialog;
  ASSERT_TRUE(dialog.Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500));
  auto* tree = dialog.GetWindow()->FindTreeView(kGadgetTree);
  ASSERT_NE(tree, nullptr);
  auto columns = tree->GetLayout();
  ASSERT_GE(columns.size(), 3u);
  EXPECT_EQ(columns.front().id, column::kStatus);
  std::swap(columns[0], columns[2]);  // as dragging a header would
  tree->SetLayout(columns);
  bx3::Container result;
  dialog.Message(bx3::Container(bx3::message::kLayoutChanged), result);
  const bx3::Container* stored = bx3::Preferences::Get().Plugins().GetContainer(kMainCommandId);
  ASSERT_NE(stored, nullptr);
  ASSERT_NE(stored->GetContainer(kPrefsColumnLayout), nullptr);
  EXPECT_EQ(bx3::ColumnLayoutFromContainer(*stored->GetContainer(kPrefsColumnLayout)), columns);

  // Opened again, the window shows the columns in that order.
  dialog.Close();
  KestrovaDialog reopened;
  ASSERT_TRUE(reopened.Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500));
  EXPECT_EQ(reopened.GetWindow()->FindTreeView(kGadgetTree)->GetLayout().front().id, columns.front().id);
  reopened.Close();
  FinishJobs();
  bx3::Preferences::Get().Reset();
}

TEST_F(CollectTest, ALargeSceneIsResolvedWhileItIsWalked) {
  // Enough uses for helper threads to resolve the paths while the scene is walked; five uses
  // per path, every fifth path missing.
  for (int file = 0; file < 60; ++file) {
    if (file % 5 == 4) continue;
    ASSERT_TRUE(kvtest::WriteImage(folder_ / ("tex/many_" + std::to_string(file) + ".png"), {}));
  }
  for (int use = 0; use < 300; ++use) {
    const int file = use % 60;
    const std::string path = std::string(file % 5 == 4 ? "tex/gone_" : "tex/many_") + std::to_string(file) + ".png";
    AddBitmap(*document_, ("Many " + std::to_string(use)).c_str(), path.c_str());
  }
  // One missing file is open for painting: the helpers learn so without asking the host,
  // which answers on the GUI thread only.
  document_->SetPaintTextures({Filename("tex/gone_4.png")});
  KestrovaDialog dialog;
  ASSERT_TRUE(dialog.Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500));
  FinishJobs();
  const auto& rows = dialog.Collection().Rows();
  ASSERT_EQ(rows.size(), 306u);
  EXPECT_EQ(dialog.Collection().MissingCount(), 56);
  EXPECT_EQ(Row(dialog, "Many 4")->resolveResult, kResolvePaintTexture);
  for (const KvAssetEntry& row : rows) {
    Filename resolved;
    const int32_t result = ResolveAssetPath(document_->GetFolder(), row.assetPath, nullptr, resolved, true);
    EXPECT_EQ(row.resolveResult, result) << row.assetPath.GetString().Std();
    EXPECT_EQ(row.resolvedPath, result ? resolved.GetString() : brantic::String()) << row.assetPath.GetString().Std();
    if (row.assetPath.GetString().Contains("many_")) {
      EXPECT_EQ(row.resolutionX, 64) << row.assetPath.GetString().Std();  // each use has its own probe result
      EXPECT_EQ(row.formatText, "PNG");
    }
  }

  // Collected again without emptying the path cache, with one new file: the rows of the
  // paths the cache knew and of the new one each get the results of their own file.
  kvtest::WriteBytes(folder_ / "tex/extra.png", std::string(777, 'x'));
  AddBitmap(*document_, "Extra", "tex/extra.png");
  ASSERT_TRUE(kv::KvDialogTestAccess::BuildAssetArray(dialog));
  FinishJobs();
  ASSERT_GT(rows.size(), 200u);
  for (const KvAssetEntry& row : rows) {
    if (row.resolvedPath.IsEmpty()) continue;
    EXPECT_EQ(row.fileSize, int64_t(std::filesystem::file_size(row.resolvedPath.Std()))) << row.resolvedPath.Std();
  }
  dialog.Close();
}

TEST_F(CollectTest, JobsOfAnUnwantedCollectionSkipTheirProbe) {
  brantic::DrainMainThreadQueue();  // the change message of the scene's making
  auto batch = std::make_shared<KvProbeBatch>();
  batch->files.push_back({Filename("tex/a.png"), Filename(folder_ / "tex/a.png").GetUrl(), "png", ASSETTYPE_IMAGE});
  batch->rows = {{1, 0}, {2, 0}};
  batch->IndexRowsByFile();
  auto live = std::make_shared<std::atomic<uint64_t>>(7);
  for (const uint64_t generation : {uint64_t{6}, uint64_t{7}}) {
    auto queue = brantic::JobQueue::Create("Kv Queue", 1);
    ASSERT_TRUE(queue);
    size_t results = 0;
    const KvProbeResultSink sink = [&](const KvProbeBatch&,
                                       const std::vector<std::pair<uint32_t, KvProbeResult>>& found) {
      results += found.size();
    };
    ASSERT_TRUE(StartProbeJobs(*queue, batch, sink, generation, live));
    brantic::JobQueue::WaitAllIdle();
    // Only the wanted collection's jobs probe and hand a result back: one for the file of both rows.
    EXPECT_EQ(brantic::DrainMainThreadQueue(), generation == 7 ? 1 : 0) << generation;
    EXPECT_EQ(results, generation == 7 ? 1u : 0u) << generation;
  }
}

}  // namespace
