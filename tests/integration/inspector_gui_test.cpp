// The built module in bx3's own Qt window, off screen, on a copy of the demo scene: what a
// user does to the inspector window in one process, painted as the screen would be.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../../host/src/gui/qt_dialog_window.h"
#include "../../host/src/gui/qt_main_window.h"
#include "../../host/src/gui/qt_treeview.h"
#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "brantic/thread.h"
#include "bx3/automation.h"
#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/host.h"
#include "bx3/module.h"
#include "bx3/prefs.h"
#include "bx3/qtgui.h"
#include "bx3/scenefile.h"
#include "inspector_ids.h"
#include "support/temp_folder.h"

namespace {

using kvtest::kColumnCommands;
using namespace kv;
constexpr int32_t kInspector = kMainCommandId;
constexpr int32_t kSelectAll = kCmdSelectAll;

class InspectorGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "inspector_gui_tests";
    static char* argv[] = {name, nullptr};
    ASSERT_TRUE(bx3::InitializeGui(argc, argv));
    bx3::InitializeHost();
    auto module = bx3::LoadedModule::Load(KV_MODULE);
    ASSERT_TRUE(module.HasValue()) << module.GetError().Message();
    module_ = std::move(*module).release();
  }
  static void TearDownTestSuite() {
    WaitForQuiet();
    bx3::FreeRegisteredCommands();
    bx3::ProcessGuiEvents();
    delete module_;
    bx3::CloseAllDocuments();
    brantic::JobQueue::ShutdownAll();
    bx3::ShutdownGui();
  }
  void SetUp() override {
    bx3::Preferences::Get().Reset();
    std::filesystem::copy(std::string(KV_SOURCE_DIR) + "/examples/demo", folder_ / "demo",
                          std::filesystem::copy_options::recursive);
    std::filesystem::copy(folder_ / "demo", folder_ / "other", std::filesystem::copy_options::recursive);
    ASSERT_TRUE(bx3::OpenDocumentInPlace(folder_ / "demo/demo.bx3").HasValue());
  }
  void TearDown() override {
    if (bx3::GeDialog* dialog = bx3::FindOpenDialog(kInspector)) dialog->Close();
    WaitForQuiet();
    bx3::CloseAllDocuments();
  }
  static void WaitForQuiet() {
    for (int round = 0; round < 100; ++round) {
      brantic::JobQueue::WaitAllIdle();
      brantic::ThreadInterface::WaitAllRuns();
      bx3::ProcessGuiEvents();
      if (!brantic::HasMainThreadWork() && brantic::JobQueue::AreAllIdle()) return;
    }
  }
  static bx3::GeDialog* OpenInspector() {
    EXPECT_TRUE(bx3::CallCommand(kInspector));
    WaitForQuiet();
    return bx3::FindOpenDialog(kInspector);
  }
  static QWidget* Window(bx3::GeDialog& dialog) { return dynamic_cast<QWidget*>(dialog.GetWindow()); }
  static bx3::gui::TreeViewWidget* Tree(bx3::GeDialog& dialog) {
    return dynamic_cast<bx3::gui::DialogWindowWidget*>(dialog.GetWindow())->FirstTree();
  }
  // Draws the window as the screen would (every visible cell asks the module).
  static QImage Paint(bx3::GeDialog& dialog) {
    bx3::ProcessGuiEvents();
    return Window(dialog)->grab().toImage();
  }
  static bx3::DialogReport Report(bx3::GeDialog& dialog) {
    bx3::DialogReport report;
    EXPECT_TRUE(bx3::ReportDialog(dialog, report));
    return report;
  }

  kvtest::TempFolder folder_;
  static bx3::LoadedModule* module_;
};

bx3::LoadedModule* InspectorGuiTest::module_ = nullptr;

// What used to go wrong: at some window sizes, showing a column made the tree's scroll bars
// resize its viewport, which refreshed the tree, which changed the scroll bars again.
TEST_F(InspectorGuiTest, EveryViewCommandSettlesAtEveryWindowSize) {
  bx3::GeDialog* dialog = OpenInspector();
  ASSERT_NE(dialog, nullptr);
  bx3::gui::TreeViewWidget* tree = Tree(*dialog);
  ASSERT_NE(tree, nullptr);
  // The window's first size, then others.
  for (int size = 0; size < 6; ++size) {
    if (size > 0) Window(*dialog)->resize(700 + 97 * size, 380 + 23 * size);
    for (const auto& commands : {std::begin(kColumnCommands), std::begin(kGroupModes)}) {
      const bool columns = commands == std::begin(kColumnCommands);
      for (auto command = commands; command != (columns ? std::end(kColumnCommands) : std::end(kGroupModes));
           ++command) {
        ASSERT_TRUE(bx3::CallCommand(*command)) << *command;
        bx3::ProcessGuiEvents();
        const int64_t refreshes = tree->RefreshCount();
        for (int round = 0; round < 5; ++round) QApplication::processEvents(QEventLoop::AllEvents);
        ASSERT_EQ(tree->RefreshCount(), refreshes) << "command " << *command << " at size " << size;
        ASSERT_FALSE(Report(*dialog).rows.empty()) << *command;
      }
    }
  }
}

