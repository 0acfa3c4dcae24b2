#include "qt_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QScrollArea>
#include <QTreeWidget>
#include <QUrl>

#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "bx3/modal.h"
#include "bx3/module.h"
#include "bx3/prefs.h"
#include "bx3/qtgui.h"
#include "bx3/scenefile.h"
#include "qt_canvas.h"
#include "qt_panels.h"
#include "qt_picture_viewer.h"
#include "qt_text.h"

namespace bx3::gui {

namespace {

constexpr int32_t kPrefsMainWindow = 1200100;  // the main window's preferences container
constexpr int32_t kPrefsRecent = 1;            // recent files: a container of texts 0..n-1
constexpr int32_t kPrefsDialogs = 2;           // open dialogs: plug-in id -> layout container
constexpr int kMaxRecent = 8;

QIcon IconOf(const Element& element) {
  BaseBitmap bitmap;
  if (!GetElementIcon(element, bitmap)) return QIcon();
  return QIcon(QPixmap::fromImage(ToQImage(bitmap)));
}

QString ValueText(const ParamValue& value) {
  struct Visitor {
    QString operator()(std::monostate) const { return {}; }
    QString operator()(bool v) const { return v ? "on" : "off"; }
    QString operator()(int32_t v) const { return QString::number(v); }
    QString operator()(double v) const { return QString::number(v); }
    QString operator()(const brantic::TimeValue& v) const { return QString::number(v.Seconds()) + " s"; }
    QString operator()(const brantic::String& v) const { return ToQString(v); }
    QString operator()(const Filename& v) const { return ToQString(v.GetString()); }
    QString operator()(const ElementLink& v) const {
      const Element* target = v.Resolve(GetActiveDocument());
      return target ? ToQString(target->GetName()) : QString("(none)");
    }
    QString operator()(const brantic::Url& v) const { return QString::fromStdString(v.ToString()); }
  };
  return std::visit(Visitor{}, value);
}

// The host's own commands, which sit in the Edit and Window menus.
constexpr int32_t kHostEditCommands[] = {kCmdTextureSearchPaths, kCmdClearSimulationCaches};
constexpr int32_t kHostPanelCommands[] = {kCmdTakeManager, kCmdSimulationManager};

// The manager whose window holds a command in its own menus (0 for none): such a command is
// that window's, not the main window's.
int32_t ManagerOf(const RegisteredCommand& command) {
  CommandInformation information{command.id, 0, 0};
  if (!command.command || !command.command->Message(kMsgCommandInformation, &information)) return 0;
  return information.managerId == command.id ? 0 : information.managerId;
}

bool IsManager(int32_t id) {
  for (const RegisteredManager& manager : GetRegisteredManagers()) {
    if (manager.id == id) return true;
  }
  return false;
}

Container& MainWindowPrefs() {
  Container& plugins = Preferences::Get().Plugins();
  if (!plugins.GetContainer(kPrefsMainWindow)) plugins.SetContainer(kPrefsMainWindow, Container(kPrefsMainWindow));
  return *plugins.GetContainer(kPrefsMainWindow);
}

}  // namespace

MainWindow::MainWindow() {
  setWindowTitle("bx3");
  resize(1000, 700);
  scene_ = new QTreeWidget(this);
  scene_->setHeaderLabels({"Element", "Type"});
  setCentralWidget(scene_);
  auto* dock = new QDockWidget("Attributes", this);
  dock->setObjectName("attributes");
  attributes_ = new QTreeWidget(dock);
  attributes_->setHeaderLabels({"Parameter", "Value"});
  attributes_->header()->setStretchLastSection(true);
  dock->setWidget(attributes_);
  addDockWidget(Qt::RightDockWidgetArea, dock);
  // The host's managers, shown when asked for.
  nodeEditor_ = new NodeEditorPanel(this);
  takeManager_ = new TakeManagerPanel(this);
  simulationManager_ = new SimulationManagerPanel(this);
  addDockWidget(Qt::RightDockWidgetArea, nodeEditor_);
  addDockWidget(Qt::BottomDockWidgetArea, takeManager_);
  addDockWidget(Qt::BottomDockWidgetArea, simulationManager_);
  for (QDockWidget* panel : {static_cast<QDockWidget*>(nodeEditor_), static_cast<QDockWidget*>(takeManager_),
                             static_cast<QDockWidget*>(simulationManager_)}) {
    panel->hide();
  }
  connect(scene_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    Document* document = GetActiveDocument();
    const Element* element =
        item && document ? document->FindByUid(item->data(0, Qt::UserRole).toULongLong()) : nullptr;
    ShowAttributes(element, 0);
  });
  BuildMenus();
  SetGeneralUpdateHandler([this] {
    QMetaObject::invokeMethod(
        this, [this] { RefreshViews(); }, Qt::QueuedConnection);
  });
  SetServiceHandlers(ServiceHandlers{
      [](const Filename& path, bool open) {
        const QFileInfo info(ToQString(path.GetString()));
        // The desktop's launcher opens the file, or shows its folder.
        return QDesktopServices::openUrl(QUrl::fromLocalFile(open ? info.absoluteFilePath() : info.absolutePath()));
      },
      [] { return static_cast<PictureViewer*>(SharedPictureViewer()); },
      [this] {
        const AttributeManagerState& state = GetAttributeManagerState();
        ShowAttributes(state.element.Resolve(GetActiveDocument()), state.focus.IsEmpty() ? 0 : state.focus[0].id);
      },
      [this](const Element& material, const brantic::NodePath* node, const brantic::Id& nodeSpace) {
        nodeEditor_->Edit(material, node, nodeSpace);
      },
      [this](int32_t command) { return ShowPanel(command); }});
  RefreshViews();
}

