// The path commands: each asks the window to carry out one operation on the selected rows.
#include <string>

#include "bx3/commands.h"
#include "bx3/modal.h"
#include "bx3/prefs.h"
#include "commands/kvcommands.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvconsolidate.h"
#include "window/kvbusy.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

// The path operations need a selected row.
int32_t EnabledWithSelection(const KestrovaDialog* dialog) {
  return dialog && dialog->View().SelectedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

}  // namespace

bool Kv_GlobalizeCommand::Execute(bx3::Document* document, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  return dialog_->Globalize(document);
}

int32_t Kv_GlobalizeCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWithSelection(dialog_); }

bool Kv_LocalizeCommand::Execute(bx3::Document* document, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  return dialog_->Localize(document);
}

int32_t Kv_LocalizeCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWithSelection(dialog_); }

bool Kv_ApplyPathMappingsCommand::Execute(bx3::Document* document, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  return dialog_->ApplyPathMappings(document);
}

// With the window open and a mapping in the preferences.
int32_t Kv_ApplyPathMappingsCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->IsOpen() && !bx3::Preferences::Get().GetPathMappings().empty() ? bx3::kCmdEnabled
                                                                                            : bx3::kCmdDisabled;
}

bool Kv_ReplaceTextureCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->ReplaceTexture();
  bx3::Container message;
  message.SetInt64(bx3::kMessageValue1, kNotifySelectionChanged);
  bx3::SendCoreMessage(kMainCommandId, message);
  return true;
}

int32_t Kv_ReplaceTextureCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWithSelection(dialog_); }

bool Kv_ClearAssetsCommand::Execute(bx3::Document* document, bx3::GeDialog*) {
  if (!dialog_) return false;
  dialog_->ClearAssets(document);
  return true;
}

int32_t Kv_ClearAssetsCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWithSelection(dialog_); }

bool Kv_RelinkTexturesCommand::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  BusyPointer busy;
  dialog_->RelinkTextures(bx3::Filename());
  return true;
}

int32_t Kv_RelinkTexturesCommand::CommandState(bx3::Document*, bx3::GeDialog*) { return EnabledWithSelection(dialog_); }

bool Kv_ConsolidateCommand::Execute(bx3::Document* document, bx3::GeDialog*) {
  if (!dialog_) return false;
  const KvViewState& view = dialog_->View();
  if (view.ListedCount() == 0) return true;
  const bool anySelected = view.SelectedCount() > 0;
  const int32_t question = anySelected ? res::kCollectSelectedQuestion : res::kCollectAllQuestion;
  // The question counts files, not the uses of them.
  const std::string count = std::to_string(CountFilesToCollect(dialog_->Collection().Rows(), anySelected));
  if (bx3::MessageDialog(bx3::kMessageYesNo, GetResourceString(question, count)) != bx3::kAnswerYes) return true;
  BusyPointer busy;
  dialog_->Consolidate(document);
  return true;
}

int32_t Kv_ConsolidateCommand::CommandState(bx3::Document*, bx3::GeDialog*) {
  return dialog_ && dialog_->View().ListedCount() >= 1 ? bx3::kCmdEnabled : bx3::kCmdDisabled;
}

}  // namespace kv