// What used to go wrong: File > Open and Revert freed the document while the inspector kept
// its rows, and the next paint resolved their links through the freed document. Now the
// inspector lets go of them, and the host's change message lists the new scene.
TEST_F(InspectorGuiTest, AnotherSceneInPlaceOfTheInspectedOneLeavesNoRowsBehind) {
  bx3::GeDialog* dialog = OpenInspector();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(bx3::CallCommand(kGroupByAsset));
  ASSERT_TRUE(bx3::CallCommand(kSelectAll));
  ASSERT_EQ(Report(*dialog).rows.size(), 13u);

  for (const char* step : {"open another scene", "revert"}) {
    ASSERT_TRUE(bx3::OpenDocumentInPlace(folder_ / "other/demo.bx3").HasValue()) << step;
    EXPECT_FALSE(Paint(*dialog).isNull());
    WaitForQuiet();
    const bx3::DialogReport report = Report(*dialog);
    EXPECT_EQ(report.rows.size(), 13u) << step;
    EXPECT_EQ(report.status, "Listed: 13 (16) - Missing: 3 - Selected: 0") << step;
    EXPECT_EQ(report.info, "<<Nothing selected>>") << step;
    // The new scene is listed once asked for again.
    dialog->Close();
    dialog = OpenInspector();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(bx3::CallCommand(kSelectAll));
    EXPECT_EQ(Report(*dialog).rows.size(), 13u) << step;
  }

  // The window closed meanwhile: the dialog keeps its rows, but not those of a freed scene.
  dialog->Close();
  WaitForQuiet();
  ASSERT_TRUE(bx3::OpenDocumentInPlace(folder_ / "demo/demo.bx3").HasValue());
  EXPECT_TRUE(bx3::CallCommand(kSelectAll));  // commands run with the window closed
  EXPECT_TRUE(bx3::CallCommand(1029816));     // select active: reads the rows' elements
  dialog = OpenInspector();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(Paint(*dialog).isNull());
  EXPECT_EQ(Report(*dialog).rows.size(), 13u);

  // A scene that cannot be loaded leaves the inspected one as it was.
  std::filesystem::remove(folder_ / "other/demo.bx3");
  EXPECT_FALSE(bx3::OpenDocumentInPlace(folder_ / "other/demo.bx3").HasValue());
  EXPECT_EQ(Report(*dialog).rows.size(), 13u);
}

// What used to go wrong: the window's group weights were kept but not applied, so the list
// showed about ten rows beside a large empty detail row, and nothing could be dragged.
TEST_F(InspectorGuiTest, TheListTakesTheWindowsHeightAndTheDividerMoves) {
  bx3::GeDialog* dialog = OpenInspector();
  ASSERT_NE(dialog, nullptr);
  bx3::ProcessGuiEvents();
  bx3::gui::TreeViewWidget* tree = Tree(*dialog);
  auto* window = dynamic_cast<bx3::gui::DialogWindowWidget*>(dialog->GetWindow());
  QWidget* preview = window->Gadget(10052);
  ASSERT_TRUE(tree && preview);
  EXPECT_EQ(Window(*dialog)->height(), 500);
  // The list takes what the filter row, the detail row (at its own height) and the status
  // line leave: room for every row of the demo.
  EXPECT_EQ(preview->height(), 120);
  EXPECT_GE(tree->height(), 280);
  EXPECT_GE((tree->viewport()->height() - tree->HeaderHeight()) / tree->RowHeight(), 13);

  // Dragging the divider above the detail row up gives the preview that room.
  // (dynamic_cast: qobject_cast needs the meta-objects of one copy of Qt, which sanitizer builds break)
  auto* splitter = dynamic_cast<QSplitter*>(tree->parentWidget()->parentWidget());  // of the tree group
  ASSERT_NE(splitter, nullptr);
  QSplitterHandle* handle = splitter->handle(2);
  ASSERT_TRUE(handle->isEnabled());
  EXPECT_FALSE(splitter->handle(1)->isEnabled());  // beside the filter row, of fixed height
  const QPoint start(handle->width() / 2, handle->height() / 2);
  const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(handle, &event);
  };
  mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
  mouse(QEvent::MouseMove, start - QPoint(0, 100), Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, start - QPoint(0, 100), Qt::NoButton);
  bx3::ProcessGuiEvents();
  EXPECT_EQ(preview->height(), 220);
  bx3::Container weights;
  ASSERT_TRUE(dialog->GetGroupWeights(10045, weights));
  EXPECT_EQ(weights.GetInt32(bx3::kWeightRows), 3);
  EXPECT_GT(weights.GetFloat(bx3::kWeightRows + 3), 0.4);  // the detail row's share now
}

