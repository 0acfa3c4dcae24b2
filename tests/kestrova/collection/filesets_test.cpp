// Paths as productions write them, through a whole collection: frame and tile sets counted
// against the files on disk, variables, mapped roots and Windows-style relative paths.
#include <cstdlib>

#include "bx3/modal.h"
#include "bx3/scenefile.h"
#include "bx3/types.h"
#include "collection/kvresolve.h"
#include "collection/kvrowtext.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "operations/kvwritepass.h"
#include "preview/kvinfotext.h"

using namespace kv;
using bx3::Filename;

namespace {

class FileSetsTest : public kvtest::InspectorFixture {
 protected:
  void SetUp() override {
    InspectorFixture::SetUp();
    for (int frame = 1; frame <= 24; ++frame) {
      const std::string digits = (frame < 10 ? "000" : "00") + std::to_string(frame);
      kvtest::WriteBytes(folder_ / ("tex/seq/full." + digits + ".png"), "x");
      if (frame != 7 && frame != 19) kvtest::WriteBytes(folder_ / ("tex/flame/flame_" + digits + ".png"), "x");
    }
    for (const char* tile : {"1001", "1002", "1011", "u1_v1", "u2_v1", "u1_v2"}) {
      kvtest::WriteBytes(folder_ / ("tiles/wood." + std::string(tile) + ".png"), "x");
    }
    for (const char* file : {"mnt/projects/tex/stone.png", "winproj/tex/stone.png", "root/tex/oak.png"}) {
      kvtest::WriteBytes(folder_ / file, "x");
    }
    ::setenv("KV_TEXROOT", (folder_ / "root").c_str(), 1);
    ::unsetenv("KV_UNSET_ROOT");
    bx3::Preferences::Get().SetPathMappings(
        {{"/mnt/projects", folder_ / "mnt/projects"}, {"P:\\proj", folder_ / "winproj"}});
  }
  void TearDown() override {
    ::unsetenv("KV_TEXROOT");
    InspectorFixture::TearDown();
  }
  // A bitmap shader of its own material.
  bx3::Element* Use(const std::string& material, const std::string& file, int32_t first = 0, int32_t last = 0,
                    const char* tiles = nullptr) {
    bx3::Element* owner = kvtest::AddMaterialUsing(*document_, material, file);
    bx3::Element* shader = owner->GetChildren().front().get();
    if (first != last) {
      shader->SetParameter(bx3::param::kBitmapFirstFrame, first);
      shader->SetParameter(bx3::param::kBitmapLastFrame, last);
    }
    if (tiles) shader->SetParameter(bx3::param::kBitmapTiles, brantic::String(tiles));
    return owner;
  }
  bx3::Element* FindMaterial(const std::string& name) {
    for (const auto& material : document_->GetBranch(bx3::Branch::Materials)->GetChildren()) {
      if (material->GetName().Std() == name) return material.get();
    }
    ADD_FAILURE() << "no material " << name;
    return nullptr;
  }
  const KvAssetEntry& RowOf(const std::string& material) {
    for (const KvAssetEntry& row : Collection().Rows()) {
      const bx3::Element* owner = row.ownerMainLink.Resolve(document_);
      if (owner && owner->GetName().Std() == material) return row;
    }
    ADD_FAILURE() << "no row of " << material;
    return Collection().Rows().front();
  }
};

TEST_F(FileSetsTest, SetsAreCountedAndPathsExpandedWithTheReasonInTheText) {
  struct Case {
    std::string material, file;
    int32_t first, last;
    const char* tiles;
    const char* status;  // missing, partial or found
    const char* type;
    std::string line;  // a line of the information text
  };
  const Case cases[] = {
      {"Udim", "tiles/wood.<UDIM>.png", 0, 0, nullptr, "found", "Tile Set", "Tiles: 3\n"},
      {"UvTile", "tiles/wood.<UVTILE>.png", 0, 0, nullptr, "found", "Tile Set", "Tiles: 3\n"},
      {"Listed", "tiles/wood.<UDIM>.png", 0, 0, "1001-1002, 1011-1012", "partial", "Tile Set",
       "Tiles: 3 of 4 (missing 1012)\n"},
      {"NoTiles", "tiles/none.<UDIM>.png", 0, 0, nullptr, "missing", "Tile Set", ""},
      {"Hashes", "tex/seq/full.####.png", 1, 24, nullptr, "found", "Image Sequence", "Frames: 24 of 24\n"},
      {"Printf", "tex/seq/full.%04d.png", 20, 30, nullptr, "partial", "Image Sequence",
       "Frames: 5 of 11 (missing 25-30)\n"},
      {"Digits", "tex/flame/flame_0001.png", 1, 24, nullptr, "partial", "Image Sequence",
       "Frames: 22 of 24 (missing 7, 19)\n"},
      {"Gone", "tex/flame/gone_0001.png", 1, 24, nullptr, "missing", "Image Sequence", ""},
      {"Variable", "$KV_TEXROOT/tex/oak.png", 0, 0, nullptr, "found", "Image",
       "Variable: KV_TEXROOT = " + folder_ / "root" + "\n"},
      {"Unset", "${KV_UNSET_ROOT}/tex/oak.png", 0, 0, nullptr, "missing", "Image", "Unset variable: KV_UNSET_ROOT\n"},
      {"Mapped", "/mnt/projects/tex/stone.png", 0, 0, nullptr, "found", "Image",
       "Mapped: /mnt/projects \u2192 " + folder_ / "mnt/projects" + "\n"},
      {"Windows", "p:\\PROJ\\tex\\stone.png", 0, 0, nullptr, "found", "Image", "Mapped: P:\\proj"},
      {"Relative", ".\\tex\\a.png", 0, 0, nullptr, "found", "Image", ""},
      {"Dead", "/nowhere/dead.png", 0, 0, nullptr, "missing", "Image", ""},
  };
  for (const Case& c : cases) Use(c.material, c.file, c.first, c.last, c.tiles);
  OpenSettled();
  for (const Case& c : cases) {
    const KvAssetEntry& row = RowOf(c.material);
    const char* status = row.IsMissing() ? "missing" : row.IsPartlyFound() ? "partial" : "found";
    EXPECT_STREQ(status, c.status) << c.material;
    EXPECT_EQ(AssetTypeText(row, true).Std(), c.type) << c.material;
    const std::string info = BuildAssetInfoText(row, kGroupNone).Std();
    EXPECT_NE(info.find(c.line), std::string::npos) << c.material << ":\n" << info;
    EXPECT_EQ(row.assetPath.GetString().Std(), c.file) << "the path stays as written";
  }
  // Found sets are probed and shown through a file of theirs.
  EXPECT_EQ(Filename::FromUrl(RowOf("Udim").resolvedUrl).GetString().Std(), folder_ / "tiles/wood.1001.png");
  EXPECT_EQ(Filename::FromUrl(RowOf("Printf").resolvedUrl).GetString().Std(), folder_ / "tex/seq/full.0020.png");
  EXPECT_EQ(RowOf("Udim").resolvedPath.Std(), folder_ / "tiles/wood.<UDIM>.png");

  // The status line counts the partly found sets beside the missing files.
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("Missing: 5 - Partly found: 3 - "));
}

