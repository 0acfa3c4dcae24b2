#include "bx3/commands.h"
#include "bx3/services.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "view/kvtreefunctions.h"

using namespace kv;

namespace {

// Grouped by asset: group 0 is a.png (Oak, Pine, Elm), group 1 b.png (Steel), group 2 the
// missing gone.png (Rust).
class TreeInputTest : public kvtest::InspectorFixture {
 protected:
  void SetUp() override {
    InspectorFixture::SetUp();
    OpenSettled();
  }
  void* Root() { return &Collection(); }
  void* User() { return &View(); }
  KvAssetEntry& RowOf(int32_t material) {
    for (KvAssetEntry& row : Collection().Rows()) {
      if (row.ownerMainLink.Resolve(document_) == materials_[size_t(material)]) return row;
    }
    return Collection().Rows().front();
  }
  // The materials whose rows are selected, by name.
  std::string Selected() {
    std::string names;
    for (size_t i = 0; i < materials_.size(); ++i) {
      if (RowOf(int32_t(i)).selected) names += materials_[i]->GetName().Std() + " ";
    }
    return names;
  }
  bool Click(bx3::TreeItem item, int32_t column, int32_t x, bool control = false) {
    bx3::TreeMouseInfo mouse;
    mouse.x = x;
    mouse.qualifier = control ? bx3::input::kQualifierControl : 0;
    return tree_.CellMouseDown(Root(), User(), item, column, mouse, false);
  }
  // A double click followed by an edit, as the tree does it (beside the element's icon).
  void Edit(bx3::TreeItem item, int32_t column, const char* text) {
    bx3::TreeMouseInfo mouse;
    mouse.x = 20;
    if (tree_.CellDoubleClick(Root(), User(), item, column, mouse)) return;
    tree_.ItemText(Root(), User(), item);
    tree_.ApplyEditedText(Root(), User(), item, brantic::String(text));
  }
  KvTreeFunctions tree_{&dialog_};
};

TEST_F(TreeInputTest, SelectionReplacesAddsAndRemoves) {
  struct Step {
    bx3::TreeItem item;
    int32_t mode;
    const char* selected;
    int64_t currentRow;
  };
  const Step steps[] = {
      {MakeItem(0, 0), bx3::kSelectReplace, "Oak Pine Elm ", 0},  // a group row stands for its members
      {MakeItem(1, 0), bx3::kSelectAdd, "Oak Pine Elm Steel ", 0},
      {MakeItem(0, 0), bx3::kSelectRemove, "Steel ", -1},  // the current row went
      {MakeItem(0, 2), bx3::kSelectReplace, "Pine ", 0},   // one member
      {MakeItem(2, 0), bx3::kSelectAdd, "Pine Rust ", 0},
      {MakeItem(2, 0), bx3::kSelectRemove, "Pine ", 0},
      {MakeItem(2, 0), bx3::kSelectRemove, "Pine ", 0},  // twice: the count stays
  };
  for (const Step& step : steps) {
    tree_.ChangeSelection(Root(), User(), step.item, step.mode);
    EXPECT_EQ(Selected(), step.selected) << step.item << " mode " << step.mode;
    const std::string names = step.selected;
    EXPECT_EQ(View().SelectedCount(), int32_t(std::count(names.begin(), names.end(), ' ')));
    EXPECT_EQ(View().CurrentRow(), step.currentRow);
  }
  FinishJobs();
  EXPECT_NE(Text(kGadgetInfo).find("a.png"), std::string::npos) << "the current row is described";
}

TEST_F(TreeInputTest, ChoosingACandidateUnselectsItsRecord) {
  ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, kGroupNone).Execute(document_, nullptr));
  tree_.ChangeSelection(Root(), User(), MakeItem(4, 0), bx3::kSelectReplace);
  KvAssetEntry& rust = RowOf(4);
  ASSERT_TRUE(rust.selected);
  rust.relinkCandidates = {{brantic::String("/x/gone.png"), 0}, {brantic::String("/y/gone.png"), 0}};
  tree_.ChangeSelection(Root(), User(), MakeItem(4, 3), bx3::kSelectAdd);  // the second candidate
  EXPECT_FALSE(rust.selected);
  EXPECT_EQ(View().SelectedCount(), 0);
  EXPECT_EQ(rust.relinkCandidates[0].flags, 0);
  EXPECT_EQ(rust.relinkCandidates[1].flags, kCandidateChosen);
  EXPECT_TRUE(tree_.ItemSelected(Root(), User(), MakeItem(4, 3)));
}

