#include "view/kvviewsettings.h"

#include <algorithm>

#include "ids/kvids.h"

namespace kv {

const std::vector<KvViewFlag>& ViewFlagTable() {
  static const std::vector<KvViewFlag> table = {
      {kCmdViewAssetType, true, false, column::kAssetType, kGroupByAssetType},
      {kCmdViewAsset, true, true, column::kAsset, kGroupByAsset},
      {kCmdViewTexturePath, true, true, column::kPath, 0},
      {kCmdViewGlobalPath, false, true, column::kGlobalPath, 0},
      {kCmdViewNewPath, false, false, column::kNewPath, 0},
      {kCmdViewElementType, false, false, column::kElementType, kGroupByElementType},
      {kCmdViewMaterial, true, true, column::kElement, 0},
      {kCmdViewBreadcrumb, true, true, column::kBreadcrumb, 0},
      {kCmdViewLayer, true, true, column::kLayer, kGroupByLayer},
      {kCmdViewTake, true, true, column::kTake, kGroupByTake},
      {kCmdViewNodeSpace, true, true, column::kNodeSpace, kGroupByNodeSpace},
      {kCmdViewFormat, false, false, column::kFormat, kGroupByFormat},
      {kCmdViewFileSize, false, false, column::kSize, 0},
      {kCmdViewResolution, false, false, column::kResolution, 0},
      {kCmdViewVia, false, false, column::kVia, 0},
      {kCmdViewTypeImage, true, true, 0, 0},
      {kCmdViewTypeVideo, true, true, 0, 0},
      {kCmdViewTypeAudio, true, true, 0, 0},
      {kCmdViewTypeExternalCache, true, true, 0, 0},
      {kCmdViewTypeReferenced3d, true, true, 0, 0},
      {kCmdViewTypeOther, true, true, 0, 0},
  };
  return table;
}

const KvViewFlag* FindViewFlag(int32_t commandId) {
  for (const KvViewFlag& flag : ViewFlagTable()) {
    if (flag.commandId == commandId) return &flag;
  }
  return nullptr;
}

const std::vector<int32_t>& DefaultColumnOrder() {
  static const std::vector<int32_t> order = {
      column::kStatus,     column::kAssetType, column::kAsset,       column::kPath,
      column::kGlobalPath, column::kNewPath,   column::kElementType, column::kElement,
      column::kBreadcrumb, column::kLayer,     column::kTake,        column::kNodeSpace,
      column::kFormat,     column::kSize,      column::kResolution,  column::kVia};
  return order;
}

KvViewSettings KvViewSettings::Defaults() {
  KvViewSettings settings;
  for (const KvViewFlag& flag : ViewFlagTable()) settings.flags[flag.commandId] = flag.newDialogDefault;
  settings.groupMode = kGroupByAsset;
  return settings;
}

bool KvViewSettings::Flag(int32_t commandId) const {
  const auto found = flags.find(commandId);
  return found != flags.end() && found->second;
}

void KvViewSettings::Load(const bx3::Container* stored) {
  if (!stored) return;
  for (const KvViewFlag& flag : ViewFlagTable()) {
    flags[flag.commandId] = stored->GetBool(flag.commandId, flag.missingKeyDefault);
  }
  groupMode = stored->GetInt32(kPrefsGroupMode, groupMode);
  if (const bx3::Container* layout = stored->GetContainer(kPrefsColumnLayout)) columnLayout = *layout;
}

bx3::Container KvViewSettings::Save() const {
  bx3::Container stored(kMainCommandId);
  for (const KvViewFlag& flag : ViewFlagTable()) stored.SetBool(flag.commandId, Flag(flag.commandId));
  stored.SetInt32(kPrefsGroupMode, groupMode);
  stored.SetContainer(kPrefsColumnLayout, columnLayout);
  return stored;
}

bool KvViewSettings::IsColumnShown(int32_t columnId) const {
  if (columnId == column::kStatus || (columnId == column::kNewPath && showProposals)) return true;
  for (const KvViewFlag& flag : ViewFlagTable()) {
    if (flag.columnId == columnId) return Flag(flag.commandId) || (flag.forcedBy != 0 && flag.forcedBy == groupMode);
  }
  return false;
}

std::vector<bx3::TreeColumn> BuildColumnLayout(const KvViewSettings& settings) {
  std::vector<bx3::TreeColumn> layout;
  auto contains = [&](int32_t id) {
    return std::any_of(layout.begin(), layout.end(), [id](const bx3::TreeColumn& c) { return c.id == id; });
  };
  for (const bx3::TreeColumn& stored : bx3::ColumnLayoutFromContainer(settings.columnLayout)) {
    if (settings.IsColumnShown(stored.id) && !contains(stored.id)) {
      layout.push_back({stored.id, bx3::kTreeColumnUser, stored.width});
    }
  }
  for (int32_t id : DefaultColumnOrder()) {
    if (!settings.IsColumnShown(id) || contains(id)) continue;
    if (id == column::kNewPath && !settings.Flag(kCmdViewNewPath)) {
      // Proposals shown for a while sit beside the path they would replace, in view.
      const auto columnOf = [&](int32_t wanted) {
        return std::find_if(layout.begin(), layout.end(),
                            [wanted](const bx3::TreeColumn& c) { return c.id == wanted; });
      };
      auto beside = columnOf(column::kPath);
      if (beside == layout.end()) beside = columnOf(column::kAsset);
      if (beside != layout.end()) {
        layout.insert(beside + 1, {id, bx3::kTreeColumnUser, 0});
        continue;
      }
    }
    layout.push_back({id, bx3::kTreeColumnUser, 0});
  }
  return layout;
}

}  // namespace kv
