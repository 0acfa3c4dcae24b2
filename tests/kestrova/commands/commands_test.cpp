#include "bx3/commands.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"

using namespace kv;

namespace {

class CommandsTest : public kvtest::InspectorFixture {
 protected:
  template <typename Command>
  int32_t State() {
    return Command(&dialog_).CommandState(document_, nullptr);
  }
  template <typename Command>
  bool Run() {
    return Command(&dialog_).Execute(document_, nullptr);
  }
  int32_t SelectedRows() {
    int32_t count = 0;
    for (const KvAssetEntry& row : Collection().Rows()) count += row.selected;
    return count;
  }
};

TEST_F(CommandsTest, TheMainCommandIsCheckedWhileItsWindowIsOpen) {
  Kestrova main;
  EXPECT_FALSE(main.Execute(document_, nullptr));  // no dialog
  main.SetDialog(std::make_unique<KestrovaDialog>());
  EXPECT_EQ(main.CommandState(document_, nullptr), bx3::kCmdEnabled);
  ASSERT_TRUE(main.Execute(document_, nullptr));
  EXPECT_EQ(main.CommandState(document_, nullptr), bx3::kCmdEnabledChecked);
  ASSERT_TRUE(main.Execute(document_, nullptr));  // open already: stays open
  EXPECT_EQ(main.CommandState(document_, nullptr), bx3::kCmdEnabledChecked);
  main.GetDialog()->Close();
  EXPECT_EQ(main.CommandState(document_, nullptr), bx3::kCmdEnabled);
  FinishJobs();
}

TEST_F(CommandsTest, SelectionCommandsOnAnEmptyList) {
  bx3::CloseAllDocuments();
  document_ = bx3::AddDocument(std::make_unique<bx3::Document>());
  Open();
  for (const int32_t state : {State<Kv_SelectAllCommand>(), State<Kv_SelectMissingCommand>(),
                              State<Kv_InvertSelectionCommand>(), State<Kv_DeselectAllCommand>()}) {
    EXPECT_EQ(state, bx3::kCmdDisabled);
  }
  EXPECT_EQ(State<Kv_SelectActiveCommand>(), bx3::kCmdEnabled);
  EXPECT_EQ(Kv_SelectActiveCommand(nullptr).CommandState(document_, nullptr), bx3::kCmdEnabled);
  const int refreshes = Tree().refreshes;
  EXPECT_TRUE(Run<Kv_SelectActiveCommand>());
  EXPECT_GT(Tree().refreshes, refreshes);
  EXPECT_EQ(View().SelectedCount(), 0);
}

TEST_F(CommandsTest, SelectionCommandsKeepTheirCounts) {
  // A sixth use, found by its name alone: found elsewhere, not missing.
  kvtest::AddMaterialUsing(*document_, "Lost", "lost/b.png");
  Open();
  ASSERT_EQ(View().ListedCount(), 6);
  ASSERT_TRUE(Run<Kv_SelectAllCommand>());
  EXPECT_EQ(View().SelectedCount(), 6);
  EXPECT_EQ(SelectedRows(), 6);
  EXPECT_GE(View().CurrentRow(), 0);  // the first row that exists
  EXPECT_EQ(State<Kv_SelectAllCommand>(), bx3::kCmdDisabled);
  EXPECT_TRUE(Run<Kv_SelectAllCommand>());  // run anyway: no change
  EXPECT_EQ(View().SelectedCount(), 6);

  ASSERT_TRUE(Run<Kv_DeselectAllCommand>());
  EXPECT_EQ(View().SelectedCount(), 0);
  View().Selection().Select(Collection().Rows()[0]);
  ASSERT_TRUE(Run<Kv_InvertSelectionCommand>());
  EXPECT_EQ(View().SelectedCount(), 5);
  EXPECT_EQ(SelectedRows(), 5);

  // Select Missing: only the missing file (not the one found by name), and no current row.
  ASSERT_TRUE(Run<Kv_SelectMissingCommand>());
  EXPECT_EQ(View().SelectedCount(), 1);
  EXPECT_EQ(View().CurrentRow(), -1);
  for (const KvAssetEntry& row : Collection().Rows()) {
    EXPECT_EQ(bool(row.selected), row.assetPath == bx3::Filename("tex/gone.png")) << row.assetPath.GetString().Std();
  }

  // Select Active: the rows of the active material.
  document_->SetActiveMaterial(materials_[3]);  // Steel, b.png
  ASSERT_TRUE(Run<Kv_SelectActiveCommand>());
  EXPECT_EQ(View().SelectedCount(), 1);
  for (const KvAssetEntry& row : Collection().Rows()) {
    EXPECT_EQ(bool(row.selected), row.assetPath == bx3::Filename("tex/b.png"));
  }
  EXPECT_EQ(Text(kGadgetStatus), "Listed: 4 (6) - Missing: 1 - Selected: 1");
}

// What used to go wrong: in grouped views the selection commands made a position of the
// row list the current row, where the window reads a group: the information text then
// described another file than the one selected (or nothing).
TEST_F(CommandsTest, SelectionCommandsMakeASelectedRowCurrentInEveryGroupMode) {
  OpenSettled();
  // The file the information text describes is one that a selected row uses.
  const auto describesSelected = [&] {
    const std::string info = Text(kGadgetInfo);
    for (const KvAssetEntry& row : Collection().Rows()) {
      if (row.selected && !row.resolvedPath.IsEmpty() &&
          info.find("Full Path: " + row.resolvedPath.Std() + "\n") != std::string::npos) {
        return true;
      }
    }
    return false;
  };
  for (const int32_t mode : {kGroupNone, kGroupByAsset, kGroupByAssetType, kGroupByElementType, kGroupByLayer,
                             kGroupByTake, kGroupByNodeSpace, kGroupByFormat}) {
    ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, mode).Execute(document_, nullptr));
    for (bx3::Element* active : {materials_[2], materials_[3]}) {  // Elm: the third use of a.png; Steel: b.png
      document_->SetActiveMaterial(active);
      Run<Kv_SelectActiveCommand>();
      EXPECT_TRUE(describesSelected()) << "mode " << mode << ", select active " << active->GetName().Std();
    }
    Run<Kv_DeselectAllCommand>();
    Run<Kv_SelectAllCommand>();
    EXPECT_TRUE(describesSelected()) << "mode " << mode << ", select all";
    Run<Kv_DeselectAllCommand>();
    View().Selection().Select(Collection().Rows()[0]);
    Run<Kv_InvertSelectionCommand>();
    EXPECT_TRUE(describesSelected()) << "mode " << mode << ", invert";
  }
}

