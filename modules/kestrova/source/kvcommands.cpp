#include "kvcommands.h"

#include "bx3/module.h"
#include "kvdialog.h"
#include "kvids.h"

namespace kv {

namespace {

inline constexpr int32_t kFilterFieldGadget = 10087;

template <typename Command>
std::unique_ptr<KestrovaCommandData> Make(KestrovaDialog* dialog, int32_t) {
  return std::make_unique<Command>(dialog);
}

std::unique_ptr<KestrovaCommandData> MakeGroupMode(KestrovaDialog* dialog, int32_t id) {
  return std::make_unique<Kv_ViewGroupModeByCommand>(dialog, id);
}

const SubCommandEntry kSubCommands[] = {
    {kCmdShowFileInExplorer, 10098, 10207, &Make<Kv_ShowFileInExplorer>},
    {kCmdOpenFileInExplorer, 10099, 10208, &Make<Kv_OpenFileInExplorer>},
    {kCmdOpenFileInPictureViewer, 10100, 10209, &Make<Kv_OpenFileInPictureViewer>},
    {kCmdOpenFileInManager, 10102, 10210, &Make<Kv_OpenFileInManager>},
    {kCmdOpenElementInManager, 10103, 10211, &Make<Kv_OpenElementInManager>},
    {kCmdSelectAll, 10002, 0, &Make<Kv_SelectAllCommand>},
    {kCmdDeselectAll, 10003, 0, &Make<Kv_DeselectAllCommand>},
    {kCmdSelectMissing, 10004, 0, &Make<Kv_SelectMissingCommand>},
    {kCmdSelectActive, 10005, 10186, &Make<Kv_SelectActiveCommand>},
    {kCmdInvertSelection, 10007, 0, &Make<Kv_InvertSelectionCommand>},
    {kCmdShowSelected, 10006, 0, &Make<Kv_ShowSelectedCommand>},
    {kCmdLocalize, 10008, 10187, &Make<Kv_LocalizeCommand>},
    {kCmdGlobalize, 10009, 10188, &Make<Kv_GlobalizeCommand>},
    {kCmdRelinkTextures, 10010, 10189, &Make<Kv_RelinkTexturesCommand>},
    {kCmdReplaceTexture, 10013, 10190, &Make<Kv_ReplaceTextureCommand>},
    {kCmdClearAssets, 10101, 10191, &Make<Kv_ClearAssetsCommand>},
    {kCmdConsolidate, 10115, 10192, &Make<Kv_ConsolidateCommand>},
    {kCmdFilterbar, 10016, 0, &Make<Kv_FilterbarCommand>},
    {kCmdViewAssetType, 10126, 10202, &Make<Kv_ViewAssetTypeCommand>},
    {kCmdViewAsset, 10018, 10193, &Make<Kv_ViewAssetCommand>},
    {kCmdViewTexturePath, 10019, 10194, &Make<Kv_ViewTexturePathCommand>},
    {kCmdViewGlobalPath, 10020, 10195, &Make<Kv_ViewGlobalPathCommand>},
    {kCmdViewNewPath, 10021, 10196, &Make<Kv_ViewNewPathCommand>},
    {kCmdViewElementType, 10127, 10203, &Make<Kv_ViewElementTypeCommand>},
    {kCmdViewMaterial, 10022, 10197, &Make<Kv_ViewMaterialCommand>},
    {kCmdViewBreadcrumb, 10023, 10198, &Make<Kv_ViewBreadcrumbCommand>},
    {kCmdViewLayer, 10024, 10199, &Make<Kv_ViewLayerCommand>},
    {kCmdViewTake, 10125, 10200, &Make<Kv_ViewTakeCommand>},
    {kCmdViewNodeSpace, 10145, 10201, &Make<Kv_ViewNodeSpaceCommand>},
    {kCmdViewFormat, 10128, 10204, &Make<Kv_ViewFormatCommand>},
    {kCmdViewFileSize, 10130, 10206, &Make<Kv_ViewFileSizeCommand>},
    {kCmdViewResolution, 10129, 10205, &Make<Kv_ViewResolutionCommand>},
    {kCmdViewTypeImage, 10107, 10212, &Make<Kv_ViewTypeImageCommand>},
    {kCmdViewTypeVideo, 10108, 10213, &Make<Kv_ViewTypeVideoCommand>},
    {kCmdViewTypeAudio, 10109, 10214, &Make<Kv_ViewTypeAudioCommand>},
    {kCmdViewTypeExternalCache, 10110, 10215, &Make<Kv_ViewTypeExternalCacheCommand>},
    {kCmdViewTypeReferenced3d, 10111, 10216, &Make<Kv_ViewTypeReferenced3dCommand>},
    {kCmdViewTypeOther, 10112, 10217, &Make<Kv_ViewTypeOtherCommand>},
    {kGroupNone, 10219, 10226, &MakeGroupMode},
    {kGroupByAsset, 10185, 10218, &MakeGroupMode},
    {kGroupByAssetType, 10220, 10227, &MakeGroupMode},
    {kGroupByElementType, 10221, 10228, &MakeGroupMode},
    {kGroupByLayer, 10222, 10229, &MakeGroupMode},
    {kGroupByTake, 10223, 10230, &MakeGroupMode},
    {kGroupByNodeSpace, 10224, 10231, &MakeGroupMode},
    {kGroupByFormat, 10225, 10232, &MakeGroupMode},
};

}  // namespace

const SubCommandEntry* SubCommandTable(size_t& count) {
  count = std::size(kSubCommands);
  return kSubCommands;
}

Kestrova::~Kestrova() { dialog_.reset(); }

void Kestrova::SetDialog(std::unique_ptr<KestrovaDialog> dialog) { dialog_ = std::move(dialog); }

bool Kestrova::Execute(bx3::Document*, bx3::GeDialog*) {
  if (!dialog_) return false;
  const bool wasOpen = dialog_->IsOpen();
  // The answer of the open call does not matter: a window that cannot open leaves the
  // command's state unchecked.
  dialog_->Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500, 0);
  if (wasOpen) return true;
  dialog_->Activate(kFilterFieldGadget);
  return true;
}

int32_t Kestrova::CommandState(bx3::Document*, bx3::GeDialog*) {
  if (dialog_ && dialog_->IsOpen()) return bx3::kCmdEnabledChecked;
  return bx3::kCmdEnabled;
}

bool Kestrova::RestoreWindow(const bx3::Container& layout) {
  if (!dialog_) return false;
  return dialog_->RestoreLayout(kMainCommandId, 0, layout);
}

bool KestrovaCommandData::Message(int32_t type, void* data) {
  if (type != bx3::kMsgCommandInformation || !data) return true;
  auto* information = static_cast<bx3::CommandInformation*>(data);
  information->managerId = kMainCommandId;
  switch (information->commandId) {
    case kCmdSelectAll: information->hostCommandId = kHostCmdSelectAll; break;
    case kCmdDeselectAll: information->hostCommandId = kHostCmdDeselectAll; break;
    case kCmdInvertSelection: information->hostCommandId = kHostCmdInvertSelection; break;
    default: break;
  }
  return true;
}

}  // namespace kv
