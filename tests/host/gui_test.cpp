// The Qt toolkit, off screen: a small dialog with every kind of gadget and a tree.
#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidget>
#include <atomic>
#include <filesystem>
#include <thread>

#include "../../host/src/gui/qt_dialog_window.h"
#include "../../host/src/gui/qt_main_window.h"
#include "../../host/src/gui/qt_panels.h"
#include "../../host/src/gui/qt_picture_viewer.h"
#include "../../host/src/gui/qt_treeview.h"
#include "../../host/src/gui/qt_userarea.h"
#include "brantic/mainthread.h"
#include "bx3/busy.h"
#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/host.h"
#include "bx3/modal.h"
#include "bx3/qtgui.h"
#include "bx3/services.h"
#include "bx3/treeview.h"
#include "bx3/userarea.h"
#include "host/test_scene.h"

using namespace bx3;

namespace {

constexpr int32_t kCheckedCommand = 7001;
constexpr int32_t kDisabledCommand = 7002;
constexpr int32_t kTree = 100, kArea = 101, kText = 102, kCombo = 103, kNumber = 104, kToggle = 105, kInfo = 106,
                  kLabel = 107, kGroup = 108;
constexpr int32_t kColumnA = FourCC("cola"), kColumnB = FourCC("colb"), kColumnC = FourCC("colc");

int32_t g_checkedState = kCmdEnabledChecked;

class StateCommand : public CommandData {
 public:
  explicit StateCommand(const int32_t* state) : state_(state) {}
  int32_t CommandState(Document*, GeDialog*) override { return *state_; }
  bool Execute(Document*, GeDialog*) override { return true; }

 private:
  const int32_t* state_;
};

const int32_t kDisabled = kCmdDisabled;

bool StartGui() {
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  return InitializeGui(argc, argv);
}

// A left-button mouse event at (x, y); buttons held as `buttons`.
QMouseEvent* Mouse(QEvent::Type type, int x, int y, Qt::MouseButtons buttons = Qt::LeftButton,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  return new QMouseEvent(type, QPointF(x, y), QPointF(x, y), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                         buttons, modifiers);
}
void Send(QWidget* widget, QEvent* event) {
  QApplication::sendEvent(widget, event);
  delete event;
}

// A flat list of `count` items (handles 1..count), items divisible by 10 have 2 children.
class CountingTree : public TreeViewFunctions {
 public:
  explicit CountingTree(int64_t count) : count_(count) {}
  TreeItem FirstItem(void*, void*) override { return count_ > 0 ? 1 << 8 : 0; }
  TreeItem FirstChildItem(void*, void*, TreeItem item) override {
    ++childCalls;
    return (item >> 8) % 10 == 0 && (item & 0xff) == 0 ? item | 1 : 0;
  }
  TreeItem NextItem(void*, void*, TreeItem item) override {
    ++nextCalls;
    if (item & 0xff) return (item & 0xff) < 2 ? item + 1 : 0;
    return int64_t(item >> 8) < count_ ? ((item >> 8) + 1) << 8 : 0;
  }
  bool ItemOpen(void*, void*, TreeItem item) override { return (item & 0xff) == 0 && open; }
  void RenderCell(void*, void*, TreeItem, int32_t, TreeDrawInfo& info, Rgb) override {
    ++cellsDrawn;
    info.area->DrawText("cell", info.x + 2, info.y, Rgb{255, 255, 255}, Rgb{});
  }
  int32_t CellContentWidth(void*, void*, TreeItem, int32_t, GeUserArea* area) override {
    return area->DrawGetTextWidth("MMMMMMMMMMMM");
  }
  bool ItemSelected(void*, void*, TreeItem item) override { return item == selected; }
  void ChangeSelection(void*, void*, TreeItem item, int32_t mode) override {
    selected = item;
    lastMode = mode;
  }
  brantic::String ItemText(void*, void*, TreeItem item) override {
    return brantic::String::FromInt(int64_t(item >> 8));
  }
  void ApplyEditedText(void*, void*, TreeItem item, const brantic::String& text) override {
    editedItem = item;
    editedText = text;
  }
  void BuildContextMenu(void*, void*, TreeItem, int32_t, ContextMenu& menu) override {
    menu.Remove(kTreeMenuExpandAll);
    menu.Add(42, "Forty-two");
    menu.AddSeparator();
    menu.Add(43, brantic::String(std::string("Off") + kMenuDisabledMarker));
  }
  bool RunContextCommand(void*, void*, TreeItem item, int32_t column, int32_t command) override {
    ranCommand = command;
    ranColumn = column;
    ranItem = item;
    return true;
  }
  bool HeaderClicked(void*, void*, int32_t column, int32_t, bool) override {
    clickedHeader = column;
    return true;
  }

