#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bx3/busy.h"
#include "bx3/modal.h"
#include "collection/kvcollect_rules.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "operations/kvconsolidate.h"

using namespace kv;
using bx3::Filename;

namespace {

namespace fs = std::filesystem;

using kvtest::ReadBytes;

TEST(ConsolidatePlanTest, EachFileAndEveryFrameGoesToTheFolderOfItsKind) {
  bx3::Document document;
  bx3::Element* volume =
      document.InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kVolumeSequenceObject, "../Smoke"));
  struct Case {
    const char* path;
    uint32_t type;
    std::vector<std::pair<const char*, const char*>> copies;  // source, target
    const char* resolved = nullptr;                           // null: found where the path says; "": missing
    int32_t first = 0, last = 0;                              // a sequence when they differ
    bool volumeOwner = false;
    bool selected = true;
  };
  const Case cases[] = {
      {"tex/wood.jpg", ASSETTYPE_IMAGE, {{"/lib/tex/wood.jpg", "/doc/tex/wood.jpg"}}, "/lib/tex/wood.jpg"},
      {"/gone/rust.png", ASSETTYPE_IMAGE, {{"/gone/rust.png", "/doc/tex/rust.png"}}, ""},
      {"/lib/fire_0009.png",
       ASSETTYPE_IMAGE | ASSETTYPE_SEQUENCE,
       {{"/lib/fire_0009.png", "/doc/tex/fire_0009.png"},
        {"/lib/fire_0010.png", "/doc/tex/fire_0010.png"},
        {"/lib/fire_0011.png", "/doc/tex/fire_0011.png"}},
       nullptr,
       9,
       11},
      {"/lib/intro.mov", ASSETTYPE_VIDEO, {{"/lib/intro.mov", "/doc/tex/intro.mov"}}, nullptr, 1, 90},
      {"/c/scene.gi2", ASSETTYPE_CACHE, {{"/c/scene.gi2", "/doc/illum/scene.gi2"}}},
      {"/v/smoke.vdb", ASSETTYPE_CACHE, {{"/v/smoke.vdb", "/doc/vol/.._Smoke/smoke.vdb"}}, nullptr, 0, 0, true},
      {"/v/fog.vdb", ASSETTYPE_CACHE, {{"/v/fog.vdb", "/doc/vol/fog.vdb"}}},
      {"/s/hum.wav", ASSETTYPE_AUDIO, {{"/s/hum.wav", "/doc/hum.wav"}}},
      {"/s/not.wav", ASSETTYPE_AUDIO, {}, nullptr, 0, 0, false, false},
      {"/s/", ASSETTYPE_OTHER, {}, ""},  // no file name: nothing to copy
      // More uses of files listed above: the same copy, unless the kind or the frames differ.
      {"tex/wood.jpg", ASSETTYPE_IMAGE, {{"/lib/tex/wood.jpg", "/doc/tex/wood.jpg"}}, "/lib/tex/wood.jpg"},
      {"/lib/tex/wood.jpg", ASSETTYPE_OTHER, {{"/lib/tex/wood.jpg", "/doc/wood.jpg"}}},
      {"/lib/fire_0010.png", ASSETTYPE_IMAGE, {{"/lib/fire_0010.png", "/doc/tex/fire_0010.png"}}},
      {"/lib/fire_0010.png",
       ASSETTYPE_IMAGE | ASSETTYPE_SEQUENCE,
       {{"/lib/fire_0010.png", "/doc/tex/fire_0010.png"}, {"/lib/fire_0011.png", "/doc/tex/fire_0011.png"}},
       nullptr,
       10,
       11},
  };
  std::vector<KvAssetEntry> rows;
  for (const Case& c : cases) {
    KvAssetEntry& row = rows.emplace_back();
    row.assetPath = Filename(c.path);
    row.resolvedPath = brantic::String(c.resolved ? c.resolved : c.path);
    row.resolveResult = row.resolvedPath.IsEmpty() ? kResolveMissing : kResolveFound;
    row.assetType = c.type;
    row.sequenceStart = c.first;
    row.sequenceEnd = c.last;
    RecomputeFrameDigits(row);
    if (c.volumeOwner) row.ownerLink = bx3::ElementLink(volume);
    row.selected = c.selected;
  }
  const std::vector<KvCopyItem> items = PlanConsolidation(rows, true, Filename("/doc"), &document);
  size_t next = 0;
  for (size_t i = 0; i < std::size(cases); ++i) {
    for (const auto& [source, target] : cases[i].copies) {
      ASSERT_LT(next, items.size()) << cases[i].path;
      EXPECT_EQ(items[next].row, i);
      EXPECT_EQ(items[next].source.GetString().Std(), source);
      EXPECT_EQ(items[next].target.GetString().Std(), target);
      EXPECT_EQ(items[next].folder, items[next].target.GetDirectory());
      ++next;
    }
  }
  EXPECT_EQ(next, items.size());
  EXPECT_EQ(PlanConsolidation(rows, false, Filename("/doc"), &document).size(), items.size() + 1)
      << "with nothing selected, every row";
}