MainWindow::~MainWindow() {
  SetGeneralUpdateHandler(nullptr);
  SetServiceHandlers({});
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Open...", QKeySequence::Open, this, [this] {
    Filename chosen;
    if (ConfirmDiscard() && FileSelect(chosen, FileSelectMode::Load, "Open scene")) OpenScene(chosen.GetString().Std());
  });
  file->addAction("&Save", QKeySequence::Save, this, [] {
    Document* document = GetActiveDocument();
    if (!document) return;
    Filename target = document->GetFilename();
    if (!target.IsPopulated() && !FileSelect(target, FileSelectMode::Save, "Save scene")) return;
    if (auto saved = SaveDocument(*document, target.GetString().Std()); !saved) {
      MessageDialog(kMessageInformation, saved.GetError().Message());
    }
  });
  file->addAction("Save &As...", QKeySequence::SaveAs, this, [] {
    Document* document = GetActiveDocument();
    Filename target;
    if (!document || !FileSelect(target, FileSelectMode::Save, "Save scene as")) return;
    if (auto saved = SaveDocument(*document, target.GetString().Std()); !saved) {
      MessageDialog(kMessageInformation, saved.GetError().Message());
    }
  });
  file->addAction("&Revert", this, [this] {
    Document* document = GetActiveDocument();
    if (!document || !document->GetFilename().IsPopulated()) return;
    if (document->HasUnsavedChanges() &&
        MessageDialog(kMessageYesNo, "Throw away the changes to this scene?") != kAnswerYes) {
      return;
    }
    // The file is read before the document goes: a file that cannot be read keeps it.
    OpenScene(document->GetFilename().GetString().Std());
  });
  recent_ = file->addMenu("Recent files");
  connect(recent_, &QMenu::aboutToShow, this, [this] {
    recent_->clear();
    const Container* list = MainWindowPrefs().GetContainer(kPrefsRecent);
    for (int32_t i = 0; list && i < kMaxRecent && list->Contains(i); ++i) {
      const std::string path = list->GetString(i).Std();
      recent_->addAction(QString::fromStdString(path), this, [this, path] {
        if (ConfirmDiscard()) OpenScene(path);
      });
    }
  });
  file->addSeparator();
  file->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });

  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->addAction("&Undo", QKeySequence::Undo, this, [] {
    if (Document* document = GetActiveDocument(); document && document->Undo()) EventAdd();
  });
  edit->addAction("&Redo", QKeySequence::Redo, this, [] {
    if (Document* document = GetActiveDocument(); document && document->Redo()) EventAdd();
  });
  edit->addSeparator();
  for (int32_t id : kHostEditCommands) {
    if (FindCommand(id)) AddCommandAction(edit, id);
  }

  window_ = menuBar()->addMenu("&Window");
  connect(window_, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
  FillWindowMenu();
  commands_ = menuBar()->addMenu("&Plug-ins");
  connect(commands_, &QMenu::aboutToShow, this, [this] { FillCommandMenu(); });
  FillCommandMenu();
}