TEST_F(TreeInputTest, FollowingTheSelectionSelectsTheMaterialsInTheHost) {
  ASSERT_TRUE(Kv_ShowSelectedCommand(&dialog_).Execute(document_, nullptr));
  document_->SetActiveMaterial(nullptr);
  tree_.ChangeSelection(Root(), User(), MakeItem(1, 0), bx3::kSelectAdd);
  tree_.ChangeSelection(Root(), User(), MakeItem(2, 0), bx3::kSelectAdd);
  EXPECT_TRUE(document_->IsActive(materials_[3]));
  EXPECT_TRUE(document_->IsActive(materials_[4]));
  tree_.ChangeSelection(Root(), User(), MakeItem(1, 0), bx3::kSelectRemove);
  EXPECT_FALSE(document_->IsActive(materials_[3]));
  EXPECT_TRUE(document_->IsActive(materials_[4]));
}

TEST_F(TreeInputTest, FoldArrows) {
  const bx3::TreeItem group = MakeItem(0, 0);
  // Beside the arrow, or in another column: not a fold click; the row becomes current.
  EXPECT_FALSE(Click(group, column::kAsset, 13));
  EXPECT_FALSE(Click(group, column::kPath, 0));
  EXPECT_FALSE(tree_.ItemOpen(Root(), User(), group));
  EXPECT_EQ(View().CurrentRow(), 0);
  // On the arrow: the group opens and closes, and the click is used up.
  EXPECT_TRUE(Click(group, column::kAsset, 12));
  EXPECT_TRUE(tree_.ItemOpen(Root(), User(), group));
  EXPECT_TRUE(Click(group, column::kAsset, 0));
  EXPECT_FALSE(tree_.ItemOpen(Root(), User(), group));
  // A one-member group has nothing to fold: the click goes on to select.
  EXPECT_FALSE(Click(MakeItem(1, 0), column::kAsset, 0));
  EXPECT_EQ(RowOf(3).opened, 0);
  // With control: every group opens when the clicked one is closed, and closes when open.
  EXPECT_FALSE(Click(group, column::kAsset, 0, true));
  for (const KvAssetEntry& row : Collection().Rows()) EXPECT_EQ(row.opened, 1);
  EXPECT_FALSE(Click(group, column::kAsset, 0, true));
  for (const KvAssetEntry& row : Collection().Rows()) EXPECT_EQ(row.opened, 0);
}

TEST_F(TreeInputTest, DoubleClicksEditOnlyTextColumns) {
  const std::pair<int32_t, bool> columns[] = {
      {column::kResolution, true}, {column::kSize, true},        {column::kStatus, true}, {column::kAssetType, true},
      {column::kNewPath, true},    {column::kLayer, true},       {column::kTake, true},   {column::kAsset, false},
      {column::kPath, false},      {column::kGlobalPath, false},
  };
  for (const auto& [column, handled] : columns) {
    EXPECT_EQ(tree_.CellDoubleClick(Root(), User(), MakeItem(1, 0), column, bx3::TreeMouseInfo{}), handled) << column;
    EXPECT_EQ(View().LastDoubleClickColumn(), column);
  }
  // Editing starts with the text without group decoration; other asks get it decorated.
  ASSERT_FALSE(tree_.CellDoubleClick(Root(), User(), MakeItem(0, 0), column::kAsset, bx3::TreeMouseInfo{}));
  EXPECT_EQ(tree_.ItemText(Root(), User(), MakeItem(0, 0)).Std(), "a.png");
  EXPECT_EQ(tree_.ItemText(Root(), User(), MakeItem(0, 0)).Std(), "a.png (3)");
  // A group row of another grouping edits nothing.
  ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, kGroupByFormat).Execute(document_, nullptr));
  EXPECT_TRUE(tree_.CellDoubleClick(Root(), User(), MakeItem(0, 0), column::kPath, bx3::TreeMouseInfo{}));
}