TEST_F(CommandsTest, ColumnTypeAndGroupCommands) {
  Open();
  const auto hasColumn = [&](int32_t column) {
    for (const bx3::TreeColumn& c : Tree().GetLayout()) {
      if (c.id == column) return true;
    }
    return false;
  };
  EXPECT_FALSE(hasColumn(column::kGlobalPath));
  EXPECT_EQ(State<Kv_ViewGlobalPathCommand>(), bx3::kCmdEnabled);
  ASSERT_TRUE(Run<Kv_ViewGlobalPathCommand>());
  EXPECT_TRUE(hasColumn(column::kGlobalPath));
  EXPECT_EQ(State<Kv_ViewGlobalPathCommand>(), bx3::kCmdEnabledChecked);
  EXPECT_EQ(Window().menus[kCmdViewGlobalPath], std::make_pair(true, true));
  // Stored for the next run.
  const bx3::Container* stored = bx3::Preferences::Get().Plugins().GetContainer(kMainCommandId);
  ASSERT_NE(stored, nullptr);
  EXPECT_TRUE(stored->GetBool(kCmdViewGlobalPath));

  // Grouped by layer, the layer column is shown, checked and disabled, whatever its flag.
  ASSERT_TRUE(Run<Kv_ViewLayerCommand>());
  EXPECT_FALSE(hasColumn(column::kLayer));
  int layouts = Tree().layouts;
  ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, kGroupByLayer).Execute(document_, nullptr));
  EXPECT_GT(Tree().layouts, layouts);
  EXPECT_TRUE(hasColumn(column::kLayer));
  EXPECT_EQ(State<Kv_ViewLayerCommand>(), bx3::kCmdCheckedDisabled);
  EXPECT_EQ(Kv_ViewGroupModeByCommand(&dialog_, kGroupByLayer).CommandState(document_, nullptr),
            bx3::kCmdEnabledChecked);
  EXPECT_EQ(Kv_ViewGroupModeByCommand(&dialog_, kGroupByAsset).CommandState(document_, nullptr), bx3::kCmdEnabled);
  EXPECT_EQ(View().Lists().viewGroups.size(), 1u);  // no element has a layer

  // A type filter hides rows but leaves the columns alone.
  layouts = Tree().layouts;
  ASSERT_TRUE(Run<Kv_ViewTypeImageCommand>());
  EXPECT_EQ(Tree().layouts, layouts);
  EXPECT_EQ(State<Kv_ViewTypeImageCommand>(), bx3::kCmdEnabled);
  EXPECT_EQ(View().ListedCount(), 0);
  ASSERT_TRUE(Run<Kv_ViewTypeImageCommand>());
  EXPECT_EQ(View().ListedCount(), 5);

  // What used to go wrong: "Listed" counted the file groups in the flat list too, and was
  // not written again after a change of the group mode. It counts what the list shows.
  const auto status = [&] {
    std::string text = Text(kGadgetStatus);
    return text.substr(0, text.find(" ("));
  };
  ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, kGroupNone).Execute(document_, nullptr));
  EXPECT_EQ(status(), "Listed: 5");
  ASSERT_TRUE(Kv_ViewGroupModeByCommand(&dialog_, kGroupByAsset).Execute(document_, nullptr));
  EXPECT_EQ(status(), "Listed: 3");
  ASSERT_TRUE(Run<Kv_ViewTypeImageCommand>());
  EXPECT_EQ(status(), "Listed: 0");
}