  int64_t count_;
  bool open = false;
  int64_t childCalls = 0, nextCalls = 0, cellsDrawn = 0;
  TreeItem selected = 0, editedItem = 0, ranItem = 0;
  int32_t lastMode = -1, ranCommand = 0, ranColumn = 0, clickedHeader = 0;
  brantic::String editedText;
};

// Toggles a 1:1 view on double clicks and pans on drags, like the preview does.
class TestArea : public GeUserArea {
 public:
  bool MinimumSize(int32_t& w, int32_t& h) override {
    w = 120;
    h = 80;
    return true;
  }
  void DrawArea(int32_t, int32_t, int32_t x2, int32_t y2, const Container&) override {
    DrawSetPen(Rgb{200, 30, 30});
    DrawRectangle(0, 0, x2, y2);
  }
  bool HandleInput(const Container& message) override {
    if (message.GetBool(input::kDoubleClick)) {
      ++doubleClicks;
      return true;
    }
    MouseDragStart(input::kMouseLeft, message.GetInt32(input::kMouseX), message.GetInt32(input::kMouseY), 2);
    double dx = 0, dy = 0;
    while (MouseDrag(dx, dy) == kDragContinue) {
      draggedX += dx;
      draggedY += dy;
    }
    MouseDragEnd();
    return true;
  }
  int doubleClicks = 0;
  double draggedX = 0, draggedY = 0;
};

class TestDialog : public GeDialog {
 public:
  bool CreateLayout() override {
    SetTitle("Test dialog");
    MenuFlushAll();
    MenuSubBegin("Things");
    MenuAddCommand(kCheckedCommand);
    MenuAddSeparator();
    MenuAddCommand(kDisabledCommand);
    MenuSubEnd();
    MenuFinished();
    GroupBegin(kGroup, kFit, 2, 0);
    AddStaticText(kLabel, 0, 0, 0, "Visible label text");
    AddEditText(kText, kFitHorizontal, 200);
    AddComboBox(kCombo, 0);
    AddChild(kCombo, 11, "eleven");
    AddChild(kCombo, 12, "twelve");
    AddEditNumber(kNumber, 0, 70);
    AddBitmapButton(kToggle, kToggle | kNoBorder, 300000199, 300000198);
    AddMultiLineEditText(kInfo, kFit, 100, 60, true);
    GroupEnd();
    Container settings;
    settings.SetBool(treesetting::kHeader, true);
    tree = AddTreeView(kTree, kFit, 300, 200, settings);
    AddUserArea(kArea, 0, 120, 80);
    AttachUserArea(area, kArea);
    return tree != nullptr;
  }
  bool Command(int32_t id, const Container&) override {
    commands.push_back(id);
    return true;
  }
  void Timer(const Container&) override { ++timerCalls; }
  int32_t Message(const Container& message, Container& result) override {
    if (message.GetId() == message::kKey) {
      keys.push_back(message.GetInt32(input::kChannel));
      return 1;
    }
    if (message.GetId() == message::kLayoutChanged) ++layoutChanges;
    if (message.GetId() == message::kGroupChanged) ++groupChanges;
    if (message.GetId() == message::kHelp) {
      result.SetString(message::kHelpId, "DIALOG_TEST");
      return 1;
    }
    return 0;
  }
  gui::DialogWindowWidget* Window() { return dynamic_cast<gui::DialogWindowWidget*>(GetWindow()); }

