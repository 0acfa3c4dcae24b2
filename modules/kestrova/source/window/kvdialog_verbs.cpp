// The inspector window's verbs for its commands: the selection, the view settings, the filter
// bar, the file commands and Clear. A command asks for state through View() and calls one.
#include "bx3/busy.h"
#include "bx3/commands.h"
#include "bx3/document.h"
#include "bx3/host.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvfileactions.h"
#include "window/kvbusy.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

// Tells the window (and whoever listens to the main command) that the selection changed.
void BroadcastSelectionChanged() {
  bx3::Container message;
  message.SetInt64(bx3::kMessageValue1, kNotifySelectionChanged);
  message.SetInt64(bx3::kMessageValue2, 0);
  bx3::SendCoreMessage(kMainCommandId, message);
}

}  // namespace

void KestrovaDialog::FinishSelection() {
  RefreshTree();
  OnSelectionChanged(false);
  BroadcastSelectionChanged();
}

void KestrovaDialog::ChangeSelection(KvSelectWhich which) {
  BusyPointer busy;
  view_.SelectListed(collection_.Rows(), which, collection_.ActiveDocument());
  if (which == KvSelectWhich::None && view_.ShowSelected()) {
    // Following the selection, the host's selection goes too.
    RefreshTree();
    OnSelectionChanged(false);
    if (bx3::Document* document = bx3::GetActiveDocument()) document->SetActiveMaterial(nullptr);
    bx3::EventAdd(0);
    BroadcastSelectionChanged();
    return;
  }
  FinishSelection();
}

void KestrovaDialog::SetShowSelected(bool on) {
  view_.SetShowSelected(on);
  if (on) bx3::CallCommand(kCmdOpenFileInManager);
}

bool KestrovaDialog::ToggleViewFlag(int32_t commandId) {
  const bool value = !view_.Settings().Flag(commandId);
  view_.Settings().flags[commandId] = value;
  MenuInitString(commandId, true, value);
  const KvViewFlag* flag = FindViewFlag(commandId);
  if (flag && flag->columnId != 0) {
    BuildColumnLayout();
  } else if (!RebuildViewGroups()) {  // a type filter lists other rows
    return false;
  }
  RefreshTree();
  SaveViewSettings();
  return true;
}

bool KestrovaDialog::SetGroupMode(int32_t groupMode) {
  view_.Settings().groupMode = groupMode;
  for (int32_t mode : kGroupModes) MenuInitString(mode, true, mode == groupMode);
  if (!RebuildViewGroups()) return false;
  BuildColumnLayout();
  RefreshTree();
  SaveViewSettings();
  return true;
}

bool KestrovaDialog::ShowFilterBar(bool shown) {
  BusyPointer busy;
  filterBar_.Show(shown);
  const bool listed = RebuildViewGroups().HasValue();
  RefreshTree();
  return listed;
}

bool KestrovaDialog::RunOnCurrent(KvCurrentCommand command, bx3::Document* document) {
  const KvViewState::CurrentAsset current = view_.FindCurrentAsset(collection_.Rows());
  if (current.state != KvViewState::CurrentAsset::kFound) return current.state == KvViewState::CurrentAsset::kNone;
  switch (command) {
    case KvCurrentCommand::ShowFile:
      return kv::RunFileAction(*current.row, bx3::GetActiveDocument(), KvFileAction::Show);
    case KvCurrentCommand::OpenFile:
      return kv::RunFileAction(*current.row, bx3::GetActiveDocument(), KvFileAction::Open);
    case KvCurrentCommand::PictureViewer:
      return kv::RunFileAction(*current.row, bx3::GetActiveDocument(), KvFileAction::PictureViewer);
    case KvCurrentCommand::FileInManager:
    case KvCurrentCommand::ElementInManager:
      if (!document) return false;
      ShowAssetInManager(*current.row, false, command == KvCurrentCommand::FileInManager, document);
      return true;
  }
  return false;
}

}  // namespace kv