// What used to go wrong: choosing another filter column built the bar again with an empty
// text field and stored that, and a comparison column's new gadgets read "smaller than 0".
TEST_F(CommandsTest, TheFilterBarKeepsTextAndComparisonWhileHiddenAndAcrossColumnChanges) {
  OpenSettled();
  EXPECT_EQ(State<Kv_FilterbarCommand>(), bx3::kCmdEnabled);
  ASSERT_TRUE(Run<Kv_FilterbarCommand>());
  EXPECT_EQ(State<Kv_FilterbarCommand>(), bx3::kCmdEnabledChecked);
  // A choice in a gadget, as the window reports it.
  const auto choose = [&](int32_t gadget, int32_t value) {
    ASSERT_TRUE(dialog_.SetInt32(gadget, value));
    dialog_.Command(gadget, bx3::Container());
  };
  const auto chooseColumn = [&](int32_t column) { choose(kGadgetFilterColumn, column); };
  ASSERT_TRUE(dialog_.SetString(kGadgetFilterText, brantic::String("a.png")));
  dialog_.Command(kGadgetFilterText, bx3::Container());
  ASSERT_EQ(View().ListedCount(), 3);
  chooseColumn(kFilterPath);
  EXPECT_EQ(Text(kGadgetFilterText), "a.png");
  EXPECT_EQ(View().ListedCount(), 3);
  // Hidden, the bar keeps its text and every row shows; shown again, the text comes back.
  ASSERT_TRUE(Run<Kv_FilterbarCommand>());
  EXPECT_EQ(View().ListedCount(), 5);
  EXPECT_EQ(View().FilterBar().text, "a.png");
  ASSERT_TRUE(dialog_.SetString(kGadgetFilterText, brantic::String()));
  ASSERT_TRUE(Run<Kv_FilterbarCommand>());
  EXPECT_EQ(Text(kGadgetFilterText), "a.png");
  EXPECT_EQ(View().ListedCount(), 3);

  // The size column starts from the stored comparison (below 1000 KB): every row.
  chooseColumn(kFilterSize);
  double value = 0;
  ASSERT_TRUE(dialog_.GetFloat(kGadgetSizeValue, value));
  EXPECT_EQ(value, 1000.0);
  EXPECT_EQ(View().ListedCount(), 5);
  // A comparison chosen there is what the column shows when it comes back.
  choose(kGadgetSizeComparison, 2);
  EXPECT_EQ(View().ListedCount(), 0);
  chooseColumn(kFilterAsset);
  chooseColumn(kFilterSize);
  int32_t comparison = 0;
  ASSERT_TRUE(dialog_.GetInt32(kGadgetSizeComparison, comparison));
  EXPECT_EQ(comparison, 2);
  EXPECT_EQ(View().ListedCount(), 0);

  // The size gadgets filter: below 1 byte keeps the missing file alone, above it the four
  // found ones.
  ASSERT_TRUE(dialog_.SetInt32(kGadgetSizeComparison, 0));
  ASSERT_TRUE(dialog_.SetFloat(kGadgetSizeValue, 1.0));
  ASSERT_TRUE(dialog_.SetInt32(kGadgetSizeUnit, 2));
  dialog_.Command(kGadgetSizeValue, bx3::Container());
  EXPECT_EQ(View().ListedCount(), 1);
  choose(kGadgetSizeComparison, 2);
  EXPECT_EQ(View().ListedCount(), 4);
  // The status column (in its alternate number too): found elsewhere keeps none here.
  chooseColumn(kFilterStatus + kFilterAlternate);
  choose(kGadgetStatusComparison, 1);
  EXPECT_EQ(View().ListedCount(), 0);
  EXPECT_EQ(View().FilterBar().column, kFilterStatus + kFilterAlternate);
}

}  // namespace
