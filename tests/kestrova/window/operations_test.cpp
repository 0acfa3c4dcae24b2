// The list after the inspector's own writes: rows that show what the scene now holds stay,
// other writes collect the rows again, and what the user made of the list stays with the
// uses it was made on.
#include <functional>

#include "bx3/commands.h"
#include "bx3/modal.h"
#include "commands/kvcommands.h"
#include "kestrova/inspector_fixture.h"
#include "preview/kvinfotext.h"
#include "view/kvtreefunctions.h"

using namespace kv;
using bx3::Filename;

namespace {

// The fixture's five shader uses and a node material that uses a.png in the standard node
// space and b.png in the second renderer's; listed flat.
class OperationsViewTest : public kvtest::InspectorFixture {
 protected:
  void SetUp() override {
    InspectorFixture::SetUp();
    bx3::Element* nodes =
        document_->InsertElement(bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, "Nodes"));
    for (const auto& [space, path, file] : {std::tuple{bx3::kNodeSpaceStandard, "diffuse", "tex/a.png"},
                                            std::tuple{bx3::kNodeSpaceLumen, "layers/albedo", "tex/b.png"}}) {
      brantic::NodeGraph graph{brantic::Id(space)};
      ASSERT_TRUE(graph
                      .AddNode({*brantic::NodePath::FromText(path),
                                brantic::Id("texture"),
                                {{brantic::Id("file"), Filename(file).GetUrl()}}})
                      .HasValue());
      nodes->SetNodeGraph(std::move(graph));
    }
    OpenSettled();
    dialog_.SetGroupMode(kGroupNone);
    dialog_.RegroupAndShow();
  }
  void* Root() { return &Collection(); }
  void* User() { return &View(); }
  // A row's name: its material, with the node space of a node's row.
  std::string NameOf(const KvAssetEntry& row) const {
    const bx3::Element* owner = row.ownerMainLink.Resolve(document_);
    return (owner ? owner->GetName().Std() : "?") + (row.nodeSpace.IsEmpty() ? "" : "#" + row.nodeSpace.Std()) +
           (row.takeLink.IsEmpty() ? "" : "@take");
  }
  int64_t PositionOf(const std::string& name) {
    const KvViewLists& lists = View().Lists();
    for (size_t position = 0; position < lists.rowIndexList.size(); ++position) {
      if (NameOf(Collection().Rows()[size_t(lists.rowIndexList[position])]) == name) return int64_t(position);
    }
    ADD_FAILURE() << "no row " << name;
    return 0;
  }
  // Clicks the first name, then adds the others: the first is the current row.
  void Select(const std::vector<const char*>& names) {
    int32_t mode = bx3::kSelectReplace;
    for (const char* name : names) {
      tree_.ChangeSelection(Root(), User(), MakeItem(PositionOf(name), 0), mode);
      mode = bx3::kSelectAdd;
    }
    FinishJobs();
  }
  std::string Selected() {
    std::string names;
    for (const int64_t index : View().Lists().rowIndexList) {
      const KvAssetEntry& row = Collection().Rows()[size_t(index)];
      if (row.selected) names += NameOf(row) + " ";
    }
    return names;
  }
  std::string Current() {
    bool groupRow = false;
    const KvAssetEntry* record = View().CurrentRecord(Collection().Rows(), groupRow);
    return record ? NameOf(*record) : "";
  }
  KvTreeFunctions tree_{&dialog_};
};

