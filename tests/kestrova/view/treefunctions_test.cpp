#include "bx3/commands.h"
#include "bx3/icons.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "view/kvtreefunctions.h"

using namespace kv;

namespace {

class TreeTest : public kvtest::InspectorFixture {
 protected:
  void* Root() { return &Collection(); }
  void* User() { return &View(); }
  std::string Text(bx3::TreeItem item, int32_t column) {
    int64_t members = 0;
    const KvAssetEntry* record = KvTreeFunctions::Resolve(Collection(), View(), item, &members);
    return CellText(document_, record, column, KvTreeFunctions::PlaceOf(View(), item, members, false)).Std();
  }
  KvTreeFunctions tree_;
};

TEST_F(TreeTest, HandlesInAndOutOfRange) {
  KvTreeFunctions empty;
  KvCollection none;
  EXPECT_EQ(empty.FirstItem(&none, &View()), 0u);

  Open();
  ASSERT_EQ(View().GroupMode(), kGroupByAsset);
  // Groups by file name: a.png (3 uses), b.png, gone.png.
  const bx3::TreeItem first = tree_.FirstItem(Root(), User());
  EXPECT_EQ(first, MakeItem(0, 0));
  EXPECT_EQ(Text(first, column::kAsset), "a.png (3)");
  const bx3::TreeItem child = tree_.FirstChildItem(Root(), User(), first);
  EXPECT_EQ(child, MakeItem(0, 1));
  EXPECT_EQ(Text(child, column::kAsset), "   a.png");
  EXPECT_EQ(tree_.NextItem(Root(), User(), MakeItem(0, 2)), MakeItem(0, 3));
  EXPECT_EQ(tree_.NextItem(Root(), User(), MakeItem(0, 3)), 0u);
  // A single-use group is a plain row: no children, never open, no decoration.
  const bx3::TreeItem single = tree_.NextItem(Root(), User(), first);
  EXPECT_EQ(tree_.FirstChildItem(Root(), User(), single), 0u);
  EXPECT_FALSE(tree_.ItemOpen(Root(), User(), single));
  EXPECT_EQ(Text(single, column::kAsset), "b.png");
  EXPECT_EQ(tree_.NextItem(Root(), User(), MakeItem(2, 0)), 0u);

  // Out of range: nothing, never a record.
  for (const bx3::TreeItem item : {MakeItem(3, 0), MakeItem(99, 1), MakeItem(-1, 0), bx3::TreeItem(0)}) {
    EXPECT_EQ(KvTreeFunctions::Resolve(Collection(), View(), item), nullptr) << item;
    EXPECT_FALSE(tree_.ItemSelected(Root(), User(), item));
    EXPECT_EQ(tree_.NextItem(Root(), User(), item), 0u);
    EXPECT_EQ(tree_.ItemText(Root(), User(), item), GetResourceString(res::kNone));
  }

  // Without grouping: one row per use.
  ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, kGroupNone).Execute(document_, nullptr));
  EXPECT_EQ(tree_.FirstChildItem(Root(), User(), first), 0u);
  EXPECT_EQ(tree_.NextItem(Root(), User(), MakeItem(3, 0)), MakeItem(4, 0));
  EXPECT_EQ(tree_.NextItem(Root(), User(), MakeItem(4, 0)), 0u);
  EXPECT_EQ(Text(MakeItem(0, 0), column::kAsset), "a.png");
}

TEST_F(TreeTest, HeaderClicksToggleTheSortAndTheDialogSortsAgain) {
  Open();
  EXPECT_EQ(tree_.SortArrow(Root(), User(), column::kAsset), -1);
  EXPECT_EQ(tree_.SortArrow(Root(), User(), column::kPath), 0);
  EXPECT_FALSE(tree_.HeaderClicked(Root(), User(), column::kAsset, 2, false));  // another button
  EXPECT_FALSE(tree_.HeaderClicked(Root(), User(), column::kAsset, 1, true));   // a double click
  ASSERT_TRUE(tree_.HeaderClicked(Root(), User(), column::kAsset, 1, false));
  EXPECT_EQ(View().SortColumn(), -column::kAsset);
  EXPECT_EQ(tree_.SortArrow(Root(), User(), column::kAsset), 1);
  brantic::DrainMainThreadQueue();  // the dialog hears of it and sorts
  EXPECT_EQ(Text(MakeItem(0, 0), column::kAsset), "gone.png");
  ASSERT_TRUE(tree_.HeaderClicked(Root(), User(), column::kStatus, 1, false));
  EXPECT_EQ(View().SortColumn(), column::kStatus);
  brantic::DrainMainThreadQueue();
  EXPECT_EQ(Text(MakeItem(0, 0), column::kAsset), "gone.png");  // missing first
}

