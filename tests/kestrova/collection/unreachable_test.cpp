// A root that does not answer (a share whose server is gone): its rows are unreachable, never
// missing, nothing under it is asked for again, and no operation acts on them.
#include "bx3/modal.h"
#include "bx3/types.h"
#include "collection/kvrowtext.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "preview/kvinfotext.h"
#include "support/blocking_files.h"

using namespace kv;
using bx3::Filename;

namespace {

class UnreachableTest : public kvtest::InspectorFixture {
 protected:
  void SetUp() override {
    InspectorFixture::SetUp();
    bx3::Preferences::Get().SetPathMappings({{"P:\\far", "/kvdead/far"}});
    // Long enough for the share to answer in time at the end of the test.
    bx3::Preferences::Get().SetRootAnswerSeconds(600);
    kvtest::AddMaterialUsing(*document_, "Dead", "/kvdead/tex/wood.png");
    kvtest::AddMaterialUsing(*document_, "DeadSet", "/kvdead/tiles/wood.<UDIM>.png");
    kvtest::AddMaterialUsing(*document_, "Mapped", "P:\\far\\a.png");
    // A file of the same name as the dead one, where Relink would look.
    kvtest::WriteBytes(folder_ / "tex/wood.png", "x");
  }
  std::string PathOf(const std::string& material) {
    for (const auto& owner : document_->GetBranch(bx3::Branch::Materials)->GetChildren()) {
      if (owner->GetName().Std() == material) {
        return owner->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std();
      }
    }
    return "no material " + material;
  }
  const KvAssetEntry* RowOf(const std::string& material) {
    for (const KvAssetEntry& row : Collection().Rows()) {
      if (row.ownerMainLink.Resolve(document_)->GetName().Std() == material) return &row;
    }
    return nullptr;
  }

  std::shared_ptr<kvtest::BlockingFiles> files_ = std::make_shared<kvtest::BlockingFiles>("/kvdead");
  kvtest::InstalledWatch watch_{files_};
};

TEST_F(UnreachableTest, RowsUnderADeadRootAreUnreachableAndNoOperationActsOnThem) {
  OpenSettled();
  for (const char* material : {"Dead", "DeadSet", "Mapped"}) {
    ASSERT_NE(RowOf(material), nullptr) << material;
    EXPECT_TRUE(RowOf(material)->IsUnreachable()) << material;
    EXPECT_TRUE(RowOf(material)->resolvedUrl.IsEmpty()) << material;  // nothing to probe or preview
  }
  EXPECT_EQ(RowOf("Oak")->resolveResult, kResolveFound);
  EXPECT_TRUE(RowOf("Rust")->IsMissing());
  EXPECT_NE(Text(kGadgetStatus).find("Missing: 1 - Unreachable: 3"), std::string::npos) << Text(kGadgetStatus);
  EXPECT_EQ(StatusText(kResolveUnreachable).Std(), "Unreachable");
  const std::string info = BuildAssetInfoText(*RowOf("Mapped"), kGroupNone).Std();
  EXPECT_NE(info.find("<<Unreachable>>\nNo answer from /kvdead/far within 600 s\n"), std::string::npos) << info;

  // Every operation with every row selected: Relink, Make Absolute, Make Relative, Collect.
  const auto selectAllBut = [&](const char* left) {
    for (KvAssetEntry& row : Collection().Rows()) {
      View().Selection().Set(row, row.ownerMainLink.Resolve(document_)->GetName().Std() != left);
    }
  };
  selectAllBut("");
  dialog_.RelinkTextures(Filename(folder_.Path()));
  FinishJobs();
  selectAllBut("");
  ASSERT_TRUE(Kv_GlobalizeCommand(&dialog_).Execute(document_, nullptr));
  selectAllBut("");
  ASSERT_TRUE(Kv_LocalizeCommand(&dialog_).Execute(document_, nullptr));
  FinishJobs();
  selectAllBut("Rust");                      // a missing file would be asked for
  bx3::QueueMessageAnswer(bx3::kAnswerYes);  // copy the found files next to the scene
  ASSERT_TRUE(Kv_ConsolidateCommand(&dialog_).Execute(document_, nullptr));
  FinishJobs();
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("3 uses under roots that did not answer left alone"));
  EXPECT_EQ(PathOf("Dead"), "/kvdead/tex/wood.png");
  EXPECT_EQ(PathOf("DeadSet"), "/kvdead/tiles/wood.<UDIM>.png");
  EXPECT_EQ(PathOf("Mapped"), "P:\\far\\a.png");
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0);
  // One query per root (the mount point and the mapping's target), however many passes ran.
  EXPECT_EQ(files_->DeadQueries(), 2);
  for (const char* material : {"Dead", "DeadSet", "Mapped"}) EXPECT_TRUE(RowOf(material)->IsUnreachable());

  // The share answers within its deadline: the window collects again, and the rows are what
  // the answer says (nothing there: found by name in the scene's folder, or missing).
  files_->Release();
  // Each root's answer collects again; the second may come after the first collection.
  const auto anyUnreachable = [&] {
    return RowOf("Dead")->IsUnreachable() || RowOf("DeadSet")->IsUnreachable() || RowOf("Mapped")->IsUnreachable();
  };
  while (anyUnreachable()) {
    ASSERT_TRUE(brantic::WaitForMainThreadWork(30.0));
    brantic::DrainMainThreadQueue();
  }
  EXPECT_EQ(RowOf("Dead")->resolveResult, kResolveFoundByName);
  EXPECT_TRUE(RowOf("DeadSet")->IsMissing());
  EXPECT_EQ(Text(kGadgetStatus).find("Unreachable"), std::string::npos) << Text(kGadgetStatus);
}

// A file not found where it was looked for may still be in a search folder on a share that
// did not answer: it is unreachable, not missing.
TEST_F(UnreachableTest, AFileThatMayBeOnAShareThatDidNotAnswerIsNotMissing) {
  bx3::Preferences::Get().SetTextureSearchPaths({{Filename("/kvdead/library"), true}});
  OpenSettled();
  EXPECT_TRUE(RowOf("Rust")->IsUnreachable());
  EXPECT_EQ(RowOf("Oak")->resolveResult, kResolveFound);
  files_->Release();
}

}  // namespace
