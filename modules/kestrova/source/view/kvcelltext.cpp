#include "view/kvcelltext.h"

#include <string>

#include "brantic/format.h"
#include "collection/kvrowtext.h"
#include "ids/kvcolumns.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"

namespace kv {

namespace {

using brantic::String;

String R(int32_t id) { return GetResourceString(id); }

// The columns a group row shows its text in, per group mode.
bool GroupRowShows(int32_t groupMode, int32_t column) {
  switch (groupMode) {
    case kGroupByAsset:
      return column != column::kElement && column != column::kElementType && column != column::kTake &&
             column != column::kBreadcrumb && column != column::kNodeSpace && column != column::kLayer;
    case kGroupByAssetType: return column == column::kAssetType;
    case kGroupByFormat: return column == column::kFormat || column == column::kAssetType;
    default: return column == GroupingColumn(groupMode);
  }
}

}  // namespace

int32_t GroupingColumn(int32_t groupMode) {
  switch (groupMode) {
    case kGroupByAsset: return column::kAsset;
    case kGroupByAssetType: return column::kAssetType;
    case kGroupByElementType: return column::kElementType;
    case kGroupByLayer: return column::kLayer;
    case kGroupByTake: return column::kTake;
    case kGroupByNodeSpace: return column::kNodeSpace;
    case kGroupByFormat: return column::kFormat;
    default: return 0;
  }
}

String CellText(const bx3::Document* document, const KvAssetEntry* record, int32_t column, const CellPlace& place) {
  if (!record) return R(res::kNone);
  if (place.IsGroupRow() && !GroupRowShows(place.groupMode, column)) return String();
  String text;
  switch (column) {
    case column::kStatus:
      text = record->IsPartlyFound() ? GetResourceString(res::kStatusPartlyFound) : StatusText(record->resolveResult);
      break;
    case column::kAssetType: text = AssetTypeText(*record, place.undecorated); break;
    case column::kAsset: text = AssetNameText(*record); break;
    case column::kPath: text = record->assetPath.GetString(); break;
    case column::kGlobalPath: text = record->resolvedPath; break;
    case column::kNewPath:
      if (!record->hasNewPath) break;
      if (place.childIndex >= 1 && place.childIndex <= int64_t(record->relinkCandidates.size())) {
        text = record->relinkCandidates[size_t(place.childIndex - 1)].path;
      } else if (!place.IsGroupRow() || (place.groupMode == kGroupByAsset && !record->opened)) {
        // A row of one use shows its own proposal; a closed group of a file shows the file's.
        text = record->newPath;
      }
      break;
    case column::kElementType: text = record->elementName; break;
    case column::kElement: text = ElementText(*record, document); break;
    case column::kBreadcrumb: text = BreadcrumbText(*record, document); break;
    case column::kLayer: text = LayerText(*record, document); break;
    case column::kTake: text = TakeText(*record); break;
    case column::kNodeSpace: text = NodeSpaceText(*record); break;
    case column::kFormat: text = FormatText(*record); break;
    case column::kSize: text = brantic::MemorySizeToText(record->fileSize, false); break;
    case column::kResolution: text = ResolutionText(*record); break;
    case column::kVia: text = record->via; break;  // empty for the scene's own uses
    default: return R(res::kNone);
  }
  // Decoration: a group row counts its members, its members are indented.
  if (!place.undecorated && place.members > 1 && column == GroupingColumn(place.groupMode)) {
    if (place.childIndex == -1) return String(text.Std() + " (" + std::to_string(place.members) + ")");
    return String("   " + text.Std());
  }
  return text;
}

}  // namespace kv
