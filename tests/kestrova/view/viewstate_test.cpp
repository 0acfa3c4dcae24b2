#include "kestrova/module_fixture.h"
#include "view/kvviewstate.h"

using namespace kv;

namespace {

class ViewStateTest : public kvtest::ModuleFixture {
 protected:
  void SetUp() override {
    ModuleFixture::SetUp();
    // Positions 0..5 in collection order; grouped by asset: a {0, 2, 4}, b {1}, c {3, 5}.
    for (const char* path : {"a.png", "b.png", "a.png", "c.png", "a.png", "c.png"}) {
      rows_.push_back(Row(path, ASSETTYPE_IMAGE));
      rows_.back().rowIdentity = rows_.size();
    }
  }

  std::vector<KvAssetEntry> rows_;
  KvViewState view_;
};

TEST_F(ViewStateTest, TheCurrentPositionIsTheRecordShownInEveryGroupMode) {
  for (const int32_t mode : kGroupModes) {
    view_.Settings().groupMode = mode;
    ASSERT_TRUE(view_.Rebuild(rows_, nullptr, nullptr));
    for (int64_t position = 0; position < view_.ListedCount(); ++position) {
      view_.SetCurrentToPosition(position);
      bool groupRow = true;
      const KvAssetEntry* record = view_.CurrentRecord(rows_, groupRow);
      ASSERT_NE(record, nullptr) << mode << " at " << position;
      // The record at that place of the list, never the group's first member instead.
      EXPECT_EQ(record, &rows_[size_t(view_.Lists().rowIndexList[size_t(position)])]) << mode << " at " << position;
      EXPECT_FALSE(groupRow);
    }
    // A group row of several members stands for the group.
    if (mode == kGroupByAsset) {
      view_.SetCurrent(0, -1);
      bool groupRow = false;
      EXPECT_EQ(view_.CurrentRecord(rows_, groupRow)->rowIdentity, 1u);
      EXPECT_TRUE(groupRow);
    }
  }
  view_.SetCurrentToPosition(99);
  bool groupRow = false;
  EXPECT_EQ(view_.CurrentRecord(rows_, groupRow), nullptr);
}

TEST_F(ViewStateTest, TheFilterBarCountsTheSelectionAgainAndResetForgetsAll) {
  view_.Settings().groupMode = kGroupByAsset;
  for (KvAssetEntry& row : rows_) view_.Selection().Select(row);
  KvFilterBarState onlyC;
  onlyC.column = kFilterAsset;
  onlyC.text = brantic::String("c.png");
  ASSERT_TRUE(view_.Rebuild(rows_, nullptr, &onlyC));
  EXPECT_EQ(view_.ListedCount(), 2);
  EXPECT_EQ(view_.SelectedCount(), 2);  // the hidden rows lost their selection
  EXPECT_EQ(view_.Lists().viewGroups.size(), 1u);
  EXPECT_TRUE(view_.GroupHasSelection(rows_, 0));
  EXPECT_FALSE(view_.GroupHasSelection(rows_, 1));

  KvFilterBarState broken = onlyC;
  broken.text = brantic::String("(*");  // not an expression
  EXPECT_FALSE(view_.Rebuild(rows_, nullptr, &broken));
  EXPECT_EQ(view_.ListedCount(), 0);

  view_.SetCurrent(0, 1);
  view_.Reset();
  EXPECT_EQ(view_.ListedCount(), 0);
  EXPECT_EQ(view_.SelectedCount(), 0);
  EXPECT_EQ(view_.CurrentRow(), -1);
  EXPECT_EQ(view_.CurrentChild(), -1);
}

}  // namespace
