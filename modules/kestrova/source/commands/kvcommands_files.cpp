// The file and manager commands: they act on the inspector's current asset.
#include "commands/kvcommands.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

KvViewState::CurrentAsset FindCurrentAsset(const KestrovaDialog* dialog) {
  return dialog ? dialog->View().FindCurrentAsset(dialog->Collection().Rows()) : KvViewState::CurrentAsset();
}

bool Run(KestrovaDialog* dialog, KvCurrentCommand command, bx3::Document* document) {
  return dialog && dialog->RunOnCurrent(command, document);
}

// Enabled when the current asset's file was found (and, for pictures only, is a picture or
// a movie).
int32_t FileState(const KestrovaDialog* dialog, bool pictureOnly) {
  const KvViewState::CurrentAsset current = FindCurrentAsset(dialog);
  if (current.state != KvViewState::CurrentAsset::kFound || current.row->IsMissing() || current.row->IsUnreachable()) {
    return bx3::kCmdDisabled;
  }
  if (pictureOnly && !(current.row->assetType & (ASSETTYPE_IMAGE | ASSETTYPE_VIDEO))) return bx3::kCmdDisabled;
  return bx3::kCmdEnabled;
}

int32_t ManagerState(const KestrovaDialog* dialog) {
  return FindCurrentAsset(dialog).state == KvViewState::CurrentAsset::kFound ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

}  // namespace

bool Kv_ShowFileInExplorer::Execute(bx3::Document* document, bx3::GeDialog*) {
  return Run(dialog_, KvCurrentCommand::ShowFile, document);
}
int32_t Kv_ShowFileInExplorer::CommandState(bx3::Document*, bx3::GeDialog*) { return FileState(dialog_, false); }

bool Kv_OpenFileInExplorer::Execute(bx3::Document* document, bx3::GeDialog*) {
  return Run(dialog_, KvCurrentCommand::OpenFile, document);
}
int32_t Kv_OpenFileInExplorer::CommandState(bx3::Document*, bx3::GeDialog*) { return FileState(dialog_, false); }

bool Kv_OpenFileInPictureViewer::Execute(bx3::Document* document, bx3::GeDialog*) {
  return Run(dialog_, KvCurrentCommand::PictureViewer, document);
}
int32_t Kv_OpenFileInPictureViewer::CommandState(bx3::Document*, bx3::GeDialog*) { return FileState(dialog_, true); }

bool Kv_OpenFileInManager::Execute(bx3::Document* document, bx3::GeDialog*) {
  return Run(dialog_, KvCurrentCommand::FileInManager, document);
}
int32_t Kv_OpenFileInManager::CommandState(bx3::Document*, bx3::GeDialog*) { return ManagerState(dialog_); }

bool Kv_OpenElementInManager::Execute(bx3::Document* document, bx3::GeDialog*) {
  return Run(dialog_, KvCurrentCommand::ElementInManager, document);
}
int32_t Kv_OpenElementInManager::CommandState(bx3::Document*, bx3::GeDialog*) { return ManagerState(dialog_); }

}  // namespace kv
