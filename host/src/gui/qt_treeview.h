// The tree view gadget: draws only the rows in view, asking the callbacks for everything.
#pragma once

#include <functional>

#include <QAbstractScrollArea>
#include <memory>
#include <vector>

#include "bx3/automation.h"
#include "bx3/treeview.h"

class QLineEdit;
class QPainter;

namespace bx3::gui {

class DialogWindowWidget;
class QtCanvas;

class TreeViewWidget final : public QAbstractScrollArea, public TreeViewGadget, private UserAreaHost {
 public:
  TreeViewWidget(DialogWindowWidget& owner, int32_t id, const Container& settings, QWidget* parent);
  ~TreeViewWidget() override;

  // TreeViewGadget
  void SetRoot(void* root, TreeViewFunctions* functions, void* userData) override;
  void SetLayout(const std::vector<TreeColumn>& columns) override;
  std::vector<TreeColumn> GetLayout() const override { return columns_; }
  void Refresh() override;
  void RedrawRows() override { viewport()->update(); }
  void ScrollTo(TreeItem item) override;

  // --- what a user does, also for tests and batch runs
  struct VisibleRow {
    TreeItem item;
    int32_t depth;
  };
  // The rows in view, top to bottom (walking only those).
  std::vector<VisibleRow> RowsInView() const;
  int64_t RowCount() const { return rowCount_; }
  // How many refreshes ran, to tell a window that settles from one that does not.
  int64_t RefreshCount() const { return refreshCount_; }
  int32_t RowHeight() const { return rowHeight_; }
  int32_t HeaderHeight() const;
  // Clicks the cell of row `row` (0 = the first row of the tree) and `column` index.
  void ClickRow(int64_t row, int32_t columnIndex, int32_t mode, bool rightButton = false);
  // Double-clicks the cell at `x` from its left edge; without one, in the middle of the cell,
  // where a person double-clicks a name (the cell's left edge holds icons and fold arrows).
  void DoubleClickRow(int64_t row, int32_t columnIndex, int32_t x = -1);
  bool IsEditing() const;
  void FinishEditing(const brantic::String& text);
  void ClickHeader(int32_t columnIndex);
  void MoveColumn(int32_t from, int32_t to);
  void ResizeColumn(int32_t index, int32_t width);
  // Width of the widest cell of a column among the rows in view.
  int32_t AutoSizeColumn(int32_t index);
  // The context menu of a row (-1 for none): entries in order, with their texts.
  std::vector<ContextMenu::Entry> ContextMenuEntries(int64_t row, int32_t columnIndex);
  bool RunContextEntry(int64_t row, int32_t columnIndex, int32_t entry);
  brantic::String Tooltip(int64_t row, int32_t columnIndex);
  // Draws header and rows in view (what a repaint does).
  void PaintTo(QPainter& painter);
  // Every row in drawing order with the texts and icons its cells draw, one at a time.
  void Report(const std::function<void(const TreeReportRow&)>& eachRow);
  int32_t ColumnIndex(int32_t columnId) const;
  // The item at a row position, walking from the nearest checkpoint.
  TreeItem ItemAtRow(int64_t row, int32_t* depth = nullptr) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  // A position in the depth-first walk: the chain of items from the top level down.
  using WalkState = std::vector<TreeItem>;
  bool Advance(WalkState& state) const;
  void Recount();
  std::vector<VisibleRow> RowsInView(int32_t viewHeight) const;
  // Widths of the columns sized by their content: the widest of the header and the rows
  // that a viewport of `viewHeight` shows.
  void MeasureColumns(int32_t viewHeight);
  // Sets the scroll bars and their ranges for the area's size.
  void UpdateScrollBars();
  int32_t ColumnX(int32_t index) const;
  int32_t ColumnWidth(int32_t index) const;
  int32_t ColumnAt(int32_t x) const;
  int64_t RowAt(int32_t y) const;
  void ShowContextMenu(int64_t row, int32_t columnIndex, const QPoint& at);

  // UserAreaHost for the cell drawing area
  int32_t Width() const override { return viewport()->width(); }
  int32_t Height() const override { return viewport()->height(); }
  Canvas* CurrentCanvas() override { return canvas_ ? canvas_ : measuring_.get(); }
  void Redraw() override { viewport()->update(); }
  bool IsMouseButtonDown(int32_t) const override { return false; }
  int32_t NextDragStep(double&, double&) override { return kDragFinished; }
  void LocalToScreen(int32_t&, int32_t&) const override {}
  void SetPointerPosition(int32_t, int32_t) override {}

  static constexpr int64_t kCheckpointEvery = 256;

  DialogWindowWidget& owner_;
  int32_t id_;
  Container settings_;
  void* root_ = nullptr;
  TreeViewFunctions* functions_ = nullptr;
  void* userData_ = nullptr;
  std::vector<TreeColumn> columns_;
  std::vector<int32_t> contentWidths_;  // per column, measured at the last refresh
  int64_t rowCount_ = 0;
  std::vector<WalkState> checkpoints_;  // the walk state at every kCheckpointEvery-th row
  int32_t rowHeight_ = 17;
  GeUserArea cellArea_;
  Canvas* canvas_ = nullptr;           // while painting or reporting
  std::unique_ptr<Canvas> measuring_;  // otherwise
  QLineEdit* editor_ = nullptr;
  TreeItem editedItem_ = 0;
  int32_t pressedHeader_ = -1;
  int32_t resizingColumn_ = -1;
  bool refreshing_ = false;
  int64_t refreshCount_ = 0;
};

}  // namespace bx3::gui