// What used to go wrong: a sequence whose first frame was deleted was missing altogether.
TEST_F(FileSetsTest, ASequenceWithoutItsFirstFrameIsFoundThroughTheOthers) {
  std::filesystem::remove(folder_ / "tex/seq/full.0001.png");
  Use("Seq", "tex/seq/full.0001.png", 1, 24);
  OpenSettled();
  const KvAssetEntry& row = RowOf("Seq");
  EXPECT_TRUE(row.IsPartlyFound());
  EXPECT_EQ(row.setFound, 23);
  EXPECT_NE(BuildAssetInfoText(row, kGroupNone).Std().find("Frames: 23 of 24 (missing 1)\n"), std::string::npos);
}

TEST_F(FileSetsTest, WritesKeepTokensVariablesAndMappedRoots) {
  struct Case {
    std::string material, file;
    std::string chosen;  // the file a relink, replace or edit writes
    KvPathForm form;
    std::string stored;
  };
  const std::string root = folder_ / "root";
  const Case cases[] = {
      {"Variable", "$KV_TEXROOT/old/rust.png", root + "/new/rust.png", KvPathForm::Kept, "$KV_TEXROOT/new/rust.png"},
      {"Braced", "${KV_TEXROOT}/old/rust.png", root + "/new/rust.png", KvPathForm::Kept, "${KV_TEXROOT}/new/rust.png"},
      {"Outside", "$KV_TEXROOT/old/rust.png", "/lib/rust.png", KvPathForm::Kept, "/lib/rust.png"},
      {"Absolute", "$KV_TEXROOT/old/rust.png", root + "/new/rust.png", KvPathForm::VariablesExpanded,
       root + "/new/rust.png"},
      {"Mapped", "P:\\proj\\tex\\stone.png", folder_ / "winproj/tex/other.png", KvPathForm::VariablesExpanded,
       "P:\\proj\\tex\\other.png"},
      {"Applied", "P:\\proj\\tex\\stone.png", folder_ / "winproj/tex/stone.png", KvPathForm::Written,
       folder_ / "winproj/tex/stone.png"},
      {"Tiles", "tiles/wood.<UDIM>.png", "/lib/oak.1002.png", KvPathForm::Kept, "/lib/oak.<UDIM>.png"},
      {"Frames", "tex/seq/full.####.png", "/lib/shot.0017.png", KvPathForm::Kept, "/lib/shot.####.png"},
  };
  for (const Case& c : cases) Use(c.material, c.file);
  OpenSettled();
  {
    KvWritePass pass(*document_);
    for (const Case& c : cases) {
      auto& row = const_cast<KvAssetEntry&>(RowOf(c.material));
      EXPECT_EQ(pass.Write(row, Filename(c.chosen), false, c.form), kWriteDone) << c.material;
    }
  }
  for (const Case& c : cases) {
    const bx3::Element* shader = FindMaterial(c.material)->GetChildren().front().get();
    EXPECT_EQ(shader->GetFilename(bx3::param::kBitmapFile).GetString().Std(), c.stored) << c.material;
  }
  // Make Paths Absolute writes a set with its token, and a variable expanded.
  FinishJobs();
  Use("Set", "tiles/wood.<UDIM>.png");
  Use("Var", "$KV_TEXROOT/tex/oak.png");
  dialog_.RefreshAssets();
  FinishJobs();
  for (const KvAssetEntry& row : Collection().Rows()) {
    const std::string name = row.ownerMainLink.Resolve(document_)->GetName().Std();
    View().Selection().Set(const_cast<KvAssetEntry&>(row), name == "Set" || name == "Var");
  }
  ASSERT_TRUE(Kv_GlobalizeCommand(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(FindMaterial("Set")->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std(),
            folder_ / "tiles/wood.<UDIM>.png");
  EXPECT_EQ(FindMaterial("Var")->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std(),
            root + "/tex/oak.png");
}

TEST_F(FileSetsTest, CollectFilesCopiesEverySetFileNamesTheMissingOnesAndKeepsTheToken) {
  bx3::Element* tiles = Use("Tiles", "tiles/wood.<UDIM>.png", 0, 0, "1001-1002, 1011-1012");
  Use("Frames", "tex/seq/full.####.png", 23, 26);
  OpenSettled();
  for (KvAssetEntry& row : Collection().Rows()) {
    const std::string name = row.ownerMainLink.Resolve(document_)->GetName().Std();
    View().Selection().Set(row, name == "Tiles" || name == "Frames");
  }
  bx3::QueueMessageAnswer(bx3::kAnswerYes);  // copy the 2 files next to the scene: one question, none per frame
  ASSERT_TRUE(Kv_ConsolidateCommand(&dialog_).Execute(document_, nullptr));
  FinishJobs();
  EXPECT_EQ(bx3::QueuedAnswerCount(), 0);
  for (const char* file : {"wood.1001.png", "wood.1002.png", "wood.1011.png", "full.0023.png", "full.0024.png"}) {
    EXPECT_TRUE(std::filesystem::exists(folder_ / ("tex/" + std::string(file)))) << file;
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "tex/wood.1012.png"));
  EXPECT_THAT(Text(kGadgetStatus),
              testing::HasSubstr("3 files of sets missing: wood.1012.png, full.0025.png, full.0026.png"));
  // The rows now use the copies, through their tokens.
  EXPECT_EQ(tiles->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std(),
            folder_ / "tex/wood.<UDIM>.png");
  EXPECT_EQ(FindMaterial("Frames")->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std(),
            folder_ / "tex/full.####.png");
}

// A set is relinked through any file of it; a variable's row stays written through it.
TEST_F(FileSetsTest, RelinkFindsSetsByTheirFilesAndKeepsTheVariable) {
  kvtest::WriteBytes(folder_ / "root/new/rust.png", "x");
  Use("Tiles", "gone/wood.<UDIM>.png");
  Use("OldRust", "$KV_TEXROOT/old/rust.png");
  OpenSettled();
  for (KvAssetEntry& row : Collection().Rows()) {
    const std::string name = row.ownerMainLink.Resolve(document_)->GetName().Std();
    View().Selection().Set(row, name == "Tiles" || name == "OldRust");
  }
  ASSERT_TRUE(RowOf("Tiles").IsMissing());
  dialog_.RelinkTextures(Filename(folder_.Path()));
  FinishJobs();
  EXPECT_EQ(FindMaterial("Tiles")->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std(),
            folder_ / "tiles/wood.<UDIM>.png");
  EXPECT_EQ(FindMaterial("OldRust")->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std(),
            "$KV_TEXROOT/new/rust.png");
  EXPECT_FALSE(RowOf("Tiles").IsMissing());
}

// Mappings are written into the scene only by Apply Path Mappings: one undo step.
TEST_F(FileSetsTest, ApplyPathMappingsWritesTheMappedPathsAsOneStep) {
  Use("Unix", "/mnt/projects/tex/stone.png");
  Use("Windows", "P:\\proj\\tex\\stone.png");
  Use("Plain", "tex/a.png");
  const std::string before = bx3::SerializeDocument(*document_);
  OpenSettled();
  EXPECT_EQ(Kv_ApplyPathMappingsCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdEnabled);
  ASSERT_TRUE(Kv_ApplyPathMappingsCommand(&dialog_).Execute(document_, nullptr));  // nothing selected: every row
  FinishJobs();
  const auto stored = [&](const char* material) {
    return FindMaterial(material)->GetChildren().front()->GetFilename(bx3::param::kBitmapFile).GetString().Std();
  };
  EXPECT_EQ(stored("Unix"), folder_ / "mnt/projects/tex/stone.png");
  EXPECT_EQ(stored("Windows"), folder_ / "winproj/tex/stone.png");
  EXPECT_EQ(stored("Plain"), "tex/a.png");
  EXPECT_THAT(Text(kGadgetStatus), testing::HasSubstr("2 paths mapped"));
  ASSERT_TRUE(document_->Undo());
  EXPECT_EQ(bx3::SerializeDocument(*document_), before);
  bx3::Preferences::Get().SetPathMappings({});
  EXPECT_EQ(Kv_ApplyPathMappingsCommand(&dialog_).CommandState(document_, nullptr), bx3::kCmdDisabled);
}

TEST(TileListTest, NumbersAndRangesOfUdimTiles) {
  EXPECT_EQ(ParseTileList("1001-1003, 1011"), (std::vector<int64_t>{1001, 1002, 1003, 1011}));
  EXPECT_EQ(ParseTileList("1011 1001,1001"), (std::vector<int64_t>{1001, 1011}));
  EXPECT_EQ(ParseTileList("999-1001 x 12"), (std::vector<int64_t>{1001}));  // UDIM numbers only
  EXPECT_EQ(ParseTileList("9998-99999999"), (std::vector<int64_t>{9998, 9999}));
  EXPECT_TRUE(ParseTileList("").empty());
}

}  // namespace
