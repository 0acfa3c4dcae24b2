// The tree view's answers to the user: clicks, double clicks and editing, the header and its
// columns, the context menu, tooltips, scrolling and keys.
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <cstdlib>

#include "qt_canvas.h"
#include "qt_dialog_window.h"
#include "qt_text.h"
#include "qt_treeview.h"

namespace bx3::gui {

namespace {

// How near a header divider a press grabs it, in pixels.
constexpr int32_t kResizeGrip = 4;

}  // namespace

void TreeViewWidget::ClickRow(int64_t row, int32_t columnIndex, int32_t mode, bool rightButton) {
  if (!functions_) return;
  const TreeItem item = ItemAtRow(row);
  const int32_t column =
      columnIndex >= 0 && columnIndex < int32_t(columns_.size()) ? columns_[size_t(columnIndex)].id : 0;
  TreeMouseInfo mouse;
  mouse.qualifier = mode == kSelectAdd ? input::kQualifierControl : 0;
  if (item && functions_->CellMouseDown(root_, userData_, item, column, mouse, rightButton)) {
    viewport()->update();
    return;
  }
  if (item && !rightButton) functions_->ChangeSelection(root_, userData_, item, mode);
  Refresh();
}

void TreeViewWidget::DoubleClickRow(int64_t row, int32_t columnIndex, int32_t x) {
  const TreeItem item = ItemAtRow(row);
  if (!functions_ || !item || columnIndex < 0 || columnIndex >= int32_t(columns_.size())) return;
  TreeMouseInfo mouse;
  mouse.x = x >= 0 ? x : ColumnWidth(columnIndex) / 2;
  mouse.y = rowHeight_ / 2;
  if (functions_->CellDoubleClick(root_, userData_, item, columns_[size_t(columnIndex)].id, mouse)) return;
  // Not handled: edit the item's text in place.
  if (!editor_) {
    editor_ = new QLineEdit(viewport());
    connect(editor_, &QLineEdit::returnPressed, this,
            [this] { FinishEditing(brantic::String(editor_->text().toStdString())); });
  }
  editedItem_ = item;
  const int64_t shown = row - verticalScrollBar()->value();
  editor_->setGeometry(ColumnX(columnIndex), HeaderHeight() + int32_t(shown) * rowHeight_, ColumnWidth(columnIndex),
                       rowHeight_);
  editor_->setText(ToQString(functions_->ItemText(root_, userData_, item)));
  editor_->show();
  editor_->setFocus();
}

bool TreeViewWidget::IsEditing() const { return editor_ && editor_->isVisible(); }

void TreeViewWidget::FinishEditing(const brantic::String& text) {
  if (!IsEditing()) return;
  editor_->hide();
  if (functions_ && editedItem_) functions_->ApplyEditedText(root_, userData_, editedItem_, text);
  editedItem_ = 0;
  Refresh();
}

void TreeViewWidget::ClickHeader(int32_t columnIndex) {
  if (!functions_ || columnIndex < 0 || columnIndex >= int32_t(columns_.size())) return;
  if (functions_->HeaderClicked(root_, userData_, columns_[size_t(columnIndex)].id, 1, false)) viewport()->update();
}

void TreeViewWidget::MoveColumn(int32_t from, int32_t to) {
  const int32_t count = int32_t(columns_.size());
  if (from < 0 || to < 0 || from >= count || to >= count || from == to ||
      !settings_.GetBool(treesetting::kMovableColumns, true)) {
    return;
  }
  const TreeColumn moved = columns_[size_t(from)];
  columns_.erase(columns_.begin() + from);
  columns_.insert(columns_.begin() + to, moved);
  viewport()->update();
  owner_.ReportLayoutChange(id_);
}

void TreeViewWidget::ResizeColumn(int32_t index, int32_t width) {
  if (index < 0 || index >= int32_t(columns_.size()) || width < 8) return;
  columns_[size_t(index)].width = width;
  Refresh();
  owner_.ReportLayoutChange(id_);
}

int32_t TreeViewWidget::AutoSizeColumn(int32_t index) {
  if (!functions_ || index < 0 || index >= int32_t(columns_.size())) return 0;
  int32_t widest = functions_->HeaderWidth(root_, userData_, columns_[size_t(index)].id, &cellArea_);
  for (const VisibleRow& row : RowsInView()) {
    widest = std::max(widest,
                      functions_->CellContentWidth(root_, userData_, row.item, columns_[size_t(index)].id, &cellArea_));
  }
  if (widest > 0) ResizeColumn(index, widest);
  return widest;
}

std::vector<ContextMenu::Entry> TreeViewWidget::ContextMenuEntries(int64_t row, int32_t columnIndex) {
  if (!functions_) return {};
  const TreeItem item = ItemAtRow(row);
  const int32_t column =
      columnIndex >= 0 && columnIndex < int32_t(columns_.size()) ? columns_[size_t(columnIndex)].id : 0;
  ContextMenu menu;
  // The host's own entries come first; the callbacks may remove them.
  menu.Add(kTreeMenuExpandAll, "Expand all");
  menu.Add(kTreeMenuCollapseAll, "Collapse all");
  functions_->BuildContextMenu(root_, userData_, item, column, menu);
  return menu.Entries();
}

bool TreeViewWidget::RunContextEntry(int64_t row, int32_t columnIndex, int32_t entry) {
  if (!functions_) return false;
  const TreeItem item = ItemAtRow(row);
  const int32_t column =
      columnIndex >= 0 && columnIndex < int32_t(columns_.size()) ? columns_[size_t(columnIndex)].id : 0;
  const bool handled = functions_->RunContextCommand(root_, userData_, item, column, entry);
  Refresh();
  return handled;
}

void TreeViewWidget::ShowContextMenu(int64_t row, int32_t columnIndex, const QPoint& at) {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (const ContextMenu::Entry& entry : ContextMenuEntries(row, columnIndex)) {
    if (entry.id == 0) {
      menu->addSeparator();
      continue;
    }
    QString label = ToQString(entry.text);
    const bool disabled = label.endsWith(kMenuDisabledMarker);
    if (disabled) label.chop(int(std::string_view(kMenuDisabledMarker).size()));
    QAction* action = menu->addAction(label);
    action->setEnabled(!disabled);
    connect(action, &QAction::triggered, this,
            [this, row, columnIndex, id = entry.id] { RunContextEntry(row, columnIndex, id); });
  }
  menu->popup(at);  // never blocks: the choice arrives as a signal
}

brantic::String TreeViewWidget::Tooltip(int64_t row, int32_t columnIndex) {
  const TreeItem item = ItemAtRow(row);
  if (!functions_ || !item || columnIndex < 0 || columnIndex >= int32_t(columns_.size())) return {};
  return functions_->CellTooltip(root_, userData_, item, columns_[size_t(columnIndex)].id, &cellArea_,
                                 ColumnWidth(columnIndex));
}

void TreeViewWidget::ScrollTo(TreeItem item) {
  for (int64_t row = 0; row < rowCount_; ++row) {
    if (ItemAtRow(row) == item) {
      const int64_t first = verticalScrollBar()->value();
      const int64_t page = verticalScrollBar()->pageStep();
      if (row < first || row >= first + page) verticalScrollBar()->setValue(int(row));
      return;
    }
  }
}

void TreeViewWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int32_t columnIndex = ColumnAt(at.x());
  if (at.y() < HeaderHeight()) {
    // Near a column's right edge: resize; elsewhere: click or drag to move the column.
    for (int32_t i = 0; i < int32_t(columns_.size()); ++i) {
      if (std::abs(at.x() - (ColumnX(i) + ColumnWidth(i))) <= kResizeGrip &&
          settings_.GetBool(treesetting::kResizableHeader, true)) {
        resizingColumn_ = i;
        return;
      }
    }
    pressedHeader_ = columnIndex;
    return;
  }
  const int64_t row = RowAt(at.y());
  const bool right = event->button() == Qt::RightButton;
  // Below the rows (or on an empty list) only the context menu is offered, without an item.
  if (row < 0) {
    if (right) ShowContextMenu(-1, columnIndex, event->globalPosition().toPoint());
    return;
  }
  const TreeItem item = ItemAtRow(row);
  TreeMouseInfo mouse{at.x() - (columnIndex >= 0 ? ColumnX(columnIndex) : 0),
                      at.y() - HeaderHeight() - int32_t(row - verticalScrollBar()->value()) * rowHeight_,
                      event->modifiers().testFlag(Qt::ControlModifier) ? input::kQualifierControl : 0};
  const int32_t column = columnIndex >= 0 ? columns_[size_t(columnIndex)].id : 0;
  if (functions_ && item && functions_->CellMouseDown(root_, userData_, item, column, mouse, right)) {
    Refresh();
    return;
  }
  if (right) {
    ShowContextMenu(row, columnIndex, event->globalPosition().toPoint());
    return;
  }
  int32_t mode = kSelectReplace;
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    mode = functions_->ItemSelected(root_, userData_, item) ? kSelectRemove : kSelectAdd;
  }
  functions_->ChangeSelection(root_, userData_, item, mode);
  Refresh();
}