  TreeViewGadget* tree = nullptr;
  TestArea area;
  std::vector<int32_t> commands, keys;
  int timerCalls = 0, layoutChanges = 0, groupChanges = 0;
};

class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(StartGui());
    RegisterCommandPlugin(kCheckedCommand, "Checked thing", 0, nullptr, "",
                          std::make_unique<StateCommand>(&g_checkedState));
    RegisterCommandPlugin(kDisabledCommand, "Disabled thing", 0, nullptr, "",
                          std::make_unique<StateCommand>(&kDisabled));
  }
  static void TearDownTestSuite() {
    FreeRegisteredCommands();
    ShutdownGui();
  }
  void SetUp() override {
    ASSERT_TRUE(dialog_.Open(kDialogNonModal, 555, -1, -1, 640, 480));
    ProcessGuiEvents();
  }
  void TearDown() override {
    dialog_.Close();
    ProcessGuiEvents();
  }
  gui::TreeViewWidget* Tree() { return dynamic_cast<gui::TreeViewWidget*>(dialog_.tree); }

  TestDialog dialog_;
};

TEST_F(GuiTest, ClosuresFromWorkersRunFromTheEventLoop) {
  // Many posts wake the loop; it runs them in slices until none is left, with no explicit drain.
  std::atomic<int> posted{0};
  int ran = 0;
  std::thread worker([&] {
    for (int i = 0; i < 2000; ++i) {
      brantic::ExecuteOnMainThread([&ran] { ++ran; });
      posted.fetch_add(1);
    }
  });
  for (int round = 0; round < 100000 && (posted.load() < 2000 || ran < 2000); ++round) {
    QApplication::processEvents(QEventLoop::AllEvents);
  }
  worker.join();
  QApplication::processEvents(QEventLoop::AllEvents);
  EXPECT_EQ(ran, 2000);
  EXPECT_FALSE(brantic::HasMainThreadWork());
}

TEST_F(GuiTest, MenusShowCommandStates) {
  ASSERT_TRUE(dialog_.IsOpen());
  const auto actions = dialog_.Window()->MenuBar()->actions().front()->menu()->actions();
  ASSERT_EQ(actions.size(), 3);  // command, separator, command
  EXPECT_EQ(actions[0]->text(), "Checked thing");
  EXPECT_TRUE(actions[0]->isChecked() && actions[0]->isEnabled());
  EXPECT_FALSE(actions[2]->isEnabled());
  g_checkedState = kCmdEnabled;
  dialog_.Window()->RefreshMenuStates();
  EXPECT_FALSE(actions[0]->isChecked());
  dialog_.MenuInitString(kCheckedCommand, false, true);
  EXPECT_TRUE(actions[0]->isChecked() && !actions[0]->isEnabled());
  g_checkedState = kCmdEnabledChecked;
}

TEST_F(GuiTest, GadgetsSetAndRead) {
  brantic::String text;
  ASSERT_TRUE(dialog_.SetString(kText, "hello"));
  ASSERT_TRUE(dialog_.GetString(kText, text));
  EXPECT_EQ(text, "hello");
  int32_t value = 0;
  ASSERT_TRUE(dialog_.SetInt32(kCombo, 12));
  ASSERT_TRUE(dialog_.GetInt32(kCombo, value));
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(dialog_.SetInt32(kCombo, 99));  // no such entry
  ASSERT_TRUE(dialog_.SetInt32(kNumber, 5000, 0, 100, 1));
  ASSERT_TRUE(dialog_.GetInt32(kNumber, value));
  EXPECT_EQ(value, 100);  // held within its limits
  bool on = false;
  ASSERT_TRUE(dialog_.SetBool(kToggle, true));
  ASSERT_TRUE(dialog_.GetBool(kToggle, on));
  EXPECT_TRUE(on);
  ASSERT_TRUE(dialog_.SetString(kInfo, "line one\nline two"));
  ASSERT_TRUE(dialog_.GetString(kInfo, text));
  EXPECT_EQ(text, "line one\nline two");
  ASSERT_TRUE(dialog_.Enable(kText, false));
  EXPECT_FALSE(dialog_.Window()->Gadget(kText)->isEnabled());
  ASSERT_TRUE(dialog_.Enable(kGroup, false));  // a whole group
  EXPECT_FALSE(dialog_.GetString(9999, text));
  // Typing in an edit field is a command of that gadget.
  auto* edit = qobject_cast<QLineEdit*>(dialog_.Window()->Gadget(kText));
  edit->setEnabled(true);
  emit edit->textEdited("x");
  EXPECT_EQ(dialog_.commands.back(), kText);
  // A flushed group takes new gadgets.
  ASSERT_TRUE(dialog_.FlushGroup(kGroup));
  EXPECT_EQ(dialog_.Window()->Gadget(kText), nullptr);
  ASSERT_TRUE(dialog_.AddStaticText(kLabel, 0, 0, 0, "again"));
  ASSERT_TRUE(dialog_.LayoutChanged(kGroup));
  ASSERT_TRUE(dialog_.GetString(kLabel, text));
  EXPECT_EQ(text, "again");
}

