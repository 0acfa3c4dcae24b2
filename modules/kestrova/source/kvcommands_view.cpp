// The view and selection commands of the inspector window.
#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/document.h"
#include "bx3/host.h"
#include "kvbusy.h"
#include "kvcommands.h"
#include "kvdialog.h"
#include "kvids.h"

namespace kv {

namespace {

int32_t CheckedState(bool checked) { return checked ? bx3::kCmdEnabledChecked : bx3::kCmdEnabled; }

const KvViewFlag* FindViewFlag(int32_t commandId) {
  for (const KvViewFlag& flag : ViewFlagTable()) {
    if (flag.commandId == commandId) return &flag;
  }
  return nullptr;
}

// Tells the window (and whoever listens to the main command) that the selection changed.
void BroadcastSelectionChanged() {
  bx3::Container message;
  message.SetInt64(bx3::kMessageValue1, kNotifySelectionChanged);
  message.SetInt64(bx3::kMessageValue2, 0);
  bx3::SendCoreMessage(kMainCommandId, message);
}

// After the selection changed: redraw, update the controls and tell the window.
void FinishSelection(KestrovaDialog& dialog) {
  dialog.RefreshTree();
  dialog.OnSelectionChanged(false);
  BroadcastSelectionChanged();
}

// Enabled while the list shows rows.
int32_t EnabledWhenListed(const KestrovaDialog* dialog) {
  return dialog && dialog->View().ListedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

// Visits the rows in view, in display order, with their position.
template <typename Visit>
void ForEachVisibleRow(KestrovaDialog& dialog, Visit visit) {
  std::vector<KvAssetEntry>& rows = dialog.Collection().Rows();
  const std::vector<int64_t>& listed = dialog.View().Lists().rowIndexList;
  for (size_t position = 0; position < listed.size(); ++position) {
    visit(rows[size_t(listed[position])], int64_t(position));
  }
}

void Select(KvViewState& view, KvAssetEntry& row, int64_t position) {
  row.selected = 1;
  view.SetSelectedCount(view.SelectedCount() + 1);
  if (view.CurrentRow() == -1 && !row.IsMissing()) view.SetCurrentToPosition(position);
}

// The element whose active state decides whether Select Active selects a row.
const bx3::Element* DecidingElement(const KvAssetEntry& row, const bx3::Document* document) {
  const bx3::Element* main = row.ownerMainLink.Resolve(document);
  const bx3::Element* owner = row.ownerLink.Resolve(document);
  if (main && main->IsInstanceOf(bx3::type::kMaterialBase)) return main;
  if (owner && IsDescribedOwnType(*owner)) return owner;
  return main ? main : owner;
}

// Filters and groups again after a view flag changed; false when that failed.
bool Regroup(KestrovaDialog& dialog) { return dialog.RebuildViewGroups().HasValue(); }

}  // namespace

// --- selection

bool Kv_SelectAllCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  KvViewState& view = dialog_->View();
  BusyPointer busy;
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t position) {
    if (!row.selected) Select(view, row, position);
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_SelectAllCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return bx3::kCmdDisabled;
  const int64_t listed = dialog_->View().ListedCount();
  return listed >= 1 && listed != dialog_->View().SelectedCount() ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

bool Kv_InvertSelectionCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  KvViewState& view = dialog_->View();
  BusyPointer busy;
  view.SetCurrent(-1, -1);
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t position) {
    if (!row.selected) {
      Select(view, row, position);
    } else {
      row.selected = 0;
      view.SetSelectedCount(view.SelectedCount() - 1);
    }
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_InvertSelectionCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWhenListed(dialog_); }

bool Kv_SelectMissingCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  KvViewState& view = dialog_->View();
  BusyPointer busy;
  view.SetSelectedCount(0);
  view.SetCurrent(-1, -1);
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t) {
    row.selected = row.IsMissing() ? 1 : 0;
    if (row.selected) view.SetSelectedCount(view.SelectedCount() + 1);
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_SelectMissingCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWhenListed(dialog_); }

bool Kv_SelectActiveCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  KvViewState& view = dialog_->View();
  BusyPointer busy;
  view.SetSelectedCount(0);
  view.SetCurrent(-1, -1);
  const bx3::Document* document = dialog_->Collection().ActiveDocument();
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t position) {
    row.selected = 0;
    const bx3::Element* deciding = DecidingElement(row, document);
    if (deciding && document && document->IsActive(deciding)) Select(view, row, position);
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_SelectActiveCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return bx3::kCmdEnabled; }

bool Kv_DeselectAllCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  KvViewState& view = dialog_->View();
  BusyPointer busy;
  view.SetSelectedCount(0);
  view.SetCurrent(-1, -1);
  ForEachVisibleRow(*dialog_, [](KvAssetEntry& row, int64_t) {
    row.selected = 0;
    WithdrawProposal(row);
  });
  dialog_->RefreshTree();
  dialog_->OnSelectionChanged(false);
  if (dialog_->View().ShowSelected()) {
    if (bx3::Document* document = bx3::GetActiveDocument()) document->SetActiveMaterial(nullptr);
    bx3::EventAdd(0);
  }
  BroadcastSelectionChanged();
  return true;
}

int32_t Kv_DeselectAllCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->View().SelectedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

bool Kv_ShowSelectedCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->View().SetShowSelected(!dialog_->View().ShowSelected());
  if (dialog_->View().ShowSelected()) bx3::CallCommand(kCmdOpenFileInManager);
  return true;
}

int32_t Kv_ShowSelectedCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().ShowSelected()) : bx3::kCmdDisabled;
}

// --- view

bool Kv_FilterbarCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  dialog_->FilterBar().Show(!dialog_->View().Settings().filterBar);
  const bool result = Regroup(*dialog_);
  dialog_->RefreshTree();
  return result;
}

int32_t Kv_FilterbarCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().Settings().filterBar) : bx3::kCmdDisabled;
}

bool KvColumnCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetViewFlag(commandId_, !dialog_->View().Settings().Flag(commandId_));
  dialog_->BuildColumnLayout();
  dialog_->RefreshTree();
  dialog_->SaveViewSettings();
  return true;
}

int32_t KvColumnCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return bx3::kCmdDisabled;
  const KvViewFlag* flag = FindViewFlag(commandId_);
  // The column the window groups by is always shown.
  if (flag && flag->forcedBy != 0 && flag->forcedBy == dialog_->View().GroupMode()) return bx3::kCmdCheckedDisabled;
  return CheckedState(dialog_->View().Settings().Flag(commandId_));
}

bool KvTypeFilterCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetViewFlag(commandId_, !dialog_->View().Settings().Flag(commandId_));
  if (!Regroup(*dialog_)) return false;
  dialog_->RefreshTree();
  dialog_->SaveViewSettings();
  return true;
}

int32_t KvTypeFilterCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().Settings().Flag(commandId_)) : bx3::kCmdDisabled;
}

bool Kv_ViewGroupModeByCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetGroupMode(groupMode_);
  if (!Regroup(*dialog_)) return false;
  dialog_->BuildColumnLayout();
  dialog_->RefreshTree();
  dialog_->SaveViewSettings();
  return true;
}

int32_t Kv_ViewGroupModeByCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->View().GroupMode() == groupMode_) : bx3::kCmdDisabled;
}

}  // namespace kv
