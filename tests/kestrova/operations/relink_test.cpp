#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "brantic/mainthread.h"
#include "bx3/busy.h"
#include "bx3/modal.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "operations/kvrelink.h"
#include "support/unprivileged.h"

using namespace kv;
using bx3::Filename;

namespace {

namespace fs = std::filesystem;

TEST(RelinkFindTest, FindsBecomeTheNewPathThenCandidatesChosenInsideTheDocumentFolder) {
  struct Case {
    const char *name, *newPathBefore;
    std::vector<const char*> finds;
    const char* newPathAfter;
    std::vector<std::pair<const char*, bool>> candidates;  // path, chosen (after settling)
    const char* written;
  };
  const Case cases[] = {
      {"one find", "", {"/lib/a.png"}, "/lib/a.png", {}, "/lib/a.png"},
      {"two finds: the first is chosen",
       "",
       {"/lib/x/a.png", "/lib/y/a.png"},
       "/lib/x/a.png",
       {{"/lib/x/a.png", true}, {"/lib/y/a.png", false}},
       "/lib/x/a.png"},
      {"one inside the document folder wins",
       "",
       {"/lib/a.png", "/doc/tex/a.png", "/doc/b/a.png"},
       "/lib/a.png",
       {{"/lib/a.png", false}, {"/doc/tex/a.png", true}, {"/doc/b/a.png", false}},
       "/doc/tex/a.png"},
      {"a proposal comes first",
       "/proposed/a.png",
       {"/lib/a.png"},
       "/proposed/a.png",
       {{"/proposed/a.png", true}, {"/lib/a.png", false}},
       "/proposed/a.png"},
  };
  for (const Case& c : cases) {
    KvAssetEntry row;
    row.assetPath = Filename("/old/a.png");
    row.selected = 1;
    row.newPath = brantic::String(c.newPathBefore);
    for (const char* find : c.finds) TakeRelinkFind(row, brantic::String(find), Filename("/doc"));
    EXPECT_EQ(row.hasNewPath, 1) << c.name;
    EXPECT_EQ(row.relinkPath.GetString().Std(), c.finds.back()) << c.name;
    EXPECT_EQ(row.newPath.Std(), c.newPathAfter) << c.name;
    const bool settled = SettleCandidates(row);
    EXPECT_EQ(settled, !c.candidates.empty()) << c.name;
    if (settled) row.selected = 0;  // as the window deselects a row with candidates
    ASSERT_EQ(row.relinkCandidates.size(), c.candidates.size()) << c.name;
    for (size_t i = 0; i < c.candidates.size(); ++i) {
      EXPECT_EQ(row.relinkCandidates[i].path.Std(), c.candidates[i].first) << c.name;
      EXPECT_EQ((row.relinkCandidates[i].flags & kCandidateChosen) != 0, c.candidates[i].second) << c.name << " " << i;
    }
    EXPECT_EQ(RelinkTarget(row).GetString().Std(), c.written) << c.name;
  }
}

TEST(RelinkFindTest, CandidatesStopAtTheLimit) {
  KvAssetEntry row;
  for (size_t i = 0; i < kMaxRelinkCandidates + 10; ++i) {
    TakeRelinkFind(row, brantic::String("/lib/" + std::to_string(i) + "/a.png"), Filename("/doc"));
  }
  EXPECT_EQ(row.relinkCandidates.size(), kMaxRelinkCandidates);
}

TEST(RelinkSearchTest, OneWalkFindsEveryRowsNameOncePerFileInWalkOrder) {
  kvtest::TempFolder temp;
  ::chmod(temp.Path().c_str(), 0755);
  for (const char* file : {"lib/x/wood.jpg", "lib/y/wood.jpg", "lib/y/Wood.jpg", "lib/z/rust.png", "lib/own/mine.png",
                           "lib/shut/wood.jpg"}) {
    kvtest::WriteBytes(temp / file, "x");
  }
  fs::create_symlink(temp / "lib", temp / "lib/y/loop");
  ::chmod((temp / "lib/shut").c_str(), 0);
  std::vector<KvAssetEntry> rows(5);
  const std::string paths[] = {"/gone/wood.jpg", "/gone/rust.png", "tex/wood.jpg", temp / "lib/own/mine.png", "/a/"};
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].assetPath = Filename(paths[i]);
    rows[i].selected = i != 1;  // rust.png is not looked for
  }
  const KvRelinkIndex index(rows);
  KvRelinkProgress progress;
  KvRelinkSearchResult result;
  {
    kvtest::UnprivilegedFileAccess asUser;
    result = SearchForFiles(Filename(temp / "lib"), index, progress, nullptr);
  }
  ::chmod((temp / "lib/shut").c_str(), 0755);
  std::vector<std::pair<uint32_t, std::string>> finds;
  for (const KvRelinkFind& find : result.finds) finds.emplace_back(find.row, find.path.Std());
  // Letter case tells names apart; a row's own file is no find; the loop is walked once.
  const std::string x = temp / "lib/x/wood.jpg", y = temp / "lib/y/wood.jpg";
  EXPECT_EQ(finds, (std::vector<std::pair<uint32_t, std::string>>{{0, x}, {2, x}, {0, y}, {2, y}}));
  EXPECT_EQ(result.foundCount, 4);
  EXPECT_EQ(progress.found.load(), 4);
  EXPECT_EQ(result.walk.unreadableFolders, 1);
  EXPECT_EQ(result.walk.repeatedFolders, 1);

  const std::atomic<bool> stop{true};
  EXPECT_TRUE(SearchForFiles(Filename(temp / "lib"), index, progress, &stop).finds.empty());
  EXPECT_FALSE(SearchForFiles(Filename(temp / "none"), index, progress, nullptr).folderReadable);
}