TEST_F(TreeTest, OnlyClippedPathsHaveTooltips) {
  Open();
  bx3::GeUserArea area;
  kvtest::RecordingAreaHost host(area);
  const bx3::TreeItem row = MakeItem(1, 0);  // b.png
  const int32_t width = 7 * int32_t(std::string("tex/b.png").size());
  EXPECT_EQ(tree_.CellTooltip(Root(), User(), row, column::kPath, &area, width), "");
  EXPECT_EQ(tree_.CellTooltip(Root(), User(), row, column::kPath, &area, width - 1), "tex/b.png");
  EXPECT_EQ(tree_.CellTooltip(Root(), User(), row, column::kAsset, &area, 1), "");
  EXPECT_EQ(tree_.CellTooltip(Root(), User(), row, column::kTake, &area, 1), "");  // no override
  auto& rows = Collection().Rows();
  const KvViewLists& lists = View().Lists();
  rows[size_t(lists.rowIndexList[size_t(lists.viewGroups[1][0])])].takeOverride = 1;
  EXPECT_EQ(tree_.CellTooltip(Root(), User(), row, column::kTake, &area, 1),
            GetResourceString(res::kNone).Std() + " (" + GetResourceString(res::kOverriddenInTake).Std() + ")");
  // The group row's tooltip shows the text without the count.
  EXPECT_EQ(tree_.CellTooltip(Root(), User(), MakeItem(0, 0), column::kPath, &area, 1), "tex/a.png");
}

TEST_F(TreeTest, CellsDrawIconsFoldArrowsAndColours) {
  Open();
  bx3::GeUserArea area;
  kvtest::RecordingAreaHost host(area);
  bx3::TreeDrawInfo info{&area, 100, 0, 200, 17, 0};
  const auto draw = [&](bx3::TreeItem item, int32_t column) {
    host.canvas = {};
    tree_.RenderCell(Root(), User(), item, column, info, bx3::GetHostColor(bx3::color::kRow));
    return host.canvas;
  };
  // Status: only an icon.
  kvtest::RecordingCanvas status = draw(MakeItem(2, 0), column::kStatus);
  EXPECT_TRUE(status.texts.empty());
  ASSERT_EQ(status.icons.size(), 1u);
  EXPECT_EQ(status.icons[0].first, bx3::icon::kStatusMissing);
  // A group row: fold arrow in the grouping column, text after it.
  kvtest::RecordingCanvas group = draw(MakeItem(0, 0), column::kAsset);
  ASSERT_EQ(group.icons.size(), 1u);
  EXPECT_EQ(group.icons[0].first, bx3::icon::kFoldClosed);
  ASSERT_EQ(group.texts.size(), 1u);
  EXPECT_EQ(group.texts[0].text, "a.png (3)");
  EXPECT_EQ(group.texts[0].x, 120);
  EXPECT_TRUE(draw(MakeItem(0, 0), column::kLayer).texts.empty());  // member-only column
  // A member without a layer: the no-layer icon, the text after it.
  kvtest::RecordingCanvas layer = draw(MakeItem(0, 1), column::kLayer);
  ASSERT_EQ(layer.icons.size(), 1u);
  EXPECT_EQ(layer.icons[0].first, bx3::icon::kNoLayer);
  EXPECT_EQ(layer.texts[0].x, 120);
  // Sizes are right-aligned.
  kvtest::RecordingCanvas size = draw(MakeItem(1, 0), column::kSize);
  ASSERT_EQ(size.texts.size(), 1u);
  EXPECT_EQ(size.texts[0].x + 7 * int32_t(size.texts[0].text.size()), 100 + 200 - 3);

  // Colours: plain, then selected as the current row, then a group with a selected member.
  EXPECT_EQ(draw(MakeItem(1, 0), column::kPath).texts[0].color, bx3::GetHostColor(bx3::color::kText));
  auto& rows = Collection().Rows();
  const KvViewLists& lists = View().Lists();
  rows[size_t(lists.rowIndexList[size_t(lists.viewGroups[1][0])])].selected = 1;
  View().SetCurrent(1, -1);
  EXPECT_EQ(draw(MakeItem(1, 0), column::kPath).texts[0].color, bx3::GetHostColor(bx3::color::kTextCurrent));
  View().SetCurrent(2, -1);
  EXPECT_EQ(draw(MakeItem(1, 0), column::kPath).texts[0].color, bx3::GetHostColor(bx3::color::kTextSelected));
  rows[size_t(lists.rowIndexList[size_t(lists.viewGroups[0][2])])].selected = 1;
  kv::KvDialogTestAccess::RefreshTree(dialog_);
  EXPECT_EQ(draw(MakeItem(0, 0), column::kAsset).texts[0].color, bx3::GetHostColor(bx3::color::kTextPartlySelected));
}

