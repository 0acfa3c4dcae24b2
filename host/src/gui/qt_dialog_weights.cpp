// The dialog window's group weights: how the rows and columns of a group share its room.
#include <QGridLayout>
#include <QLayoutItem>
#include <QSplitter>
#include <QWidget>
#include <cmath>

#include "qt_dialog_window.h"

namespace bx3::gui {

bool DialogWindowWidget::SetGroupWeights(int32_t id, const Container& weights) {
  const auto found = groups_.find(id);
  if (found == groups_.end()) return false;
  found->second.weights = weights;
  ApplyWeights(found->second);
  return true;
}

void DialogWindowWidget::ApplyWeights(Group& group) {
  const int32_t rows = group.weights.GetInt32(kWeightRows, 0);
  const int32_t columns = group.weights.GetInt32(kWeightColumns, 0);
  const bool vertical = rows > 0 && group.columns == 1;
  const bool horizontal = !vertical && columns > 0 && group.count <= group.columns;
  if (!vertical && !horizontal) return;  // other shapes keep them only to answer them
  const int32_t key = vertical ? kWeightRows : kWeightColumns;
  if (!group.splitter) {
    std::vector<QWidget*> placed;
    for (int32_t i = 0; i < group.count; ++i) {
      QLayoutItem* item = group.grid->itemAtPosition(i / group.columns, i % group.columns);
      placed.push_back(item ? item->widget() : nullptr);
    }
    for (QWidget* widget : placed) {
      if (widget) group.grid->removeWidget(widget);
    }
    const size_t covered = std::min<size_t>(size_t(vertical ? rows : columns), placed.size());
    group.splitter = new QSplitter(vertical ? Qt::Vertical : Qt::Horizontal, group.widget);
    group.splitter->setChildrenCollapsible(false);
    for (size_t i = 0; i < covered; ++i) {
      if (placed[i]) group.splitter->addWidget(placed[i]);
    }
    // The splitter takes the group's room; the rows past the count follow it at their size.
    group.grid->addWidget(group.splitter, 0, 0);
    for (size_t i = covered; i < placed.size(); ++i) {
      if (!placed[i]) continue;
      if (vertical) {
        group.grid->addWidget(placed[i], int(1 + i - covered), 0);
      } else {
        group.grid->addWidget(placed[i], 0, int(1 + i - covered));
      }
    }
    if (vertical) {
      group.grid->setRowStretch(0, 1);
    } else {
      group.grid->setColumnStretch(0, 1);
    }
  }
  for (int i = 0; i < group.splitter->count(); ++i) {
    QWidget* widget = group.splitter->widget(i);
    // Handles beside a row of fixed size could not move: they are off.
    group.splitter->handle(i)->setEnabled(true);
    const double value = group.weights.GetFloat(key + 1 + i, 0.0);
    const QSizePolicy::Policy policy =
        vertical ? widget->sizePolicy().verticalPolicy() : widget->sizePolicy().horizontalPolicy();
    const bool canGrow = (policy & QSizePolicy::ExpandFlag) != 0;
    group.splitter->setStretchFactor(i, value > 0 && canGrow ? std::max(1, int(std::lround(value * 1000))) : 0);
    // A share cannot make gadgets of a fixed size taller (or wider).
    if (value > 0 && !canGrow) {
      widget->setSizePolicy(vertical ? widget->sizePolicy().horizontalPolicy() : QSizePolicy::Fixed,
                            vertical ? QSizePolicy::Fixed : widget->sizePolicy().verticalPolicy());
    }
  }
  for (int i = 1; i < group.splitter->count(); ++i) {
    const auto fixed = [&](QWidget* widget) {
      const QSizePolicy policy = widget->sizePolicy();
      return (vertical ? policy.verticalPolicy() : policy.horizontalPolicy()) == QSizePolicy::Fixed;
    };
    if (fixed(group.splitter->widget(i - 1)) || fixed(group.splitter->widget(i))) {
      group.splitter->handle(i)->setEnabled(false);
    }
  }
}

bool DialogWindowWidget::GetGroupWeights(int32_t id, Container& weights) const {
  const auto found = groups_.find(id);
  if (found == groups_.end()) return false;
  const Group& group = found->second;
  weights = group.weights;
  if (!group.splitter) return true;
  // The shares as the user left them.
  const QList<int> sizes = group.splitter->sizes();
  double total = 0;
  for (int size : sizes) total += size;
  if (total <= 0) return true;
  const int32_t key = group.splitter->orientation() == Qt::Vertical ? kWeightRows : kWeightColumns;
  weights.SetInt32(key, int32_t(sizes.size()));
  for (int i = 0; i < sizes.size(); ++i) weights.SetFloat(key + 1 + i, sizes[i] / total);
  return true;
}

}  // namespace bx3::gui
