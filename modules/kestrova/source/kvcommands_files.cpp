// The file and manager commands: they act on the inspector's current asset.
#include "bx3/commands.h"
#include "bx3/host.h"
#include "kvcommands.h"
#include "kvdialog.h"
#include "kvfileactions.h"

namespace kv {

namespace {

KvViewState::CurrentAsset FindCurrentAsset(const KestrovaDialog* dialog) {
  return dialog ? dialog->View().FindCurrentAsset(dialog->Collection().Rows()) : KvViewState::CurrentAsset();
}

// Runs a file action on the current asset. Nothing current: true, and nothing done.
bool RunOnCurrentFile(const KestrovaDialog* dialog, KvFileAction action) {
  const KvViewState::CurrentAsset current = FindCurrentAsset(dialog);
  if (current.state != KvViewState::CurrentAsset::kFound) return current.state == KvViewState::CurrentAsset::kNone;
  return RunFileAction(*current.row, bx3::GetActiveDocument(), action);
}

bool ShowCurrentInManager(const KestrovaDialog* dialog, bx3::Document* document, bool file) {
  const KvViewState::CurrentAsset current = FindCurrentAsset(dialog);
  if (current.state != KvViewState::CurrentAsset::kFound) return current.state == KvViewState::CurrentAsset::kNone;
  if (!document) return false;
  ShowAssetInManager(*current.row, false, file, document);
  return true;
}

// Enabled when the current asset's file was found (and, for pictures only, is a picture or
// a movie).
int32_t FileState(const KestrovaDialog* dialog, bool pictureOnly) {
  const KvViewState::CurrentAsset current = FindCurrentAsset(dialog);
  if (current.state != KvViewState::CurrentAsset::kFound || current.row->IsMissing()) return bx3::kCmdDisabled;
  if (pictureOnly && !(current.row->assetType & (ASSETTYPE_IMAGE | ASSETTYPE_VIDEO))) return bx3::kCmdDisabled;
  return bx3::kCmdEnabled;
}

int32_t ManagerState(const KestrovaDialog* dialog) {
  return FindCurrentAsset(dialog).state == KvViewState::CurrentAsset::kFound ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

}  // namespace

bool Kv_ShowFileInExplorer::Execute(bx3::Document*, bx3::GeDialog*) {
  return RunOnCurrentFile(dialog_, KvFileAction::Show);
}
int32_t Kv_ShowFileInExplorer::CommandState(bx3::Document*, bx3::GeDialog*) { return FileState(dialog_, false); }

bool Kv_OpenFileInExplorer::Execute(bx3::Document*, bx3::GeDialog*) {
  return RunOnCurrentFile(dialog_, KvFileAction::Open);
}
int32_t Kv_OpenFileInExplorer::CommandState(bx3::Document*, bx3::GeDialog*) { return FileState(dialog_, false); }

bool Kv_OpenFileInPictureViewer::Execute(bx3::Document*, bx3::GeDialog*) {
  return RunOnCurrentFile(dialog_, KvFileAction::PictureViewer);
}
int32_t Kv_OpenFileInPictureViewer::CommandState(bx3::Document*, bx3::GeDialog*) { return FileState(dialog_, true); }

bool Kv_OpenFileInManager::Execute(bx3::Document* document, bx3::GeDialog*) {
  return ShowCurrentInManager(dialog_, document, true);
}
int32_t Kv_OpenFileInManager::CommandState(bx3::Document*, bx3::GeDialog*) { return ManagerState(dialog_); }

bool Kv_OpenElementInManager::Execute(bx3::Document* document, bx3::GeDialog*) {
  return ShowCurrentInManager(dialog_, document, false);
}
int32_t Kv_OpenElementInManager::CommandState(bx3::Document*, bx3::GeDialog*) { return ManagerState(dialog_); }

}  // namespace kv
