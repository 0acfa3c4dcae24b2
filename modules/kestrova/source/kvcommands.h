// The inspector's commands: the main command that owns the dialog, and the sub-commands
// that act on it.
#pragma once

#include <cstdint>
#include <memory>

#include "bx3/commands.h"

namespace kv {

class KestrovaDialog;

// The main command: opens the inspector window. Owns the one dialog.
class Kestrova final : public bx3::CommandData {
 public:
  Kestrova() = default;
  ~Kestrova() override;

  void SetDialog(std::unique_ptr<KestrovaDialog> dialog);
  KestrovaDialog* GetDialog() const { return dialog_.get(); }

  bool Execute(bx3::Document* document, bx3::GeDialog* parentManager) override;
  int32_t CommandState(bx3::Document* document, bx3::GeDialog* parentManager) override;
  bool RestoreWindow(const bx3::Container& layout) override;

 private:
  std::unique_ptr<KestrovaDialog> dialog_;
};

// The base of every sub-command: holds the shared dialog (not owned) and answers the
// host's command-information message.
class KestrovaCommandData : public bx3::CommandData {
 public:
  explicit KestrovaCommandData(KestrovaDialog* dialog) : dialog_(dialog) {}

  // Until a command has its own behaviour it answers as a command without a dialog.
  bool Execute(bx3::Document*, bx3::GeDialog*) override { return false; }
  int32_t CommandState(bx3::Document*, bx3::GeDialog*) override { return bx3::kCmdDisabled; }
  bool Message(int32_t type, void* data) override;

 protected:
  KestrovaDialog* dialog_;
};

#define KV_SUB_COMMAND(Name)                                            \
  class Name final : public KestrovaCommandData {                       \
   public:                                                              \
    using KestrovaCommandData::KestrovaCommandData;                     \
  }

KV_SUB_COMMAND(Kv_ShowFileInExplorer);
KV_SUB_COMMAND(Kv_OpenFileInExplorer);
KV_SUB_COMMAND(Kv_OpenFileInPictureViewer);
KV_SUB_COMMAND(Kv_OpenFileInManager);
KV_SUB_COMMAND(Kv_OpenElementInManager);
KV_SUB_COMMAND(Kv_SelectAllCommand);
KV_SUB_COMMAND(Kv_DeselectAllCommand);
KV_SUB_COMMAND(Kv_SelectMissingCommand);
KV_SUB_COMMAND(Kv_InvertSelectionCommand);
KV_SUB_COMMAND(Kv_ShowSelectedCommand);
KV_SUB_COMMAND(Kv_LocalizeCommand);
KV_SUB_COMMAND(Kv_GlobalizeCommand);
KV_SUB_COMMAND(Kv_RelinkTexturesCommand);
KV_SUB_COMMAND(Kv_ReplaceTextureCommand);
KV_SUB_COMMAND(Kv_ClearAssetsCommand);
KV_SUB_COMMAND(Kv_ConsolidateCommand);
KV_SUB_COMMAND(Kv_FilterbarCommand);
KV_SUB_COMMAND(Kv_ViewAssetTypeCommand);
KV_SUB_COMMAND(Kv_ViewAssetCommand);
KV_SUB_COMMAND(Kv_ViewTexturePathCommand);
KV_SUB_COMMAND(Kv_ViewGlobalPathCommand);
KV_SUB_COMMAND(Kv_ViewNewPathCommand);
KV_SUB_COMMAND(Kv_ViewElementTypeCommand);
KV_SUB_COMMAND(Kv_ViewMaterialCommand);
KV_SUB_COMMAND(Kv_ViewBreadcrumbCommand);
KV_SUB_COMMAND(Kv_ViewLayerCommand);
KV_SUB_COMMAND(Kv_ViewTakeCommand);
KV_SUB_COMMAND(Kv_ViewNodeSpaceCommand);
KV_SUB_COMMAND(Kv_ViewFormatCommand);
KV_SUB_COMMAND(Kv_ViewFileSizeCommand);
KV_SUB_COMMAND(Kv_ViewResolutionCommand);
KV_SUB_COMMAND(Kv_ViewTypeImageCommand);
KV_SUB_COMMAND(Kv_ViewTypeVideoCommand);
KV_SUB_COMMAND(Kv_ViewTypeAudioCommand);
KV_SUB_COMMAND(Kv_ViewTypeExternalCacheCommand);
KV_SUB_COMMAND(Kv_ViewTypeReferenced3dCommand);
KV_SUB_COMMAND(Kv_ViewTypeOtherCommand);

#undef KV_SUB_COMMAND

// Select Active is enabled whether or not there is a dialog.
class Kv_SelectActiveCommand final : public KestrovaCommandData {
 public:
  using KestrovaCommandData::KestrovaCommandData;
  int32_t CommandState(bx3::Document*, bx3::GeDialog*) override { return bx3::kCmdEnabled; }
};

// One object per group mode; its group mode is its command id.
class Kv_ViewGroupModeByCommand final : public KestrovaCommandData {
 public:
  Kv_ViewGroupModeByCommand(KestrovaDialog* dialog, int32_t groupMode)
      : KestrovaCommandData(dialog), groupMode_(groupMode) {}
  int32_t GroupMode() const { return groupMode_; }

 private:
  int32_t groupMode_;
};

// One row of the registration table.
struct SubCommandEntry {
  int32_t id;
  int32_t nameResource;
  int32_t helpResource;  // 0: no help text
  std::unique_ptr<KestrovaCommandData> (*create)(KestrovaDialog* dialog, int32_t id);
};

// The 46 sub-commands in registration order.
const SubCommandEntry* SubCommandTable(size_t& count);

}  // namespace kv