TEST_F(TreeInputTest, RenamingAGroupsFileIsOneUndoStep) {
  Edit(MakeItem(0, 0), column::kAsset, "c.png");
  for (size_t material : {0, 1, 2}) EXPECT_EQ(StoredPath(material), "tex/c.png");
  EXPECT_EQ(StoredPath(3), "tex/b.png");
  EXPECT_EQ(document_->UndoCount(), 1);
  EXPECT_EQ(Collection().MissingCount(), 4);
  ASSERT_TRUE(document_->Undo());
  FinishJobs();  // the undo's change message lists the rows again
  for (size_t material : {0, 1, 2}) EXPECT_EQ(StoredPath(material), "tex/a.png");

  // One member of the group: it leaves the group, and the view groups again.
  Edit(MakeItem(0, 2), column::kPath, "maps/pine.png");
  EXPECT_EQ(StoredPath(1), "maps/pine.png");
  EXPECT_EQ(StoredPath(0), "tex/a.png");
  EXPECT_EQ(View().Lists().viewGroups.size(), 4u);
}

TEST_F(TreeInputTest, EditsThatWouldBreakAPathAreRefused) {
  for (const auto& [column, text] : std::vector<std::pair<int32_t, const char*>>{
           {column::kAsset, "bad\nname.png"}, {column::kPath, "tex/"}, {column::kPath, "a\rb.png"}}) {
    Edit(MakeItem(1, 0), column, text);
    EXPECT_EQ(StoredPath(3), "tex/b.png") << text;
    // What used to go wrong: "Note:A path needs..." without a space.
    EXPECT_NE(Text(kGadgetStatus).find("Note: " + GetResourceString(res::kEditedPathRefused).Std()), std::string::npos);
  }
  EXPECT_EQ(document_->UndoCount(), 0);
}

TEST_F(TreeInputTest, RenamesElementsAndStoresProposedPaths) {
  Edit(MakeItem(1, 0), column::kElement, "Iron");
  EXPECT_EQ(materials_[3]->GetName().Std(), "Iron");
  EXPECT_EQ(document_->UndoCount(), 1);
  // A proposed path is kept only for a row that has one pending.
  KvAssetEntry& steel = RowOf(3);
  tree_.CellDoubleClick(Root(), User(), MakeItem(1, 0), column::kNewPath, bx3::TreeMouseInfo{});
  tree_.ApplyEditedText(Root(), User(), MakeItem(1, 0), brantic::String("/x/b.png"));
  EXPECT_TRUE(steel.newPath.IsEmpty());
  steel.hasNewPath = 1;
  tree_.ApplyEditedText(Root(), User(), MakeItem(1, 0), brantic::String("/x/b.png"));
  EXPECT_EQ(steel.newPath.Std(), "/x/b.png");
  EXPECT_EQ(document_->UndoCount(), 1);
}