class ConsolidateTest : public kvtest::InspectorFixture {
 protected:
  bool Run() { return Kv_ConsolidateCommand(&dialog_).Execute(document_, nullptr); }
  kvtest::TempFolder library_;
};

TEST_F(ConsolidateTest, CopiesNextToTheSceneAsksBeforeOverwritingAndRelinks) {
  // Steel's file lies in a folder of the scene's that the search reaches before "tex"; Iron's
  // would land on a file the scene folder has.
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "a_lib/c.png", kvtest::ImageFile{}));
  ASSERT_TRUE(kvtest::WriteImage(library_ / "d.png", kvtest::ImageFile{}));
  std::ofstream(folder_ / "tex/d.png") << "precious";
  materials_[3]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename(folder_ / "a_lib/c.png"));
  materials_.push_back(kvtest::AddMaterialUsing(*document_, "Iron", library_ / "d.png"));
  Open();
  EXPECT_EQ(Kv_ConsolidateCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdEnabled);

  // What used to go wrong: the question counted uses ("Copy all 6 files") of four files.
  EXPECT_EQ(CountFilesToCollect(Collection().Rows(), false), 4);
  bx3::QueueMessageAnswer(bx3::kAnswerNo);  // "Copy all 4 files ...?" no
  ASSERT_TRUE(Run());
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0);
  EXPECT_FALSE(fs::exists(folder_ / "tex/c.png"));

  // Yes; Rust's missing file: no (skipped); overwrite tex/d.png: no.
  for (int32_t answer : {bx3::kAnswerYes, bx3::kAnswerNo, bx3::kAnswerNo}) bx3::QueueMessageAnswer(answer);
  ASSERT_TRUE(Run());
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0) << "tex/a.png is already in place: no question";
  EXPECT_EQ(ReadBytes(folder_ / "tex/c.png"), ReadBytes(folder_ / "a_lib/c.png"));
  EXPECT_EQ(ReadBytes(folder_ / "tex/d.png"), "precious");
  EXPECT_TRUE(fs::exists(library_ / "d.png")) << "the originals stay";
  EXPECT_EQ(StoredPath(3), folder_ / "tex/c.png") << "the copy, not the original the search found first";
  EXPECT_EQ(StoredPath(5), folder_ / "tex/d.png") << "relinked to the file that was kept";
  EXPECT_EQ(StoredPath(4), "tex/gone.png");

  // The rows on the copies show what a new collection shows of them: what a probe found of
  // each original is carried over to its copy, which is not read again.
  const auto probed = [&] {
    std::vector<std::string> rows;
    for (const KvAssetEntry& row : Collection().Rows()) {
      rows.push_back(row.resolvedPath.Std() + " " + std::to_string(row.fileSize) + " " +
                     std::to_string(row.resolutionX) + "x" + std::to_string(row.resolutionY) + " " +
                     row.formatText.Std());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  };
  FinishJobs();
  const std::vector<std::string> collected = probed();
  EXPECT_NE(std::find(collected.begin(), collected.end(), (folder_ / "tex/c.png") + " 236 64x32 PNG"), collected.end());
  dialog_.RefreshAssets();
  FinishJobs();
  EXPECT_EQ(probed(), collected);
}

