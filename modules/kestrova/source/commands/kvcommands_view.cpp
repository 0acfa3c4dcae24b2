// The view and selection commands of the inspector window.
#include "commands/kvcommands.h"
#include "ids/kvids.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

int32_t CheckedState(bool checked) { return checked ? bx3::kCmdEnabledChecked : bx3::kCmdEnabled; }

// Enabled while the list shows rows.
int32_t EnabledWhenListed(const KestrovaDialog* dialog) {
  return dialog && dialog->View().ListedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

bool Select(KestrovaDialog* dialog, KvSelectWhich which) {
  if (!dialog) return false;
  dialog->ChangeSelection(which);
  return true;
}

}  // namespace

// --- selection

bool Kv_SelectAllCommand::Execute(bx3::Document*, bx3::GeDialog*) { return Select(dialog_, KvSelectWhich::All); }

int32_t Kv_SelectAllCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return bx3::kCmdDisabled;
  const int64_t listed = dialog_->View().ListedCount();
  return listed >= 1 && listed != dialog_->View().SelectedCount() ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

bool Kv_InvertSelectionCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  return Select(dialog_, KvSelectWhich::Invert);
}

int32_t Kv_InvertSelectionCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWhenListed(dialog_); }

bool Kv_SelectMissingCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  return Select(dialog_, KvSelectWhich::Missing);
}

int32_t Kv_SelectMissingCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWhenListed(dialog_); }

bool Kv_SelectActiveCommand::Execute(bx3::Document*, bx3::GeDialog*) { return Select(dialog_, KvSelectWhich::Active); }

int32_t Kv_SelectActiveCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return bx3::kCmdEnabled; }

bool Kv_DeselectAllCommand::Execute(bx3::Document*, bx3::GeDialog*) { return Select(dialog_, KvSelectWhich::None); }

int32_t Kv_DeselectAllCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->View().SelectedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

bool Kv_ShowSelectedCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetShowSelected(!dialog_->View().ShowSelected());
  return true;
}

int32_t Kv_ShowSelectedCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().ShowSelected()) : bx3::kCmdDisabled;
}

// --- view

bool Kv_FilterbarCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->ShowFilterBar(!dialog_->View().Settings().filterBar);
}

int32_t Kv_FilterbarCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().Settings().filterBar) : bx3::kCmdDisabled;
}

bool KvColumnCommand::Execute(bx3::Document*, bx3::GeDialog*) { return dialog_ && dialog_->ToggleViewFlag(commandId_); }

int32_t KvColumnCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return bx3::kCmdDisabled;
  const KvViewFlag* flag = FindViewFlag(commandId_);
  // The column the window groups by is always shown.
  if (flag && flag->forcedBy != 0 && flag->forcedBy == dialog_->View().GroupMode()) return bx3::kCmdCheckedDisabled;
  return CheckedState(dialog_->View().Settings().Flag(commandId_));
}

bool KvTypeFilterCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->ToggleViewFlag(commandId_);
}

int32_t KvTypeFilterCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().Settings().Flag(commandId_)) : bx3::kCmdDisabled;
}

bool Kv_ViewGroupModeByCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->SetGroupMode(groupMode_);
}

int32_t Kv_ViewGroupModeByCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().GroupMode() == groupMode_) : bx3::kCmdDisabled;
}

}  // namespace kv