TEST_F(GuiTest, BusyWorkKeepsEventsFlowingDropsInputAndStopsOnEscape) {
  int ran = 0;
  brantic::ExecuteOnMainThread([&ran] { ++ran; });
  QApplication::postEvent(dialog_.Window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
  QApplication::postEvent(dialog_.Window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  bool workSawStop = false;
  const bool completed = RunBusy(
      [&workSawStop](const std::atomic<bool>& stop) {
        stop.wait(false);  // until Escape is heard
        workSawStop = true;
      },
      nullptr, 10);
  EXPECT_FALSE(completed);
  EXPECT_TRUE(workSawStop);
  EXPECT_EQ(ran, 1) << "results of other work are taken in meanwhile";
  EXPECT_TRUE(dialog_.keys.empty()) << "keys do not reach the window while the work runs";
  EXPECT_FALSE(TestEscape()) << "the press was used up";
}

TEST_F(GuiTest, TimersAndKeys) {
  dialog_.SetTimer(5);
  for (int i = 0; i < 200 && dialog_.timerCalls == 0; ++i) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);  // blocks until the next event
  }
  dialog_.SetTimer(0);
  EXPECT_GT(dialog_.timerCalls, 0);
  for (int qtKey : {Qt::Key_Down, Qt::Key_Home, Qt::Key_PageUp}) {
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QApplication::sendEvent(dialog_.Window(), &press);
  }
  EXPECT_EQ(dialog_.keys, (std::vector<int32_t>{key::kDown, key::kHome, key::kPageUp}));
  dialog_.Window()->hide();
  dialog_.Window()->show();
  EXPECT_EQ(dialog_.groupChanges, 1);
  QKeyEvent help(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(dialog_.Window(), &help);
  EXPECT_EQ(dialog_.Window()->toolTip(), "DIALOG_TEST");
}

TEST_F(GuiTest, TreeAsksOnlyForRowsInView) {
  CountingTree functions(100000);
  dialog_.tree->SetLayout({{kColumnA, kTreeColumnUser, 80}, {kColumnB, kTreeColumnUser, 80}});
  dialog_.tree->SetRoot(nullptr, &functions, nullptr);
  gui::TreeViewWidget* tree = Tree();
  EXPECT_EQ(tree->RowCount(), 100000);
  const auto rows = tree->RowsInView();
  ASSERT_FALSE(rows.empty());
  EXPECT_LT(rows.size(), 40u);
  functions.nextCalls = functions.cellsDrawn = 0;
  QImage image(tree->viewport()->size(), QImage::Format_RGB32);
  QPainter painter(&image);
  tree->PaintTo(painter);
  EXPECT_EQ(functions.cellsDrawn, int64_t(rows.size()) * 2);
  EXPECT_LE(functions.nextCalls, int64_t(rows.size()) + 1);
  // Far down the list the walk starts from a nearby checkpoint, not from the top.
  functions.nextCalls = 0;
  EXPECT_EQ(tree->ItemAtRow(99999), TreeItem(100000) << 8);
  EXPECT_LT(functions.nextCalls, 300);
  // What used to go wrong: outside painting, texts were measured at a guessed seven pixels a
  // letter, so columns sized by their content clipped wide texts.
  const int measured = tree->fontMetrics().horizontalAdvance("MMMMMMMMMMMM");
  EXPECT_NE(measured, 12 * 7);
  EXPECT_EQ(tree->AutoSizeColumn(0), measured);
  // Open items show their children.
  functions.open = true;
  tree->Refresh();
  EXPECT_EQ(tree->RowCount(), 100000 + 2 * 10000);
  int32_t depth = 0;
  EXPECT_EQ(tree->ItemAtRow(10), (TreeItem(10) << 8 | 1));
  tree->ItemAtRow(11, &depth);
  EXPECT_EQ(depth, 1);
}

// What used to go wrong: a selected row that was not the current one read white on the same
// grey as the rest (light grey text), and a list with every row selected looked unselected.
TEST_F(GuiTest, EachStateOfATreeRowHasAColourOfItsOwn) {
  const auto distance = [](Rgb a, Rgb b) {
    return std::abs(int(a.r) - int(b.r)) + std::abs(int(a.g) - int(b.g)) + std::abs(int(a.b) - int(b.b));
  };
  const int32_t texts[] = {color::kText, color::kTextSelected, color::kTextCurrent, color::kTextPartlySelected};
  for (int32_t a : texts) {
    for (int32_t b : texts) {
      if (a != b) {
        EXPECT_GE(distance(GetHostColor(a), GetHostColor(b)), 90) << a << " " << b;
      }
    }
    EXPECT_GE(distance(GetHostColor(a), GetHostColor(color::kRowSelected)), 200) << a;
  }
  // The tree lays selected rows on a ground of their own.
  CountingTree functions(10);
  dialog_.tree->SetLayout({{kColumnA, kTreeColumnUser, 120}});
  dialog_.tree->SetRoot(nullptr, &functions, nullptr);
  gui::TreeViewWidget* tree = Tree();
  tree->ClickRow(3, 0, kSelectReplace);
  QImage image(tree->viewport()->size(), QImage::Format_RGB32);
  QPainter painter(&image);
  tree->PaintTo(painter);
  const auto ground = [&](int row) {
    const QColor pixel = image.pixelColor(100, tree->HeaderHeight() + tree->RowHeight() * row + tree->RowHeight() / 2);
    return Rgb{uint8_t(pixel.red()), uint8_t(pixel.green()), uint8_t(pixel.blue())};
  };
  EXPECT_GE(distance(ground(3), ground(2)), 60);
  EXPECT_GE(distance(ground(3), ground(4)), 60);
}

TEST_F(GuiTest, TreeClicksEditsMenusAndColumns) {
  CountingTree functions(50);
  dialog_.tree->SetLayout(
      {{kColumnA, kTreeColumnUser, 80}, {kColumnB, kTreeColumnUser, 80}, {kColumnC, kTreeColumnUser, 80}});
  dialog_.tree->SetRoot(nullptr, &functions, nullptr);
  gui::TreeViewWidget* tree = Tree();

  tree->ClickRow(3, 0, kSelectReplace);
  EXPECT_EQ(functions.selected, TreeItem(4) << 8);
  EXPECT_EQ(functions.lastMode, kSelectReplace);
  // A control click on an unselected row adds it, on the selected row removes it.
  const int y = tree->HeaderHeight() + tree->RowHeight() * 5 + 2;
  Send(tree->viewport(), Mouse(QEvent::MouseButtonPress, 10, y, Qt::LeftButton, Qt::ControlModifier));
  EXPECT_EQ(functions.lastMode, kSelectAdd);
  Send(tree->viewport(), Mouse(QEvent::MouseButtonPress, 10, y, Qt::LeftButton, Qt::ControlModifier));
  EXPECT_EQ(functions.lastMode, kSelectRemove);

  tree->DoubleClickRow(7, 1);
  ASSERT_TRUE(tree->IsEditing());
  auto* editor = tree->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "8");  // ItemText of the row
  tree->FinishEditing("renamed");
  EXPECT_EQ(functions.editedItem, TreeItem(8) << 8);
  EXPECT_EQ(functions.editedText, "renamed");
  EXPECT_FALSE(tree->IsEditing());

  const auto entries = tree->ContextMenuEntries(2, 2);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].id, kTreeMenuCollapseAll);
  EXPECT_EQ(entries[1].id, 42);
  EXPECT_EQ(entries[2].id, 0);
  EXPECT_TRUE(tree->RunContextEntry(2, 2, 42));
  EXPECT_EQ(functions.ranCommand, 42);
  EXPECT_EQ(functions.ranColumn, kColumnC);
  EXPECT_EQ(functions.ranItem, TreeItem(3) << 8);

  tree->ClickHeader(1);
  EXPECT_EQ(functions.clickedHeader, kColumnB);
  tree->MoveColumn(0, 2);
  EXPECT_EQ(dialog_.layoutChanges, 1);
  const auto layout = dialog_.tree->GetLayout();
  EXPECT_EQ(layout[0].id, kColumnB);
  EXPECT_EQ(layout[2].id, kColumnA);
  tree->ResizeColumn(1, 150);
  EXPECT_EQ(dialog_.tree->GetLayout()[1].width, 150);
  EXPECT_EQ(ColumnLayoutFromContainer(ColumnLayoutToContainer(layout)), layout);
}

