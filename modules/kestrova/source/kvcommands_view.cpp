// The view and selection commands of the inspector window.
#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/document.h"
#include "bx3/host.h"
#include "kvcommands.h"
#include "kvdialog.h"
#include "kvids.h"

namespace kv {

namespace {

// Shows the busy pointer for as long as it lives.
class BusyPointer {
 public:
  BusyPointer() { bx3::SetMousePointer(bx3::kMousePointerBusy); }
  ~BusyPointer() { bx3::SetMousePointer(bx3::kMousePointerNormal); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

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
  return dialog && dialog->ListedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

// Visits the rows in view, in display order, with their position.
template <typename Visit>
void ForEachVisibleRow(KestrovaDialog& dialog, Visit visit) {
  KvAssetTable& table = dialog.Assets();
  for (size_t position = 0; position < table.rowIndexList.size(); ++position) {
    visit(table.rows[size_t(table.rowIndexList[position])], int64_t(position));
  }
}

void Select(KestrovaDialog& dialog, KvAssetEntry& row, int64_t position) {
  row.selected = 1;
  dialog.SetSelectedCount(dialog.SelectedCount() + 1);
  if (dialog.CurrentRow() == -1 && row.resolveResult != 0) dialog.SetCurrentToPosition(position);
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
bool Regroup(KestrovaDialog& dialog) {
  const brantic::Result<void> grouped = dialog.RebuildViewGroups();
  dialog.UpdateStatusLine(brantic::String());
  return bool(grouped);
}

}  // namespace

// --- selection

bool Kv_SelectAllCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t position) {
    if (!row.selected) Select(*dialog_, row, position);
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_SelectAllCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return bx3::kCmdDisabled;
  const int64_t listed = dialog_->ListedCount();
  return listed >= 1 && listed != dialog_->SelectedCount() ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

bool Kv_InvertSelectionCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  dialog_->SetCurrent(-1, -1);
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t position) {
    if (!row.selected) {
      Select(*dialog_, row, position);
    } else {
      row.selected = 0;
      dialog_->SetSelectedCount(dialog_->SelectedCount() - 1);
    }
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_InvertSelectionCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return EnabledWhenListed(dialog_);
}

bool Kv_SelectMissingCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  dialog_->SetSelectedCount(0);
  dialog_->SetCurrent(-1, -1);
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t) {
    row.selected = row.resolveResult == 0 ? 1 : 0;
    if (row.selected) dialog_->SetSelectedCount(dialog_->SelectedCount() + 1);
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_SelectMissingCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return EnabledWhenListed(dialog_);
}

bool Kv_SelectActiveCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  dialog_->SetSelectedCount(0);
  dialog_->SetCurrent(-1, -1);
  const bx3::Document* document = dialog_->Assets().activeDocument;
  ForEachVisibleRow(*dialog_, [&](KvAssetEntry& row, int64_t position) {
    row.selected = 0;
    const bx3::Element* deciding = DecidingElement(row, document);
    if (deciding && document && document->IsActive(deciding)) Select(*dialog_, row, position);
  });
  FinishSelection(*dialog_);
  return true;
}

int32_t Kv_SelectActiveCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return bx3::kCmdEnabled; }

bool Kv_DeselectAllCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  dialog_->SetSelectedCount(0);
  dialog_->SetCurrent(-1, -1);
  ForEachVisibleRow(*dialog_, [](KvAssetEntry& row, int64_t) {
    row.selected = 0;
    row.newPath = brantic::String();
    for (KvRelinkCandidate& candidate : row.relinkCandidates) {
      candidate.flags &= uint8_t(~kCandidateChosen);
      candidate.path = brantic::String();
    }
  });
  dialog_->RefreshTree();
  dialog_->OnSelectionChanged(false);
  if (dialog_->ShowSelected()) {
    if (bx3::Document* document = bx3::GetActiveDocument()) document->SetActiveMaterial(nullptr);
    bx3::EventAdd(0);
  }
  BroadcastSelectionChanged();
  return true;
}

int32_t Kv_DeselectAllCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->SelectedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

bool Kv_ShowSelectedCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetShowSelected(!dialog_->ShowSelected());
  if (dialog_->ShowSelected()) bx3::CallCommand(kCmdOpenFileInManager);
  return true;
}

int32_t Kv_ShowSelectedCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->ShowSelected()) : bx3::kCmdDisabled;
}

// --- view

bool Kv_FilterbarCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  const bool shown = !dialog_->ViewSettings().filterBar;
  if (!shown) dialog_->StoreFilterBarGadgets();
  dialog_->SetFilterBarShown(shown);
  dialog_->UpdateFilterBar(false);
  if (shown) dialog_->RestoreFilterBarGadgets();
  const bool result = Regroup(*dialog_);
  dialog_->RefreshTree();
  return result;
}

int32_t Kv_FilterbarCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->ViewSettings().filterBar) : bx3::kCmdDisabled;
}

bool KvColumnCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetViewFlag(commandId_, !dialog_->ViewSettings().Flag(commandId_));
  dialog_->BuildColumnLayout();
  dialog_->RefreshTree();
  dialog_->SaveViewSettings();
  return true;
}

int32_t KvColumnCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return bx3::kCmdDisabled;
  const KvViewFlag* flag = FindViewFlag(commandId_);
  // The column the window groups by is always shown.
  if (flag && flag->forcedBy != 0 && flag->forcedBy == dialog_->GroupMode()) return bx3::kCmdCheckedDisabled;
  return CheckedState(dialog_->ViewSettings().Flag(commandId_));
}

bool KvTypeFilterCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetViewFlag(commandId_, !dialog_->ViewSettings().Flag(commandId_));
  if (!Regroup(*dialog_)) return false;
  dialog_->RefreshTree();
  dialog_->SaveViewSettings();
  return true;
}

int32_t KvTypeFilterCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->ViewSettings().Flag(commandId_)) : bx3::kCmdDisabled;
}

bool Kv_ViewGroupModeByCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->SetGroupMode(groupMode_);
  for (int32_t mode : {kGroupNone, kGroupByAsset, kGroupByAssetType, kGroupByElementType, kGroupByLayer,
                       kGroupByTake, kGroupByNodeSpace, kGroupByFormat}) {
    dialog_->MenuInitString(mode, true, mode == groupMode_);
  }
  if (!Regroup(*dialog_)) return false;
  dialog_->BuildColumnLayout();
  dialog_->RefreshTree();
  dialog_->SaveViewSettings();
  return true;
}

int32_t Kv_ViewGroupModeByCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ ? CheckedState(dialog_->GroupMode() == groupMode_) : bx3::kCmdDisabled;
}

}  // namespace kv
