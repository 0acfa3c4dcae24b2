// Command ids of the inspector, which also key its stored view settings.
#pragma once

#include <cstdint>

namespace kv {

inline constexpr int32_t kMainCommandId = 1029486;

// File and manager commands.
inline constexpr int32_t kCmdShowFileInExplorer = 1040764;
inline constexpr int32_t kCmdOpenFileInExplorer = 1040765;
inline constexpr int32_t kCmdOpenFileInPictureViewer = 1040766;
inline constexpr int32_t kCmdOpenFileInManager = 1040767;
inline constexpr int32_t kCmdOpenElementInManager = 1040768;
// Selection commands.
inline constexpr int32_t kCmdSelectAll = 1029813;
inline constexpr int32_t kCmdDeselectAll = 1029814;
inline constexpr int32_t kCmdSelectMissing = 1029815;
inline constexpr int32_t kCmdSelectActive = 1029816;
inline constexpr int32_t kCmdInvertSelection = 1029817;
inline constexpr int32_t kCmdShowSelected = 1029818;
// Path operations.
inline constexpr int32_t kCmdLocalize = 1029819;
inline constexpr int32_t kCmdGlobalize = 1029820;
inline constexpr int32_t kCmdRelinkTextures = 1029821;
inline constexpr int32_t kCmdReplaceTexture = 1029822;
inline constexpr int32_t kCmdClearAssets = 1034807;
inline constexpr int32_t kCmdConsolidate = 1050522;
inline constexpr int32_t kCmdApplyPathMappings = 1051545;
// View commands.
inline constexpr int32_t kCmdFilterbar = 1029823;
inline constexpr int32_t kCmdViewAssetType = 1050848;
inline constexpr int32_t kCmdViewAsset = 1029824;
inline constexpr int32_t kCmdViewTexturePath = 1029825;
inline constexpr int32_t kCmdViewGlobalPath = 1029826;
inline constexpr int32_t kCmdViewNewPath = 1029827;
inline constexpr int32_t kCmdViewElementType = 1050586;
inline constexpr int32_t kCmdViewMaterial = 1029828;
inline constexpr int32_t kCmdViewBreadcrumb = 1029829;
inline constexpr int32_t kCmdViewLayer = 1029830;
inline constexpr int32_t kCmdViewTake = 1050557;
inline constexpr int32_t kCmdViewNodeSpace = 1051186;
inline constexpr int32_t kCmdViewFormat = 1050849;
inline constexpr int32_t kCmdViewFileSize = 1050882;
inline constexpr int32_t kCmdViewResolution = 1050850;
inline constexpr int32_t kCmdViewVia = 1051546;
inline constexpr int32_t kCmdViewTypeImage = 1050500;
inline constexpr int32_t kCmdViewTypeVideo = 1050501;
inline constexpr int32_t kCmdViewTypeAudio = 1050502;
inline constexpr int32_t kCmdViewTypeExternalCache = 1050503;
inline constexpr int32_t kCmdViewTypeReferenced3d = 1050504;
inline constexpr int32_t kCmdViewTypeOther = 1050505;
// Group modes: the ids of the group-mode commands.
inline constexpr int32_t kGroupNone = 1051540;
inline constexpr int32_t kGroupByAsset = 1051433;
inline constexpr int32_t kGroupByAssetType = 1051534;
inline constexpr int32_t kGroupByElementType = 1051435;
inline constexpr int32_t kGroupByLayer = 1051436;
inline constexpr int32_t kGroupByTake = 1051437;
inline constexpr int32_t kGroupByNodeSpace = 1051438;
inline constexpr int32_t kGroupByFormat = 1051539;
// Every group mode in menu order.
inline constexpr int32_t kGroupModes[] = {kGroupNone,    kGroupByAsset, kGroupByAssetType, kGroupByElementType,
                                          kGroupByLayer, kGroupByTake,  kGroupByNodeSpace, kGroupByFormat};

// What the inspector tells itself through the main command's core messages (the value
// under the message's first key).
inline constexpr int64_t kNotifyFoldChanged = 10093;
inline constexpr int64_t kNotifySortChanged = 10095;
inline constexpr int64_t kNotifySelectionChanged = 10096;

// Host command ids that the selection commands stand for.
inline constexpr int32_t kHostCmdSelectAll = 12112;
inline constexpr int32_t kHostCmdDeselectAll = 12113;
inline constexpr int32_t kHostCmdInvertSelection = 12374;
// The entries of the list's context menu.
enum KvContextEntry : int32_t {
  kEntryShowFile = 900011,
  kEntryOpenFile = 900012,
  kEntryPictureViewer = 900013,
  kEntryFileInManager = 900014,
  kEntryElementInManager = 900015,
  kEntrySelectAll = 900016,
  kEntryDeselectAll = 900017,
  kEntrySelectMissing = 900018,
  kEntryInvertSelection = 900019,
  kEntryLocalize = 900020,
  kEntryGlobalize = 900021,
  kEntryRelink = 900022,
  kEntryReplace = 900023,
  kEntryClear = 900024,
  kEntryConsolidate = 900025,
};

// A host command in the window's Paths menu: the texture search paths.
inline constexpr int32_t kHostCmdSearchPaths = 200000273;

}  // namespace kv