TEST_F(GuiTest, UserAreaDoubleClicksAndDrags) {
  auto* widget = dynamic_cast<gui::UserAreaWidget*>(dialog_.Window()->Gadget(kArea));
  ASSERT_NE(widget, nullptr);
  EXPECT_TRUE(dialog_.area.IsAttached());
  Send(widget, Mouse(QEvent::MouseButtonDblClick, 5, 5));
  EXPECT_EQ(dialog_.area.doubleClicks, 1);
  // The movements are queued first; the drag loop inside the press handler receives them.
  QApplication::postEvent(widget, Mouse(QEvent::MouseMove, 15, 8));
  QApplication::postEvent(widget, Mouse(QEvent::MouseMove, 25, 18));
  QApplication::postEvent(widget, Mouse(QEvent::MouseButtonRelease, 25, 18, Qt::NoButton));
  Send(widget, Mouse(QEvent::MouseButtonPress, 5, 5));
  EXPECT_DOUBLE_EQ(dialog_.area.draggedX, 20.0);
  EXPECT_DOUBLE_EQ(dialog_.area.draggedY, 13.0);
}

TEST_F(GuiTest, ScreenshotShowsTheWindow) {
  const std::string path = std::filesystem::temp_directory_path() / "kv_gui_test.png";
  ASSERT_TRUE(GrabDialog(dialog_, path));
  QImage image(QString::fromStdString(path));
  ASSERT_FALSE(image.isNull());
  EXPECT_GE(image.width(), 300);
  // The label's text draws dark pixels on the light window ground; the user area is red.
  int red = 0, dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      red += c.red() == 200 && c.green() == 30;
      dark += c.lightness() < 80;
    }
  }
  EXPECT_GT(red, 100);
  EXPECT_GT(dark, 50);
  std::filesystem::remove(path);
  TestDialog closed;
  EXPECT_FALSE(GrabDialog(closed, path));
}