QAction* MainWindow::AddCommandAction(QMenu* menu, int32_t id) {
  QAction* action = menu->addAction(ToQString(GetCommandName(id)));
  const int32_t state = GetCommandState(id);
  action->setCheckable(IsCommandChecked(state));
  action->setChecked(IsCommandChecked(state));
  action->setEnabled(IsCommandEnabled(state));
  action->setData(id);
  for (const RegisteredCommand& command : GetRegisteredCommands()) {
    if (command.id == id) action->setToolTip(ToQString(command.help));
  }
  connect(action, &QAction::triggered, this, [id] {
    CallCommand(id);
    ProcessGuiEvents();
  });
  return action;
}

void MainWindow::FillWindowMenu() {
  window_->clear();
  // The panels of the window itself, each a toggle.
  for (QDockWidget* dock : findChildren<QDockWidget*>()) window_->addAction(dock->toggleViewAction());
  window_->addSeparator();
  // Each manager's window, with a shortcut: Ctrl+Shift and the first free letter of its name.
  QString taken = "ZYXCVN";  // the edit shortcuts' letters, and File's
  for (const RegisteredManager& manager : GetRegisteredManagers()) {
    if (!FindCommand(manager.id)) continue;
    QAction* action = AddCommandAction(window_, manager.id);
    action->setCheckable(true);  // a window is open or not
    for (const QChar letter : ToQString(manager.name).toUpper()) {
      if (letter.isLetter() && !taken.contains(letter)) {
        taken += letter;
        action->setShortcut(QKeySequence(QString("Ctrl+Shift+") + letter));
        break;
      }
    }
  }
}

void MainWindow::FillCommandMenu() {
  commands_->clear();
  for (const RegisteredCommand& command : GetRegisteredCommands()) {
    const int32_t id = command.id;
    const bool hostOwn =
        std::find(std::begin(kHostEditCommands), std::end(kHostEditCommands), id) != std::end(kHostEditCommands) ||
        std::find(std::begin(kHostPanelCommands), std::end(kHostPanelCommands), id) != std::end(kHostPanelCommands);
    // A manager's window is in the Window menu, its own commands in that window's menus.
    if (hostOwn || IsManager(id) || ManagerOf(command) != 0) continue;
    AddCommandAction(commands_, id);
  }
  commands_->menuAction()->setVisible(!commands_->isEmpty());
}

bool MainWindow::ShowPanel(int32_t command) {
  QDockWidget* panel = command == kCmdTakeManager         ? static_cast<QDockWidget*>(takeManager_)
                       : command == kCmdSimulationManager ? static_cast<QDockWidget*>(simulationManager_)
                                                          : nullptr;
  if (!panel) return false;
  takeManager_->Refresh();
  simulationManager_->Refresh();
  panel->show();
  panel->raise();
  return true;
}

void MainWindow::AddElements(QTreeWidgetItem* parent, const Element& element) {
  for (const auto& child : element.GetChildren()) {
    auto* item = new QTreeWidgetItem(
        parent, {ToQString(child->GetName()),
                 child->GetTypeInfo()
                     ? QString::fromUtf8(child->GetTypeInfo()->label.data(), int(child->GetTypeInfo()->label.size()))
                     : QString()});
    item->setIcon(0, IconOf(*child));
    item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(child->GetUid()));
    AddElements(item, *child);
  }
}

void MainWindow::RefreshViews() {
  scene_->clear();
  Document* document = GetActiveDocument();
  setWindowTitle(
      document ? QString("bx3 - %1%2")
                     .arg(ToQString(document->GetFilename().GetString()), document->HasUnsavedChanges() ? " *" : "")
               : QString("bx3"));
  if (!document) return;
  for (Branch branch : {Branch::Objects, Branch::Materials, Branch::RenderSettings, Branch::SceneEffects,
                        Branch::Layers, Branch::Takes}) {
    const Element* head = document->GetBranch(branch);
    auto* item = new QTreeWidgetItem(scene_, {ToQString(head->GetName())});
    AddElements(item, *head);
    item->setExpanded(true);
  }
  const AttributeManagerState& state = GetAttributeManagerState();
  if (const Element* shown = state.element.Resolve(document)) {
    ShowAttributes(shown, state.focus.IsEmpty() ? 0 : state.focus[0].id);
  }
  // Names are read whole: the columns fit them.
  for (int column = 0; column < scene_->columnCount(); ++column) scene_->resizeColumnToContents(column);
  if (nodeEditor_->isVisible()) nodeEditor_->Refresh();
  if (takeManager_->isVisible()) takeManager_->Refresh();
  if (simulationManager_->isVisible()) simulationManager_->Refresh();
}

