#include "bx3/commands.h"
#include "bx3/userarea.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "operations/kvsearchreplace.h"

using namespace kv;
using bx3::Filename;

namespace {

TEST(SearchReplaceTest, ReplacesInTheModesPart) {
  struct Case {
    KvSearchReplace job;
    const char *path, *result;
  };
  const Case cases[] = {
      {{"tex", "maps", kReplaceInPath}, "tex/tex_a.png", "maps/maps_a.png"},
      {{"tex", "maps", kReplaceInFolder}, "tex/tex_a.png", "maps/tex_a.png"},
      {{"tex", "maps", kReplaceInFileName}, "tex/tex_a.png", "tex/maps_a.png"},
      {{"a/", "b/", kReplaceInFolder}, "a/a/x.png", "b/b/x.png"},  // the folder with its separator
      {{"x", "y", kReplaceInFileName}, "x.png", "y.png"},          // a bare name is all file name
      // Patterns: every match replaced, the text between kept.
      {{"*.png", "new.png", kReplaceInFileNamePattern}, "tex/old.png", "tex/new.png"},
      {{"v#", "v9", kReplaceInPathPattern}, "a_v1/b_v22.png", "a_v9/b_v9.png"},
      {{"?.exr", "x.exr", kReplaceInFileNamePattern}, "t/a.exr", "t/x.exr"},
      // Names holding the expression language's characters are taken literally.
      {{"a+b*", "c", kReplaceInFileNamePattern}, "t/a+b(1).png", "t/c"},
      {{"[1]*", "x", kReplaceInFileNamePattern}, "t/a[1].png", "t/ax"},
      {{"x.y", "z", kReplaceInPath}, "x.y/xzy", "z/xzy"},
  };
  for (const Case& c : cases) {
    const bool pattern = c.job.mode >= kReplaceInPathPattern;
    const auto compiled = brantic::RegularExpression::Compile(brantic::WildcardToRegex(c.job.search));
    ASSERT_TRUE(compiled) << c.job.search;
    EXPECT_EQ(ReplaceInPath(c.path, c.job, pattern ? &*compiled : nullptr), c.result) << c.job.search << " " << c.path;
  }
}

class SearchReplaceRowsTest : public ::testing::Test {
 protected:
  void Add(const char* path, bool selected = true) {
    KvAssetEntry& row = rows_.emplace_back();
    row.assetPath = Filename(path);
    row.selected = selected;
    listed_.push_back(int64_t(rows_.size() - 1));
  }
  std::vector<std::string> Proposals() const {
    std::vector<std::string> proposals;
    for (const KvAssetEntry& row : rows_) proposals.push_back(row.hasNewPath ? row.newPath.Std() : "-");
    return proposals;
  }
  bx3::Document document_;
  std::vector<KvAssetEntry> rows_;
  std::vector<int64_t> listed_;
};

TEST_F(SearchReplaceRowsTest, OnlySelectedRowsThatChangeAreProposed) {
  Add("tex/old.png");
  Add("tex/other.png");
  Add("tex/old_too.png", false);
  const auto result = ApplySearchReplace(rows_, listed_, {"old", "new", kReplaceInPath}, true, &document_);
  EXPECT_EQ(result.proposed, 1);
  EXPECT_EQ(Proposals(), (std::vector<std::string>{"tex/new.png", "-", "-"}));
  // An empty search text withdraws the proposals.
  ApplySearchReplace(rows_, listed_, {"", "new", kReplaceInPath}, true, &document_);
  EXPECT_EQ(Proposals(), (std::vector<std::string>{"-", "-", "-"}));
  // Without a document nothing happens.
  EXPECT_EQ(ApplySearchReplace(rows_, listed_, {"old", "new", kReplaceInPath}, true, nullptr).proposed, 0);
}

TEST_F(SearchReplaceRowsTest, WildcardsInPlainModesAndALoneHash) {
  Add("tex/shot_12.png");
  Add("tex/take#2.png");
  Add("tex/plain.png");
  // "*" makes a pattern of the whole path's mode.
  ApplySearchReplace(rows_, listed_, {"shot_*.png", "s.png", kReplaceInPath}, true, &document_);
  EXPECT_EQ(Proposals(), (std::vector<std::string>{"tex/s.png", "-", "-"}));
  // "#" alone: digits as a pattern first, then the text itself where the pattern found none.
  ApplySearchReplace(rows_, listed_, {"#", "N", kReplaceInFileName}, true, &document_);
  EXPECT_EQ(Proposals(), (std::vector<std::string>{"tex/shot_N.png", "tex/take#N.png", "-"}));
  // A search text that makes no valid pattern proposes nothing.
  const auto rejected = ApplySearchReplace(rows_, listed_, {"a(*", "b", kReplaceInPath}, true, &document_);
  EXPECT_TRUE(rejected.patternRejected);
  EXPECT_EQ(rejected.proposed, 0);
}

class SearchReplaceDialogTest : public kvtest::InspectorFixture {
 protected:
  void SetUp() override {
    InspectorFixture::SetUp();
    OpenSettled();
  }
  int64_t Proposed() {
    int64_t proposed = 0;
    for (const KvAssetEntry& row : Collection().Rows()) proposed += row.hasNewPath;
    return proposed;
  }
  void Type(int32_t gadget, const char* text) {
    dialog_.SetString(gadget, brantic::String(text));
    dialog_.Command(gadget, bx3::Container());
  }
};

TEST_F(SearchReplaceDialogTest, TypingProposesOnceItPausesAndApplyWritesOneUndoStep) {
  ASSERT_TRUE(Kv_SelectAllCommand(&dialog_).Execute(document_, nullptr));
  for (const char* text : {"g", "go", "gon", "gone"}) Type(kGadgetSearchText, text);
  Type(kGadgetReplaceText, "here");
  EXPECT_EQ(Proposed(), 0) << "nothing while typing";
  EXPECT_EQ(dialog_.TimerInterval(), 400);
  dialog_.Timer(bx3::Container());
  EXPECT_EQ(dialog_.TimerInterval(), 0) << "one proposal pass";
  EXPECT_EQ(Proposed(), 1);
  // What used to go wrong: the proposals went into a hidden column, and nothing told which
  // of them would break a path. The column shows while there are proposals, each marked.
  // Shown beside the path column, where it is in view.
  const auto proposalColumnShown = [&] {
    const std::vector<bx3::TreeColumn> layout = Tree().GetLayout();
    for (size_t i = 1; i < layout.size(); ++i) {
      if (layout[i].id == column::kNewPath) return layout[i - 1].id == column::kPath;
    }
    return false;
  };
  const auto proposalState = [&] {
    for (const KvAssetEntry& row : Collection().Rows()) {
      if (row.hasNewPath) return row.newPathState;
    }
    return uint8_t(kNewPathUnchecked);
  };
  EXPECT_TRUE(proposalColumnShown());
  EXPECT_EQ(proposalState(), kNewPathMissing);  // tex/here.png
  Type(kGadgetReplaceText, "b");
  dialog_.Timer(bx3::Container());
  EXPECT_EQ(proposalState(), kNewPathFound);  // tex/b.png
  Type(kGadgetReplaceText, "here");
  dialog_.Timer(bx3::Container());

  dialog_.Command(kGadgetApply, bx3::Container());
  EXPECT_EQ(StoredPath(4), "tex/here.png");
  EXPECT_EQ(StoredPath(3), "tex/b.png");
  EXPECT_EQ(Proposed(), 0);
  EXPECT_EQ(document_->UndoCount(), 1);
  EXPECT_FALSE(proposalColumnShown()) << "the user's choice again";
}

TEST_F(SearchReplaceDialogTest, HomeSelectsTheFirstRowAndWithdrawsProposals) {
  for (KvAssetEntry& row : Collection().Rows()) {
    row.hasNewPath = 1;
    row.newPath = brantic::String("x");
  }
  bx3::Container key(bx3::message::kKey), result;
  key.SetInt32(bx3::input::kChannel, bx3::key::kHome);
  EXPECT_EQ(dialog_.Message(key, result), 1);
  EXPECT_EQ(View().SelectedCount(), 3);  // the first group: a.png's three uses
  EXPECT_EQ(View().CurrentRow(), 0);
  EXPECT_EQ(Proposed(), 0);
  key.SetInt32(bx3::input::kChannel, bx3::key::kDown);
  dialog_.Message(key, result);
  EXPECT_EQ(View().SelectedCount(), 1);
  EXPECT_EQ(View().CurrentRow(), 1);
}

TEST_F(SearchReplaceDialogTest, TheChangeMessageCollectsOnlyWhenTheSceneMoved) {
  const uint64_t generation = Collection().Generation();
  bx3::Container change(bx3::kCoreMessageChange);
  dialog_.CoreMessage(bx3::kCoreMessageChange, change);
  dialog_.CoreMessage(bx3::kCoreMessageRedraw, change);
  EXPECT_EQ(Collection().Generation(), generation);

  materials_[3]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, Filename("tex/gone_too.png"));
  dialog_.CoreMessage(bx3::kCoreMessageChange, change);
  EXPECT_EQ(Collection().Generation(), generation + 1);
  EXPECT_EQ(Collection().MissingCount(), 2);
  // An undo is a change like any other.
  FinishJobs();
  document_->StartUndo();
  document_->AddUndo(bx3::kUndoChange, materials_[4]);
  materials_[4]->SetName("Iron");
  document_->EndUndo();
  ASSERT_TRUE(document_->Undo());
  FinishJobs();
  EXPECT_EQ(Collection().Generation(), generation + 2);
}

}  // namespace