TEST_F(GuiTest, MainWindowShowsTheSceneCommandsAndAttributes) {
  fixtures::TestScene scene;
  Element* bitmap = scene.bitmap;
  AddDocument(std::move(scene.document));
  gui::MainWindow window;
  QTreeWidget* panel = window.ScenePanel();
  ASSERT_EQ(panel->topLevelItemCount(), 6);  // objects, materials, render settings, effects, layers, takes
  EXPECT_EQ(panel->topLevelItem(0)->child(0)->text(0), "Cube");
  EXPECT_EQ(panel->topLevelItem(1)->child(0)->child(0)->text(0), "Color");
  EXPECT_FALSE(panel->topLevelItem(1)->child(0)->child(0)->icon(0).isNull());

  // The module asks the attribute manager to show a shader at its file parameter.
  AttributeManagerSetMode(4, true);
  AttributeManagerShow(bitmap, 2, DescId(DescLevel{param::kBitmapFile}));
  QTreeWidget* attributes = window.AttributePanel();
  ASSERT_GT(attributes->topLevelItemCount(), 2);
  EXPECT_EQ(attributes->topLevelItem(0)->text(0), "Color");
  ASSERT_NE(attributes->currentItem(), nullptr);
  EXPECT_EQ(attributes->currentItem()->text(0), "File");
  EXPECT_EQ(attributes->currentItem()->text(1), "tex/wood.jpg");

  // The plug-in commands with their states: a check box only for the one that is on.
  const auto actions = window.CommandMenu()->actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_TRUE(actions[0]->isCheckable() && actions[0]->isChecked());
  EXPECT_FALSE(actions[1]->isEnabled());
  EXPECT_FALSE(actions[1]->isCheckable());
  // Element names are read whole.
  EXPECT_GE(panel->columnWidth(0), panel->fontMetrics().horizontalAdvance("Color") + 20);

  // What used to go wrong: the node editor and the take manager only printed a line. Their
  // panels show the material's nodes with the asked-for one selected, and the takes with the
  // active one marked.
  EditNodeMaterial(*scene.material, &*brantic::NodePath::FromText("tex1"), brantic::Id("test.space"));
  ASSERT_TRUE(window.NodeEditor()->isVisibleTo(&window));
  QTreeWidget* nodes = window.NodeEditor()->List();
  ASSERT_EQ(nodes->topLevelItemCount(), 1);
  EXPECT_EQ(nodes->topLevelItem(0)->text(2), "/maps/bark.exr");
  EXPECT_TRUE(nodes->topLevelItem(0)->isSelected());
  RegisterHostCommands();
  ASSERT_TRUE(CallCommand(kCmdTakeManager));
  ASSERT_TRUE(window.TakeManager()->isVisibleTo(&window));
  QTreeWidget* takes = window.TakeManager()->List();
  ASSERT_EQ(takes->topLevelItemCount(), 2);
  EXPECT_EQ(takes->topLevelItem(0)->text(3), "active");
  EXPECT_EQ(takes->topLevelItem(1)->text(1), "Main");
  EXPECT_EQ(takes->topLevelItem(1)->text(3), "");

  // Unsaved changes are never dropped without asking.
  GetActiveDocument()->SetName("changed");
  QueueMessageAnswer(kAnswerCancel);
  EXPECT_FALSE(window.ConfirmDiscard());
  QueueMessageAnswer(kAnswerNo);
  EXPECT_TRUE(window.ConfirmDiscard());
  CloseAllDocuments();
}