class RelinkTest : public kvtest::InspectorFixture {
 protected:
  void SelectRust() {
    for (KvAssetEntry& row : Collection().Rows()) {
      View().Selection().Set(row, row.ownerMainLink.Resolve(document_) == materials_[4]);
    }
  }
  bool Run() { return Kv_RelinkTexturesCommand(&dialog_).Execute(document_, nullptr); }
};

TEST_F(RelinkTest, TheFirstFileFoundIsWrittenProbedAndUndoable) {
  kvtest::TempFolder library;
  ASSERT_TRUE(kvtest::WriteImage(library / "b/gone.png", kvtest::ImageFile{}));
  fs::create_directories(library / "a");
  fs::copy_file(library / "b/gone.png", library / "a/gone.png");
  Open();
  EXPECT_EQ(Kv_RelinkTexturesCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdDisabled);
  SelectRust();
  EXPECT_EQ(Kv_RelinkTexturesCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdEnabled);

  bx3::QueueFileAnswer(std::nullopt);  // the folder browser cancelled
  ASSERT_TRUE(Run());
  EXPECT_EQ(StoredPath(4), "tex/gone.png");

  bx3::RequestEscape();  // stopped at once: nothing found, nothing written
  bx3::QueueFileAnswer(Filename(library.Path()));
  ASSERT_TRUE(Run());
  EXPECT_EQ(StoredPath(4), "tex/gone.png");
  EXPECT_EQ(document_->UndoCount(), 0);

  bx3::QueueFileAnswer(Filename(library.Path()));
  ASSERT_TRUE(Run());
  EXPECT_EQ(StoredPath(4), library / "a/gone.png");
  EXPECT_EQ(document_->UndoCount(), 1);
  FinishJobs();  // the rows, read again once, are probed
  for (const KvAssetEntry& row : Collection().Rows()) {
    if (row.ownerMainLink.Resolve(document_) != materials_[4]) continue;
    EXPECT_FALSE(row.IsMissing());
    EXPECT_EQ(row.resolutionX, kvtest::ImageFile{}.width);
    EXPECT_TRUE(row.relinkCandidates.empty());
    EXPECT_EQ(row.hasNewPath, 0);
  }
  EXPECT_EQ(Collection().MissingCount(), 0);
  ASSERT_TRUE(document_->Undo());
  EXPECT_EQ(StoredPath(4), "tex/gone.png");
}

TEST_F(RelinkTest, ASceneChangeArrivingWhileWorkRunsIsTakenInAfterTheOperation) {
  // The window's events flow while the found files are probed. A scene change arriving then
  // (here: fifty more materials) used to rebuild the rows under the operation, which went on
  // writing into rows that were gone.
  bool changed = false;
  bx3::SetBusyEventPump([this, &changed] {
    for (int i = 0; i < 50 && !changed; ++i) kvtest::AddMaterialUsing(*document_, "More", "tex/a.png");
    changed = true;
    brantic::DrainMainThreadQueue();
  });
  kvtest::TempFolder library;
  ASSERT_TRUE(kvtest::WriteImage(library / "gone.png", kvtest::ImageFile{}));
  Open();
  SelectRust();
  bx3::QueueFileAnswer(Filename(library.Path()));
  ASSERT_TRUE(Run());
  bx3::SetBusyEventPump(nullptr);
  EXPECT_EQ(StoredPath(4), library / "gone.png");
  EXPECT_EQ(Collection().Rows().size(), 55u) << "collected again once the relink was done";
  EXPECT_EQ(Collection().MissingCount(), 0);
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("Note: 1 found"));
}

}  // namespace
