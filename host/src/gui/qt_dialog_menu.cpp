// The dialog window's menu bar: the menus a dialog builds from command ids, and their states.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "bx3/commands.h"
#include "qt_dialog_window.h"
#include "qt_text.h"

namespace bx3::gui {

void DialogWindowWidget::MenuFlushAll() {
  menuBar_->clear();
  menuStack_.clear();
  actions_.clear();
}

void DialogWindowWidget::MenuSubBegin(const brantic::String& title) {
  QMenu* menu = menuStack_.empty() ? menuBar_->addMenu(ToQString(title)) : menuStack_.back()->addMenu(ToQString(title));
  // Entries show their commands' current state whenever the menu opens.
  connect(menu, &QMenu::aboutToShow, this, [this] { RefreshMenuStates(); });
  menuStack_.push_back(menu);
}

void DialogWindowWidget::MenuSubEnd() {
  if (!menuStack_.empty()) menuStack_.pop_back();
}

void DialogWindowWidget::MenuAddCommand(int32_t commandId) {
  if (menuStack_.empty()) return;
  brantic::String name = GetCommandName(commandId);
  if (name.IsEmpty()) name = brantic::String::FromInt(commandId);
  QAction* action = menuStack_.back()->addAction(ToQString(name));
  action->setCheckable(true);
  action->setData(commandId);
  connect(action, &QAction::triggered, this, [commandId] { CallCommand(commandId); });
  actions_.emplace(commandId, action);
}

void DialogWindowWidget::MenuAddSeparator() {
  if (!menuStack_.empty()) menuStack_.back()->addSeparator();
}

void DialogWindowWidget::MenuFinished() {
  menuStack_.clear();
  RefreshMenuStates();
}

void DialogWindowWidget::MenuSetState(int32_t commandId, bool enabled, bool checked) {
  const auto [first, last] = actions_.equal_range(commandId);
  for (auto it = first; it != last; ++it) {
    it->second->setEnabled(enabled);
    it->second->setChecked(checked);
  }
}

void DialogWindowWidget::RefreshMenuStates() {
  for (const auto& [id, action] : actions_) {
    const int32_t state = GetCommandState(id);
    action->setEnabled(IsCommandEnabled(state));
    action->setChecked(IsCommandChecked(state));
  }
}

}  // namespace bx3::gui