TEST_F(ConsolidateTest, AMissingFileIsLocatedOrSkippedOrEndsEverything) {
  ASSERT_TRUE(kvtest::WriteImage(library_ / "c.png", kvtest::ImageFile{}));
  materials_[3]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename(library_ / "c.png"));
  materials_[0]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename(library_ / "gone.png"));
  Open();
  // Oak's file is missing: cancel ends everything, Steel's file is not copied.
  for (int32_t answer : {bx3::kAnswerYes, bx3::kAnswerCancel}) bx3::QueueMessageAnswer(answer);
  ASSERT_TRUE(Run());
  EXPECT_FALSE(fs::exists(folder_ / "tex/c.png"));
  // Located: a file that does not exist is asked for again; the one chosen is copied under
  // the name the scene uses (Rust then finds its own tex/gone.png in place).
  for (int32_t answer : {bx3::kAnswerYes, bx3::kAnswerYes}) bx3::QueueMessageAnswer(answer);
  bx3::QueueFileAnswer(Filename(library_ / "still-gone.png"));
  bx3::QueueFileAnswer(Filename(library_ / "c.png"));
  ASSERT_TRUE(Run());
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0);
  EXPECT_EQ(ReadBytes(folder_ / "tex/gone.png"), ReadBytes(library_ / "c.png"));
  EXPECT_EQ(StoredPath(0), folder_ / "tex/gone.png");
  EXPECT_EQ(StoredPath(3), folder_ / "tex/c.png");
}

// Copies run after every question is answered: a second file of the same name is still asked
// about before it would replace the first one's copy.
TEST_F(ConsolidateTest, ASecondFileOfTheSameNameAsksBeforeItReplacesTheFirstsCopy) {
  kvtest::WriteBytes(library_ / "x/e.png", "first");
  kvtest::WriteBytes(library_ / "y/e.png", "second");
  materials_[0]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename(library_ / "x/e.png"));
  materials_[3]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename(library_ / "y/e.png"));
  Open();
  // Copy all: yes; Rust's missing file: no (skipped); replace tex/e.png: no.
  for (int32_t answer : {bx3::kAnswerYes, bx3::kAnswerNo, bx3::kAnswerNo}) bx3::QueueMessageAnswer(answer);
  ASSERT_TRUE(Run());
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0);
  EXPECT_EQ(ReadBytes(folder_ / "tex/e.png"), "first");
}

// A copy that fails (here: a folder where the file would go) ends the collection with its
// reason; the scene keeps its paths, and no file is left half-copied.
TEST_F(ConsolidateTest, AFailedCopyEndsWithItsReasonAndLeavesTheScene) {
  for (const char* file : {"c.png", "d.png", "e.png"}) ASSERT_TRUE(kvtest::WriteImage(library_ / file, {}));
  for (const auto& [material, file] : {std::pair{0, "d.png"}, {3, "c.png"}, {4, "e.png"}}) {
    materials_[size_t(material)]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile,
                                                                      Filename(library_ / file));
  }
  fs::create_directories(folder_ / "tex/c.png/inside");
  Open();
  bx3::QueueMessageAnswer(bx3::kAnswerYes);  // replace tex/c.png
  EXPECT_FALSE(dialog_.Consolidate(document_));
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0);
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("could not be copied: "));
  EXPECT_TRUE(fs::is_directory(folder_ / "tex/c.png/inside"));
  EXPECT_EQ(StoredPath(3), library_ / "c.png");
  EXPECT_EQ(StoredPath(0), library_ / "d.png");
  EXPECT_EQ(document_->UndoCount(), 0);
  for (const auto& entry : fs::directory_iterator(folder_ / "tex")) {
    EXPECT_EQ(entry.path().filename().string().find(".copying-"), std::string::npos) << entry.path();
  }

  // Escape stops the copies that run (here: before any began); the scene keeps its paths.
  fs::remove_all(folder_ / "tex/c.png");
  bx3::RequestEscape();
  EXPECT_TRUE(dialog_.Consolidate(document_));
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("0 copied; stopped with Escape"));
  EXPECT_FALSE(fs::exists(folder_ / "tex/c.png"));
  EXPECT_EQ(StoredPath(3), library_ / "c.png");
  EXPECT_EQ(document_->UndoCount(), 0);
}

TEST_F(ConsolidateTest, AFolderThatCannotBeMadeEndsWithFalse) {
  ASSERT_TRUE(kvtest::WriteImage(library_ / "c.png", kvtest::ImageFile{}));
  for (bx3::Element* material : materials_) {
    material->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename(library_ / "c.png"));
  }
  fs::remove_all(folder_ / "tex");
  std::ofstream(folder_ / "tex") << "a file where the folder belongs";
  Open();
  EXPECT_FALSE(dialog_.Consolidate(document_));
  EXPECT_EQ(StoredPath(0), library_ / "c.png");
  EXPECT_EQ(document_->UndoCount(), 0);
}

}  // namespace
