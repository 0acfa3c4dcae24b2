// The inspector's commands: the main command that owns the dialog, and the sub-commands
// that act on it.
#pragma once

#include <cstdint>
#include <memory>

#include "bx3/commands.h"
#include "ids/kvids.h"

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

// A command with its own Execute and CommandState.
#define KV_COMMAND(Name)                                                                  \
  class Name final : public KestrovaCommandData {                                         \
   public:                                                                                \
    using KestrovaCommandData::KestrovaCommandData;                                       \
    bool Execute(bx3::Document* document, bx3::GeDialog* parentManager) override;         \
    int32_t CommandState(bx3::Document* document, bx3::GeDialog* parentManager) override; \
  }

KV_COMMAND(Kv_SelectAllCommand);
KV_COMMAND(Kv_DeselectAllCommand);
KV_COMMAND(Kv_SelectMissingCommand);
KV_COMMAND(Kv_InvertSelectionCommand);
KV_COMMAND(Kv_SelectActiveCommand);
KV_COMMAND(Kv_ShowSelectedCommand);
KV_COMMAND(Kv_FilterbarCommand);
KV_COMMAND(Kv_GlobalizeCommand);
KV_COMMAND(Kv_LocalizeCommand);
KV_COMMAND(Kv_ReplaceTextureCommand);
KV_COMMAND(Kv_ClearAssetsCommand);
KV_COMMAND(Kv_RelinkTexturesCommand);
KV_COMMAND(Kv_ConsolidateCommand);
KV_COMMAND(Kv_ApplyPathMappingsCommand);
KV_COMMAND(Kv_ShowFileInExplorer);
KV_COMMAND(Kv_OpenFileInExplorer);
KV_COMMAND(Kv_OpenFileInPictureViewer);
KV_COMMAND(Kv_OpenFileInManager);
KV_COMMAND(Kv_OpenElementInManager);

#undef KV_COMMAND

// Shows or hides a column of the tree.
class KvColumnCommand : public KestrovaCommandData {
 public:
  KvColumnCommand(KestrovaDialog* dialog, int32_t commandId) : KestrovaCommandData(dialog), commandId_(commandId) {}
  bool Execute(bx3::Document* document, bx3::GeDialog* parentManager) override;
  int32_t CommandState(bx3::Document* document, bx3::GeDialog* parentManager) override;

 private:
  int32_t commandId_;
};

// Shows or hides the rows of an asset type.
class KvTypeFilterCommand : public KestrovaCommandData {
 public:
  KvTypeFilterCommand(KestrovaDialog* dialog, int32_t commandId) : KestrovaCommandData(dialog), commandId_(commandId) {}
  bool Execute(bx3::Document* document, bx3::GeDialog* parentManager) override;
  int32_t CommandState(bx3::Document* document, bx3::GeDialog* parentManager) override;

 private:
  int32_t commandId_;
};

#define KV_VIEW_COMMAND(Name, Base, id)                         \
  class Name final : public Base {                              \
   public:                                                      \
    explicit Name(KestrovaDialog* dialog) : Base(dialog, id) {} \
  }

KV_VIEW_COMMAND(Kv_ViewAssetTypeCommand, KvColumnCommand, kCmdViewAssetType);
KV_VIEW_COMMAND(Kv_ViewAssetCommand, KvColumnCommand, kCmdViewAsset);
KV_VIEW_COMMAND(Kv_ViewTexturePathCommand, KvColumnCommand, kCmdViewTexturePath);
KV_VIEW_COMMAND(Kv_ViewGlobalPathCommand, KvColumnCommand, kCmdViewGlobalPath);
KV_VIEW_COMMAND(Kv_ViewNewPathCommand, KvColumnCommand, kCmdViewNewPath);
KV_VIEW_COMMAND(Kv_ViewElementTypeCommand, KvColumnCommand, kCmdViewElementType);
KV_VIEW_COMMAND(Kv_ViewMaterialCommand, KvColumnCommand, kCmdViewMaterial);
KV_VIEW_COMMAND(Kv_ViewBreadcrumbCommand, KvColumnCommand, kCmdViewBreadcrumb);
KV_VIEW_COMMAND(Kv_ViewLayerCommand, KvColumnCommand, kCmdViewLayer);
KV_VIEW_COMMAND(Kv_ViewTakeCommand, KvColumnCommand, kCmdViewTake);
KV_VIEW_COMMAND(Kv_ViewNodeSpaceCommand, KvColumnCommand, kCmdViewNodeSpace);
KV_VIEW_COMMAND(Kv_ViewFormatCommand, KvColumnCommand, kCmdViewFormat);
KV_VIEW_COMMAND(Kv_ViewFileSizeCommand, KvColumnCommand, kCmdViewFileSize);
KV_VIEW_COMMAND(Kv_ViewResolutionCommand, KvColumnCommand, kCmdViewResolution);
KV_VIEW_COMMAND(Kv_ViewViaCommand, KvColumnCommand, kCmdViewVia);
KV_VIEW_COMMAND(Kv_ViewTypeImageCommand, KvTypeFilterCommand, kCmdViewTypeImage);
KV_VIEW_COMMAND(Kv_ViewTypeVideoCommand, KvTypeFilterCommand, kCmdViewTypeVideo);
KV_VIEW_COMMAND(Kv_ViewTypeAudioCommand, KvTypeFilterCommand, kCmdViewTypeAudio);
KV_VIEW_COMMAND(Kv_ViewTypeExternalCacheCommand, KvTypeFilterCommand, kCmdViewTypeExternalCache);
KV_VIEW_COMMAND(Kv_ViewTypeReferenced3dCommand, KvTypeFilterCommand, kCmdViewTypeReferenced3d);
KV_VIEW_COMMAND(Kv_ViewTypeOtherCommand, KvTypeFilterCommand, kCmdViewTypeOther);

#undef KV_VIEW_COMMAND

// One object per group mode; its group mode is its command id.
class Kv_ViewGroupModeByCommand final : public KestrovaCommandData {
 public:
  Kv_ViewGroupModeByCommand(KestrovaDialog* dialog, int32_t groupMode)
      : KestrovaCommandData(dialog), groupMode_(groupMode) {}
  int32_t GroupMode() const { return groupMode_; }
  bool Execute(bx3::Document* document, bx3::GeDialog* parentManager) override;
  int32_t CommandState(bx3::Document* document, bx3::GeDialog* parentManager) override;

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