// Every write keeps the selection, the current row and the status line's count. Rows kept
// after a write, and after its undo and redo, show exactly what a new collection of the scene
// shows; a write that may have changed more (a renderer relinking every use of the old path
// itself, another file, two uses of one element becoming one) collects again. (What used to
// go wrong: each write collected the rows again through its own change message, and the
// selection, the current row and the count were gone.)
TEST_F(OperationsViewTest, EveryWriteKeepsTheSelectionAndKeptRowsAreWhatANewCollectionLists) {
  // A take sets Oak's shader to a.png spelt absolutely: one use, once Oak's own is absolute.
  bx3::Element* main = document_->InsertElement(bx3::Branch::Takes, std::make_unique<bx3::Take>("Main"));
  static_cast<bx3::Take*>(main->InsertChild(std::make_unique<bx3::Take>("Close-up")))
      ->SetOverride(materials_[0]->GetChildren().front().get(), bx3::param::kBitmapFile,
                    Filename(folder_ / "tex/a.png"));
  // Ash's file is found by its name in a search folder; the library has other files of the
  // names the scene uses.
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "library/c.png", {.width = 8, .height = 8}));
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "library/a.png", {.width = 16, .height = 4}));
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "library/gone.png", {.width = 2, .height = 2}));
  bx3::Preferences::Get().SetTextureSearchPaths({{Filename(folder_ / "library"), true}});
  // Yew's file lies where no search folder is.
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "other/d.png", {.width = 4, .height = 4}));
  kvtest::AddMaterialUsing(*document_, "Ash", "/old/c.png");
  kvtest::AddMaterialUsing(*document_, "Yew", folder_ / "other/d.png");
  dialog_.RefreshAssets();
  FinishJobs();
  const auto globalize = [&] { return Kv_GlobalizeCommand(&dialog_).Execute(document_, nullptr); };
  const auto localize = [&] { return Kv_LocalizeCommand(&dialog_).Execute(document_, nullptr); };
  const auto replaceWith = [&](std::string file) {
    return [this, file] {
      bx3::QueueFileAnswer(Filename(file));
      return Kv_ReplaceTextureCommand(&dialog_).Execute(document_, nullptr);
    };
  };
  const auto searchAndReplace = [&] {
    dialog_.SetString(kGadgetSearchText, brantic::String("tex/"));
    dialog_.SetString(kGadgetReplaceText, brantic::String("./tex/"));
    return dialog_.Command(kGadgetApply, bx3::Container());
  };
  const auto editOaksPath = [&] {
    const bx3::TreeItem item = MakeItem(PositionOf("Oak"), 0);
    tree_.CellDoubleClick(Root(), User(), item, column::kPath, bx3::TreeMouseInfo{});
    tree_.ItemText(Root(), User(), item);
    tree_.ApplyEditedText(Root(), User(), item, brantic::String("tex/b.png"));
    return true;
  };
  const std::string lumen = std::string("Nodes#") + bx3::kNodeSpaceLumen;
  struct Case {
    std::vector<const char*> selected;
    std::function<bool()> write;
    bool inPlace;
    std::function<bool()> before = [] { return true; };  // a step of its own, undone last
  };
  const Case cases[] = {
      {{"Steel", "Rust", "Ash"}, globalize, true},  // found, missing, found by name
      {{"Pine"}, globalize, true},
      {{"Oak"}, globalize, false},  // Oak's two uses of a.png become one
      {{"Steel", lumen.c_str()}, globalize, false},
      {{"Elm"}, replaceWith(folder_ / "tex/b.png"), false},  // a file of another name
      // Files of the same name elsewhere: the rows are probed again.
      {{"Elm"}, replaceWith(folder_ / "library/a.png"), true},
      {{"Rust"}, replaceWith(folder_ / "library/gone.png"), true},  // missing no more
      {{"Yew"}, replaceWith(folder_ / "nowhere/d.png"), true},      // missing now
      {{"Elm"}, searchAndReplace, true},
      {{"Pine", "Steel"}, localize, true, globalize},
      {{"Oak", "Steel"}, editOaksPath, false},
  };
  // What the list shows: each listed row in order, the current row and the status line.
  const auto shown = [&] {
    std::vector<std::string> lines;
    for (const int64_t index : View().Lists().rowIndexList) {
      const KvAssetEntry& row = Collection().Rows()[size_t(index)];
      lines.push_back(NameOf(row) + " " + row.assetPath.GetString().Std() + " " + std::to_string(row.resolveResult) +
                      " " + row.resolvedPath.Std() + " " + row.resolvedUrl.ToString() + " " +
                      std::to_string(row.fileSize) + " " + std::to_string(row.resolutionX) + " " +
                      row.formatText.Std() + (row.selected ? " selected" : "") + (row.hasNewPath ? " proposed" : ""));
    }
    lines.push_back("current " + Current() + "; " + Text(kGadgetStatus));
    return lines;
  };
  for (const Case& c : cases) {
    const std::string name = c.selected.front() + std::string(c.inPlace ? " in place" : " collected");
    Select(c.selected);
    ASSERT_TRUE(c.before()) << name;
    dialog_.RefreshAssets();
    FinishJobs();
    const std::vector<std::string> before = shown();
    const std::string selected = Selected();
    const uint64_t generation = Collection().Generation();
    const uint64_t revision = document_->GetRevision();
    ASSERT_TRUE(c.write()) << name;
    FinishJobs();
    EXPECT_NE(document_->GetRevision(), revision) << name << " wrote nothing";
    EXPECT_EQ(Collection().Generation() == generation, c.inPlace) << name;
    EXPECT_EQ(Selected(), selected) << name;
    EXPECT_EQ(View().SelectedCount(), int64_t(c.selected.size())) << name;
    EXPECT_EQ(Current(), c.selected.front()) << name;
    const std::vector<std::string> written = shown();
    // Its undo and its redo change the same rows back and forth. (Their change message comes
    // through the queue: a collection it starts probes after that.)
    ASSERT_TRUE(document_->Undo()) << name;
    FinishJobs();
    FinishJobs();
    EXPECT_EQ(shown(), before) << name;
    ASSERT_TRUE(document_->Redo()) << name;
    FinishJobs();
    FinishJobs();
    EXPECT_EQ(shown(), written) << name;
    EXPECT_EQ(Collection().Generation() == generation, c.inPlace) << name;
    dialog_.RefreshAssets();
    FinishJobs();
    EXPECT_EQ(shown(), written) << name;
    while (document_->Undo()) FinishJobs();
  }
}

// What used to go wrong: clearing the current row left its preview and text on screen, and
// the uses of node materials were skipped without a word.
TEST_F(OperationsViewTest, ClearTakesTheCurrentRowsPreviewAndClearsNodeUsesInOneStep) {
  const std::string standard = std::string("Nodes#") + bx3::kNodeSpaceStandard;
  const std::string lumen = std::string("Nodes#") + bx3::kNodeSpaceLumen;
  Select({"Steel", "Pine", standard.c_str(), lumen.c_str()});
  ASSERT_NE(Text(kGadgetInfo), NothingSelectedText().Std());
  ASSERT_TRUE(Kv_ClearAssetsCommand(&dialog_).Execute(document_, nullptr));
  FinishJobs();
  EXPECT_EQ(Selected(), "");
  EXPECT_EQ(Current(), "");
  EXPECT_EQ(Text(kGadgetInfo), NothingSelectedText().Std());
  EXPECT_FALSE(Preview().PreviewShown());
  EXPECT_EQ(View().ListedCount(), 3);  // Oak, Elm and Rust are left
  // One undo step brings every use back.
  ASSERT_TRUE(document_->Undo());
  FinishJobs();
  EXPECT_EQ(View().ListedCount(), 7);
}

}  // namespace