// What used to go wrong: the type column was as wide as its header, which clipped
// "3D Reference" beside its icon, and texts after an icon ran into the next column.
TEST_F(TreeTest, TheTypeColumnFitsTheLongestTypeBesideItsIcon) {
  Open();
  Collection().Rows()[0].assetType = ASSETTYPE_REFERENCED3D;
  bx3::GeUserArea area;
  kvtest::RecordingAreaHost host(area);
  int32_t widest = 0;
  for (const bx3::TreeItem item : {MakeItem(0, 0), MakeItem(0, 1), MakeItem(0, 2), MakeItem(1, 0), MakeItem(2, 0)}) {
    widest = std::max(widest, tree_.CellContentWidth(Root(), User(), item, column::kAssetType, &area));
  }
  const int32_t text = area.DrawGetTextWidth(GetResourceString(res::kTypeReference3d));
  EXPECT_GE(widest, text + 20 + 6);  // the text starts 20 pixels in, after the icon, and keeps a margin
  EXPECT_GE(widest, area.DrawGetTextWidth(GetResourceString(res::kColumnType)) + 10);
  // So does a using element's name beside its icon.
  const int32_t element = tree_.CellContentWidth(Root(), User(), MakeItem(1, 0), column::kElement, &area);
  EXPECT_EQ(element, area.DrawGetTextWidth(materials_[3]->GetName()) + 20 + 6);
}

class DanglingTest : public TreeTest {};

TEST_F(DanglingTest, RowsWhoseElementsAreGoneStillSortGroupAndDraw) {
  Open();
  materials_[3]->Remove();  // Steel, the only user of b.png
  bx3::GeUserArea area;
  kvtest::RecordingAreaHost host(area);
  for (int32_t column : {column::kStatus, column::kAssetType, column::kAsset, column::kPath, column::kGlobalPath,
                         column::kNewPath, column::kElementType, column::kElement, column::kBreadcrumb, column::kLayer,
                         column::kTake, column::kNodeSpace, column::kFormat, column::kSize, column::kResolution}) {
    bx3::TreeDrawInfo info{&area, 0, 0, 120, 17, 0};
    tree_.RenderCell(Root(), User(), MakeItem(1, 0), column, info, bx3::GetHostColor(bx3::color::kRow));
    tree_.CellTooltip(Root(), User(), MakeItem(1, 0), column, &area, 10);
    EXPECT_GT(tree_.CellContentWidth(Root(), User(), MakeItem(1, 0), column, &area), 0);
  }
  EXPECT_EQ(Text(MakeItem(1, 0), column::kElement), GetResourceString(res::kNone));
  for (int32_t sort : {column::kElement, -column::kElement, column::kLayer, column::kBreadcrumb}) {
    View().SetSortColumn(sort);
    kv::KvDialogTestAccess::SortRows(dialog_);
    ASSERT_TRUE(kv::KvDialogTestAccess::RebuildViewGroups(dialog_));
    EXPECT_EQ(Collection().Rows().size(), 5u);
  }
  // The row of the element that is gone sorts after the others by element.
  View().SetSortColumn(column::kElement);
  kv::KvDialogTestAccess::SortRows(dialog_);
  ASSERT_TRUE(kv::KvDialogTestAccess::RebuildViewGroups(dialog_));
  const auto& rows = Collection().Rows();
  const KvViewLists& lists = View().Lists();
  EXPECT_EQ(rows[size_t(lists.rowIndexList.back())].assetPath.GetFileView(), "b.png");
  ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, kGroupByLayer).Execute(document_, nullptr));
  EXPECT_EQ(View().Lists().viewGroups.size(), 1u);
}

}  // namespace