void MainWindow::ShowAttributes(const Element* element, int32_t focusParam) {
  attributes_->clear();
  if (!element) return;
  auto* title = new QTreeWidgetItem(
      attributes_, {ToQString(element->GetName()), element->GetTypeInfo()
                                                       ? QString::fromUtf8(element->GetTypeInfo()->label.data(),
                                                                           int(element->GetTypeInfo()->label.size()))
                                                       : QString()});
  title->setIcon(0, IconOf(*element));
  for (const ParamDescription& description : GetAllParamDescriptions(element->GetType())) {
    const ParamValue* value = element->GetParameter(description.id);
    auto* item =
        new QTreeWidgetItem(attributes_, {QString::fromUtf8(description.name.data(), int(description.name.size())),
                                          value ? ValueText(*value) : QString()});
    if (description.id == focusParam) {
      attributes_->setCurrentItem(item);
      attributes_->scrollToItem(item);
    }
  }
  attributes_->resizeColumnToContents(0);
}

bool MainWindow::ConfirmDiscard() {
  Document* document = GetActiveDocument();
  if (!document || !document->HasUnsavedChanges()) return true;
  switch (MessageDialog(kMessageYesNoCancel, "Save the changes to the scene first?")) {
    case kAnswerYes: {
      Filename target = document->GetFilename();
      if (!target.IsPopulated() && !FileSelect(target, FileSelectMode::Save, "Save scene")) return false;
      auto saved = SaveDocument(*document, target.GetString().Std());
      if (!saved) MessageDialog(kMessageInformation, saved.GetError().Message());
      return saved.HasValue();
    }
    case kAnswerNo: return true;
    default: return false;
  }
}

void MainWindow::OpenScene(const std::string& path) {
  auto document = OpenDocumentInPlace(path);
  if (!document) {
    MessageDialog(kMessageInformation, document.GetError().Message());
    return;
  }
  // Remember it first among the recent files.
  Container& prefs = MainWindowPrefs();
  std::vector<std::string> recent{path};
  if (const Container* list = prefs.GetContainer(kPrefsRecent)) {
    for (int32_t i = 0; i < kMaxRecent && list->Contains(i); ++i) {
      if (list->GetString(i).Std() != path) recent.push_back(list->GetString(i).Std());
    }
  }
  Container list(kPrefsRecent);
  for (size_t i = 0; i < recent.size() && i < size_t(kMaxRecent); ++i) list.SetString(int32_t(i), recent[i]);
  prefs.SetContainer(kPrefsRecent, list);
  EventAdd();
  RefreshViews();
}

void MainWindow::SaveLayout() {
  // Every open dialog of a registered command, with its window's place and size.
  Container dialogs(kPrefsDialogs);
  for (const RegisteredCommand& command : GetRegisteredCommands()) {
    GeDialog* dialog = FindOpenDialog(command.id);
    QWidget* window = dialog ? dynamic_cast<QWidget*>(dialog->GetWindow()) : nullptr;
    if (!window) continue;
    Container layout(command.id);
    layout.SetInt32(1, window->x());
    layout.SetInt32(2, window->y());
    layout.SetInt32(3, window->width());
    layout.SetInt32(4, window->height());
    dialogs.SetContainer(command.id, layout);
  }
  MainWindowPrefs().SetContainer(kPrefsDialogs, dialogs);
}

void MainWindow::RestoreDialogs() {
  const Container* dialogs = MainWindowPrefs().GetContainer(kPrefsDialogs);
  if (!dialogs) return;
  for (const auto& [id, value] : dialogs->Values()) {
    const Container* layout = dialogs->GetContainer(id);
    if (CommandData* command = FindCommand(id); command && layout) command->RestoreWindow(*layout);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!ConfirmDiscard()) {
    event->ignore();
    return;
  }
  SaveLayout();
  QApplication::closeAllWindows();
  event->accept();
}

}  // namespace bx3::gui

namespace bx3 {

int RunMainWindow() {
  if (!IsGuiInitialized()) return 1;
  gui::MainWindow window;
  window.show();
  window.RestoreDialogs();
  return RunGuiEventLoop();
}

}  // namespace bx3
