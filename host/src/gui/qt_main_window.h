// bx3's main window: menus, the scene panel and the attribute manager panel.
#pragma once

#include <QMainWindow>

#include "bx3/services.h"

class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace bx3 {
class Document;
class Element;
}  // namespace bx3

namespace bx3::gui {

class MainWindow final : public QMainWindow {
 public:
  MainWindow();
  ~MainWindow() override;

  // Rebuilds the scene panel and the attribute manager from the active document.
  void RefreshViews();
  QTreeWidget* ScenePanel() const { return scene_; }
  QTreeWidget* AttributePanel() const { return attributes_; }
  QMenu* CommandMenu() const { return commands_; }
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
  void ShowAttributes(const Element* element, int32_t focusParam);
  void AddElements(QTreeWidgetItem* parent, const Element& element);
  void SaveLayout();

  QTreeWidget* scene_ = nullptr;
  QTreeWidget* attributes_ = nullptr;
  QMenu* commands_ = nullptr;
  QMenu* recent_ = nullptr;
};

}  // namespace bx3::gui