// What used to go wrong: a dialog destroyed with its window open left the window (deleted
// later) pointing at the dialog's user area.
TEST_F(GuiTest, ADialogDestroyedWithItsWindowOpenLeavesNothingBehind) {
  auto dialog = std::make_unique<TestDialog>();
  ASSERT_TRUE(dialog->Open(kDialogNonModal, 556, -1, -1, 300, 200));
  auto* window = dialog->Window();
  auto* widget = dynamic_cast<gui::UserAreaWidget*>(window->Gadget(kArea));
  ASSERT_NE(widget, nullptr);
  dialog.reset();
  EXPECT_EQ(widget->Area(), nullptr);
  ProcessGuiEvents();  // the window goes now
}

// What used to go wrong: the picture viewer's window lived in a function-static object and
// was deleted at exit, after the application object it belonged to.
TEST(GuiShutdownTest, ThePictureViewerWindowGoesBeforeTheApplication) {
  ASSERT_TRUE(StartGui());
  const std::string path = std::filesystem::temp_directory_path() / "kv_viewer_test.png";
  QImage picture(8, 6, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString(path)));
  gui::PictureViewerWindow* viewer = gui::SharedPictureViewer();
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(viewer->LoadFile(Filename(path)));
  ASSERT_TRUE(viewer->Show());
  bool windowDeleted = false;
  QObject::connect(viewer->Window(), &QObject::destroyed, [&windowDeleted] { windowDeleted = true; });
  ShutdownGui();
  EXPECT_TRUE(windowDeleted);
  EXPECT_EQ(gui::SharedPictureViewer(), nullptr);
  std::filesystem::remove(path);
}

}  // namespace
