// bx3's main window: menus, the scene panel and the attribute manager panel.
#pragma once

#include <QMainWindow>

#include "bx3/services.h"

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace bx3 {
class Document;
class Element;
}  // namespace bx3

namespace bx3::gui {

class NodeEditorPanel;
class SimulationManagerPanel;
class TakeManagerPanel;

class MainWindow final : public QMainWindow {
 public:
  MainWindow();
  ~MainWindow() override;

  // Rebuilds the scene panel and the attribute manager from the active document.
  void RefreshViews();
  QTreeWidget* ScenePanel() const { return scene_; }
  QTreeWidget* AttributePanel() const { return attributes_; }
  // The module commands that are neither a manager's window nor one of its own commands.
  QMenu* CommandMenu() const { return commands_; }
  // The panels and the managers' windows.
  QMenu* WindowMenu() const { return window_; }
  NodeEditorPanel* NodeEditor() const { return nodeEditor_; }
  TakeManagerPanel* TakeManager() const { return takeManager_; }
  SimulationManagerPanel* SimulationManager() const { return simulationManager_; }
  // Asks whether to save a changed document; false when the user cancelled.
  bool ConfirmDiscard();
  void OpenScene(const std::string& path);
  // Opens again the dialogs that were open when the last session ended.
  void RestoreDialogs();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void FillCommandMenu();
  void FillWindowMenu();
  // An entry that runs a registered command and shows its state (a check box only while the
  // command says it is on).
  QAction* AddCommandAction(QMenu* menu, int32_t id);
  bool ShowPanel(int32_t command);
  void ShowAttributes(const Element* element, int32_t focusParam);
  void AddElements(QTreeWidgetItem* parent, const Element& element);
  void SaveLayout();

  QTreeWidget* scene_ = nullptr;
  QTreeWidget* attributes_ = nullptr;
  QMenu* commands_ = nullptr;
  QMenu* window_ = nullptr;
  QMenu* recent_ = nullptr;
  NodeEditorPanel* nodeEditor_ = nullptr;
  TakeManagerPanel* takeManager_ = nullptr;
  SimulationManagerPanel* simulationManager_ = nullptr;
};

}  // namespace bx3::gui