TEST_F(TreeInputTest, ContextMenuEntriesAndTheirStates) {
  const auto menuOf = [&](bx3::TreeItem item) {
    bx3::ContextMenu menu;
    menu.Add(bx3::kTreeMenuExpandAll, "Expand all");
    menu.Add(bx3::kTreeMenuCollapseAll, "Collapse all");
    tree_.BuildContextMenu(Root(), User(), item, column::kPath, menu);
    std::string enabled;
    for (const auto& entry : menu.Entries()) {
      const bool disabled = entry.text.Std().ends_with(bx3::kMenuDisabledMarker);
      enabled += entry.id == 0 ? "|" : disabled ? "-" : "+";
    }
    return enabled;
  };
  // The missing file's row: no file entries; nothing selected yet.
  EXPECT_EQ(menuOf(MakeItem(2, 0)), "---++|+-++|-----+");
  tree_.ChangeSelection(Root(), User(), MakeItem(0, 0), bx3::kSelectReplace);
  EXPECT_EQ(menuOf(MakeItem(0, 0)), "+++++|++++|++++++");
  // The entries run the inspector's commands as the host has them registered.
  ASSERT_TRUE(bx3::RegisterCommandPlugin(kCmdSelectAll, "Select All", 0, nullptr, "",
                                         std::make_unique<Kv_SelectAllCommand>(&dialog_)));
  ASSERT_TRUE(tree_.RunContextCommand(Root(), User(), MakeItem(0, 0), column::kPath, 900016));
  bx3::FreeRegisteredCommands();
  EXPECT_EQ(Selected(), "Oak Pine Elm Steel Rust ");
  EXPECT_EQ(menuOf(0), "-----|-+++|++++++");  // all selected

  // An empty list: every entry, all disabled.
  bx3::CloseAllDocuments();
  document_ = bx3::AddDocument(std::make_unique<bx3::Document>());
  dialog_.RefreshAssets();
  EXPECT_EQ(menuOf(0), "-----|----|------");
}

TEST_F(TreeInputTest, FileAndManagerCommandsActOnTheCurrentAsset) {
  // Nothing current: nothing done, and that is no failure.
  EXPECT_TRUE(Kv_ShowFileInExplorer(&dialog_).Execute(document_, nullptr));
  // For a shader's file: the shader with its file, or the material.
  tree_.ChangeSelection(Root(), User(), MakeItem(1, 0), bx3::kSelectReplace);
  ASSERT_TRUE(Kv_OpenFileInManager(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(bx3::GetAttributeManagerState().element.Resolve(document_), materials_[3]->GetChildren().front().get());
  EXPECT_EQ(bx3::GetAttributeManagerState().mode, 4);
  ASSERT_TRUE(Kv_OpenElementInManager(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(bx3::GetAttributeManagerState().element.Resolve(document_), materials_[3]);
  EXPECT_EQ(bx3::GetAttributeManagerState().mode, 3);
  EXPECT_EQ(Kv_OpenFileInPictureViewer(&dialog_).CommandState(document_, nullptr), bx3::kCmdEnabled);
  EXPECT_TRUE(Kv_OpenFileInPictureViewer(&dialog_).Execute(document_, nullptr));
  // A file that cannot be found: the host is asked to show nothing, and says no.
  tree_.ChangeSelection(Root(), User(), MakeItem(2, 0), bx3::kSelectReplace);
  EXPECT_EQ(Kv_ShowFileInExplorer(&dialog_).CommandState(document_, nullptr), bx3::kCmdDisabled);
  EXPECT_FALSE(Kv_ShowFileInExplorer(&dialog_).Execute(document_, nullptr));
  // The current row past the end of the list: every command answers false.
  View().SetCurrent(7, -1);
  EXPECT_FALSE(Kv_ShowFileInExplorer(&dialog_).Execute(document_, nullptr));
  EXPECT_FALSE(Kv_OpenFileInExplorer(&dialog_).Execute(document_, nullptr));
  EXPECT_FALSE(Kv_OpenFileInPictureViewer(&dialog_).Execute(document_, nullptr));
  EXPECT_FALSE(Kv_OpenFileInManager(&dialog_).Execute(document_, nullptr));
  EXPECT_FALSE(Kv_OpenElementInManager(&dialog_).Execute(document_, nullptr));
  EXPECT_EQ(Kv_OpenElementInManager(&dialog_).CommandState(document_, nullptr), bx3::kCmdDisabled);
}

}  // namespace