void TreeViewWidget::mouseMoveEvent(QMouseEvent* event) {
  if (resizingColumn_ >= 0) {
    const int32_t width = int32_t(event->position().x()) - ColumnX(resizingColumn_);
    if (width >= 8) {
      columns_[size_t(resizingColumn_)].width = width;
      viewport()->update();
    }
  }
}

void TreeViewWidget::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (resizingColumn_ >= 0) {
    const int32_t index = resizingColumn_;
    resizingColumn_ = -1;
    ResizeColumn(index, columns_[size_t(index)].width);
    return;
  }
  if (pressedHeader_ >= 0) {
    const int32_t target = ColumnAt(at.x());
    const int32_t pressed = pressedHeader_;
    pressedHeader_ = -1;
    if (target >= 0 && target != pressed) {
      MoveColumn(pressed, target);
    } else if (event->button() == Qt::LeftButton) {
      ClickHeader(pressed);
    }
  }
}

void TreeViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (at.y() < HeaderHeight()) {
    for (int32_t i = 0; i < int32_t(columns_.size()); ++i) {
      if (std::abs(at.x() - (ColumnX(i) + ColumnWidth(i))) <= kResizeGrip) {
        AutoSizeColumn(i);
        return;
      }
    }
    return;
  }
  const int64_t row = RowAt(at.y());
  const int32_t column = ColumnAt(at.x());
  if (row >= 0 && column >= 0) DoubleClickRow(row, column, at.x() - ColumnX(column));
}

void TreeViewWidget::keyPressEvent(QKeyEvent* event) {
  // Navigation keys belong to the dialog.
  event->ignore();
}

bool TreeViewWidget::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const brantic::String text = Tooltip(RowAt(help->pos().y()), ColumnAt(help->pos().x()));
    if (text.IsEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), ToQString(text), this);
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace bx3::gui
