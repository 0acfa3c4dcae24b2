// The Qt window of an open dialog.
#pragma once

#include <QTimer>
#include <QWidget>
#include <map>
#include <vector>

#include "bx3/dialog.h"

class QAction;
class QGridLayout;
class QMenu;
class QMenuBar;
class QSplitter;
class QVBoxLayout;

namespace bx3::gui {

class TreeViewWidget;
class UserAreaWidget;

class DialogWindowWidget final : public QWidget, public DialogWindow {
 public:
  DialogWindowWidget(GeDialog& dialog, int32_t pluginId);
  ~DialogWindowWidget() override;

  GeDialog* Dialog() { return dialog_; }
  int32_t PluginId() const { return pluginId_; }
  // Detaches from the dialog (it is going away); the window closes without calling it.
  void Detach();
  // Sends a navigation key to the dialog as a window message; true when it was handled.
  bool SendKey(int32_t keyCode);
  // Tells the dialog a tree's columns were rearranged.
  void ReportLayoutChange(int32_t treeId);
  QWidget* Gadget(int32_t id) const;
  // The tree view gadget of the lowest id; null when there is none.
  TreeViewWidget* FirstTree() const;

  // DialogWindow
  bool GroupBegin(int32_t id, int32_t flags, int32_t columns, int32_t rows, const brantic::String& title) override;
  bool GroupEnd() override;
  bool GroupBorderSpace(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  bool AddGadget(const GadgetSpec& spec) override;
  bool AddChild(int32_t id, int32_t childId, const brantic::String& text) override;
  bool FlushGroup(int32_t id) override;
  bool LayoutChanged(int32_t id) override;
  bool AttachUserArea(GeUserArea& area, int32_t id) override;
  TreeViewGadget* FindTreeView(int32_t id) override;
  bool SetValue(int32_t id, const GadgetValue& value) override;
  std::optional<GadgetValue> GetValue(int32_t id) const override;
  bool SetLimits(int32_t id, double minimum, double maximum, double step) override;
  bool Enable(int32_t id, bool enabled) override;
  bool Focus(int32_t id) override;
  void SetTitle(const brantic::String& title) override;
  void SetTimer(int32_t milliseconds) override;
  bool SetGroupWeights(int32_t id, const Container& weights) override;
  bool GetGroupWeights(int32_t id, Container& weights) const override;
  void MenuFlushAll() override;
  void MenuSubBegin(const brantic::String& title) override;
  void MenuSubEnd() override;
  void MenuAddCommand(int32_t commandId) override;
  void MenuAddSeparator() override;
  void MenuFinished() override;
  void MenuSetState(int32_t commandId, bool enabled, bool checked) override;
  // Sets every menu entry from its command's state.
  void RefreshMenuStates();
  QMenuBar* MenuBar() const { return menuBar_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Group {
    QWidget* widget = nullptr;
    QGridLayout* grid = nullptr;
    int32_t columns = 1;
    int32_t count = 0;  // gadgets placed so far
    int32_t flags = 0;
    Container weights;
    // With weights: the rows (or columns) they cover, divided by handles.
    QSplitter* splitter = nullptr;
  };

  void Place(QWidget* widget, int32_t flags);
  // Puts the rows or columns a group's weights cover into a splitter, and sizes them.
  void ApplyWeights(Group& group);
  void SendCommand(int32_t id);

  GeDialog* dialog_;
  int32_t pluginId_;
  QVBoxLayout* rootLayout_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  std::vector<QMenu*> menuStack_;
  std::multimap<int32_t, QAction*> actions_;
  std::map<int32_t, Group> groups_;
  std::vector<int32_t> groupStack_;
  std::map<int32_t, QWidget*> gadgets_;
  std::map<int32_t, UserAreaWidget*> userAreas_;
  std::map<int32_t, TreeViewWidget*> trees_;
  QTimer timer_;
  bool shownBefore_ = false;
};

}  // namespace bx3::gui
