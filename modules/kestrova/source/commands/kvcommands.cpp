#include "commands/kvcommands.h"

#include "bx3/module.h"
#include "ids/kvgadgets.h"
#include "ids/kvids.h"
#include "ids/kvresourceids.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

template <typename Command>
std::unique_ptr<KestrovaCommandData> Make(KestrovaDialog* dialog, int32_t) {
  return std::make_unique<Command>(dialog);
}

std::unique_ptr<KestrovaCommandData> MakeGroupMode(KestrovaDialog* dialog, int32_t id) {
  return std::make_unique<Kv_ViewGroupModeByCommand>(dialog, id);
}

const SubCommandEntry kSubCommands[] = {
    {kCmdShowFileInExplorer, res::kShowInFileBrowser, res::kShowInFileBrowserHelp, &Make<Kv_ShowFileInExplorer>},
    {kCmdOpenFileInExplorer, res::kOpenWithSystem, res::kOpenWithSystemHelp, &Make<Kv_OpenFileInExplorer>},
    {kCmdOpenFileInPictureViewer, res::kOpenInPictureViewer, res::kOpenInPictureViewerHelp,
     &Make<Kv_OpenFileInPictureViewer>},
    {kCmdOpenFileInManager, res::kShowFileParameter, res::kShowFileParameterHelp, &Make<Kv_OpenFileInManager>},
    {kCmdOpenElementInManager, res::kShowElement, res::kShowElementHelp, &Make<Kv_OpenElementInManager>},
    {kCmdSelectAll, res::kSelectAll, 0, &Make<Kv_SelectAllCommand>},
    {kCmdDeselectAll, res::kSelectNone, 0, &Make<Kv_DeselectAllCommand>},
    {kCmdSelectMissing, res::kSelectMissing, 0, &Make<Kv_SelectMissingCommand>},
    {kCmdSelectActive, res::kSelectActive, res::kSelectActiveHelp, &Make<Kv_SelectActiveCommand>},
    {kCmdInvertSelection, res::kInvertSelection, 0, &Make<Kv_InvertSelectionCommand>},
    {kCmdShowSelected, res::kFollowSelection, 0, &Make<Kv_ShowSelectedCommand>},
    {kCmdLocalize, res::kMakeRelative, res::kMakeRelativeHelp, &Make<Kv_LocalizeCommand>},
    {kCmdGlobalize, res::kMakeAbsolute, res::kMakeAbsoluteHelp, &Make<Kv_GlobalizeCommand>},
    {kCmdRelinkTextures, res::kRelink, res::kRelinkHelp, &Make<Kv_RelinkTexturesCommand>},
    {kCmdReplaceTexture, res::kReplaceFile, res::kReplaceFileHelp, &Make<Kv_ReplaceTextureCommand>},
    {kCmdClearAssets, res::kClearAssets, res::kClearAssetsHelp, &Make<Kv_ClearAssetsCommand>},
    {kCmdConsolidate, res::kCollectFiles, res::kCollectFilesHelp, &Make<Kv_ConsolidateCommand>},
    {kCmdApplyPathMappings, res::kApplyPathMappings, res::kApplyPathMappingsHelp, &Make<Kv_ApplyPathMappingsCommand>},
    {kCmdFilterbar, res::kFilterBar, 0, &Make<Kv_FilterbarCommand>},
    {kCmdViewAssetType, res::kColumnType, res::kShowTypeHelp, &Make<Kv_ViewAssetTypeCommand>},
    {kCmdViewAsset, res::kColumnAsset, res::kShowAssetHelp, &Make<Kv_ViewAssetCommand>},
    {kCmdViewTexturePath, res::kColumnPath, res::kShowPathHelp, &Make<Kv_ViewTexturePathCommand>},
    {kCmdViewGlobalPath, res::kColumnFullPath, res::kShowFullPathHelp, &Make<Kv_ViewGlobalPathCommand>},
    {kCmdViewNewPath, res::kColumnProposedPath, res::kShowProposedPathHelp, &Make<Kv_ViewNewPathCommand>},
    {kCmdViewElementType, res::kColumnElementType, res::kShowElementTypeHelp, &Make<Kv_ViewElementTypeCommand>},
    {kCmdViewMaterial, res::kColumnElement, res::kShowElementColumnHelp, &Make<Kv_ViewMaterialCommand>},
    {kCmdViewBreadcrumb, res::kColumnLocation, res::kShowLocationHelp, &Make<Kv_ViewBreadcrumbCommand>},
    {kCmdViewLayer, res::kColumnLayer, res::kShowLayerHelp, &Make<Kv_ViewLayerCommand>},
    {kCmdViewTake, res::kColumnTake, res::kShowTakeHelp, &Make<Kv_ViewTakeCommand>},
    {kCmdViewNodeSpace, res::kColumnNodeSpace, res::kShowNodeSpaceHelp, &Make<Kv_ViewNodeSpaceCommand>},
    {kCmdViewFormat, res::kColumnFormat, res::kShowFormatHelp, &Make<Kv_ViewFormatCommand>},
    {kCmdViewFileSize, res::kColumnFileSize, res::kShowFileSizeHelp, &Make<Kv_ViewFileSizeCommand>},
    {kCmdViewResolution, res::kColumnResolution, res::kShowResolutionHelp, &Make<Kv_ViewResolutionCommand>},
    {kCmdViewVia, res::kVia, res::kShowViaHelp, &Make<Kv_ViewViaCommand>},
    {kCmdViewTypeImage, res::kTypeImage, res::kListImagesHelp, &Make<Kv_ViewTypeImageCommand>},
    {kCmdViewTypeVideo, res::kTypeMovie, res::kListMoviesHelp, &Make<Kv_ViewTypeVideoCommand>},
    {kCmdViewTypeAudio, res::kTypeSound, res::kListSoundsHelp, &Make<Kv_ViewTypeAudioCommand>},
    {kCmdViewTypeExternalCache, res::kTypeCache, res::kListCachesHelp, &Make<Kv_ViewTypeExternalCacheCommand>},
    {kCmdViewTypeReferenced3d, res::kTypeReference3d, res::kListReferences3dHelp,
     &Make<Kv_ViewTypeReferenced3dCommand>},
    {kCmdViewTypeOther, res::kTypeOther, res::kListOthersHelp, &Make<Kv_ViewTypeOtherCommand>},
    {kGroupNone, res::kGroupNone, res::kGroupNoneHelp, &MakeGroupMode},
    {kGroupByAsset, res::kGroupByAsset, res::kGroupByAssetHelp, &MakeGroupMode},
    {kGroupByAssetType, res::kGroupByType, res::kGroupByTypeHelp, &MakeGroupMode},
    {kGroupByElementType, res::kGroupByElementType, res::kGroupByElementTypeHelp, &MakeGroupMode},
    {kGroupByLayer, res::kGroupByLayer, res::kGroupByLayerHelp, &MakeGroupMode},
    {kGroupByTake, res::kGroupByTake, res::kGroupByTakeHelp, &MakeGroupMode},
    {kGroupByNodeSpace, res::kGroupByNodeSpace, res::kGroupByNodeSpaceHelp, &MakeGroupMode},
    {kGroupByFormat, res::kGroupByFormat, res::kGroupByFormatHelp, &MakeGroupMode},
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
  dialog_->Activate(kGadgetFilterText);
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