// Real mouse presses on the list: a row is selected by a click, and a right click below the
// rows offers the whole context menu, with the entries that need a row disabled.
TEST_F(InspectorGuiTest, ClicksSelectAndARightClickBelowTheRowsOffersTheMenu) {
  bx3::GeDialog* dialog = OpenInspector();
  ASSERT_NE(dialog, nullptr);
  bx3::gui::TreeViewWidget* tree = Tree(*dialog);
  ASSERT_NE(tree, nullptr);
  QWidget* viewport = tree->viewport();
  const auto press = [&](QPoint at, Qt::MouseButton button) {
    QMouseEvent event(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
    bx3::ProcessGuiEvents();
  };
  press(QPoint(5, tree->HeaderHeight() + 2 * tree->RowHeight() + 2), Qt::LeftButton);
  WaitForQuiet();
  const bx3::DialogReport report = Report(*dialog);
  for (size_t row = 0; row < report.rows.size(); ++row) EXPECT_EQ(report.rows[row].selected, row == 2) << row;

  press(QPoint(5, viewport->height() - 3), Qt::RightButton);
  QMenu* menu = nullptr;
  for (QObject* child : tree->children()) {
    if (auto* found = dynamic_cast<QMenu*>(child)) menu = found;
  }
  ASSERT_NE(menu, nullptr);
  std::string states;
  for (QAction* action : menu->actions()) states += action->isSeparator() ? "|" : action->isEnabled() ? "+" : "-";
  EXPECT_EQ(states, "-----|++++|++++++");
  menu->close();
}

// Opening, changing and closing the window again and again while probing and previews still
// run: no work that outlives a closed window may touch it. scripts/check runs 1,000 rounds
// under the thread sanitizer (KV_STRESS_ROUNDS); the normal suite runs a few.
TEST_F(InspectorGuiTest, OpeningChangingAndClosingManyTimesWhileWorkRuns) {
  const char* asked = std::getenv("KV_STRESS_ROUNDS");
  const int rounds = asked ? std::atoi(asked) : 20;
  constexpr int32_t kFilterText = kGadgetFilterText;
  constexpr int32_t kFilterColumn = kGadgetFilterColumn;
  constexpr int32_t kShowFilterBar = kCmdFilterbar;
  const char* const filters[] = {"", "wood", "*.png", "tex/#", ""};
  int32_t sortColumn = 0;
  ASSERT_TRUE(bx3::ParseColumnId("asse", sortColumn));
  for (int round = 0; round < rounds; ++round) {
    ASSERT_TRUE(bx3::CallCommand(kInspector)) << round;  // opens the window; probing starts
    bx3::GeDialog* dialog = bx3::FindOpenDialog(kInspector);
    ASSERT_NE(dialog, nullptr) << round;
    bx3::ProcessGuiEvents();  // some results taken in, others still on their way
    ASSERT_TRUE(bx3::CallCommand(kColumnCommands[round % std::size(kColumnCommands)]));
    ASSERT_TRUE(bx3::CallCommand(kGroupModes[round % std::size(kGroupModes)]));
    bx3::ClickTreeHeader(*dialog, sortColumn);
    // The filter bar comes and goes; a new filter column rebuilds the bar's gadgets.
    if (round % 4 == 0) {
      ASSERT_TRUE(bx3::CallCommand(kShowFilterBar));
    }
    bx3::SetGadgetFromText(*dialog, kFilterColumn, std::to_string(round % 13));
    bx3::SetGadgetFromText(*dialog, kFilterText, filters[round % std::size(filters)]);
    bx3::ClickTreeRow(*dialog, round % 5, bx3::kSelectReplace);  // asks for a preview
    ASSERT_TRUE(bx3::CallCommand(round % 2 ? kSelectAll : kCmdSelectActive));
    if (round % 3 == 0) Paint(*dialog);
    dialog->Close();  // with work still running
  }
  WaitForQuiet();
  bx3::GeDialog* dialog = OpenInspector();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(Report(*dialog).rows.empty());
}

// What used to go wrong: the main window's one menu listed all the inspector's commands in
// two columns, each with a check box. The inspector is under Window with a shortcut; its own
// commands are in its own menus.
TEST_F(InspectorGuiTest, TheMainWindowListsTheInspectorUnderWindowAndLeavesItsCommandsToIt) {
  bx3::gui::MainWindow window;
  QAction* inspector = nullptr;
  for (QAction* action : window.WindowMenu()->actions()) {
    if (action->data().toInt() == kInspector) inspector = action;
  }
  ASSERT_NE(inspector, nullptr);
  EXPECT_EQ(inspector->text(), "Asset Inspector...");
  EXPECT_EQ(inspector->shortcut(), QKeySequence("Ctrl+Shift+A"));
  for (QAction* action : window.CommandMenu()->actions()) {
    EXPECT_NE(action->data().toInt(), kSelectAll) << action->text().toStdString();
  }
  inspector->trigger();
  WaitForQuiet();
  ASSERT_NE(bx3::FindOpenDialog(kInspector), nullptr);
  bx3::ProcessGuiEvents();
}

}  // namespace
