#include "kvtreefunctions.h"

#include "brantic/string.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "kvdialog.h"
#include "kvids.h"
#include "kvmediainfo.h"
#include "kvresources.h"
#include "kvviewsettings.h"

namespace kv {

namespace {

const KvAssetTable& Table(void* root) { return *static_cast<const KvAssetTable*>(root); }
const KestrovaDialog& Dialog(void* userData) { return *static_cast<const KestrovaDialog*>(userData); }

bool Grouped(const KestrovaDialog& dialog) { return dialog.GroupMode() != kGroupNone; }

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

int32_t HeaderResource(int32_t column) {
  switch (column) {
    case column::kStatus: return 10017;
    case column::kAssetType: return 10126;
    case column::kAsset: return 10018;
    case column::kPath: return 10019;
    case column::kGlobalPath: return 10020;
    case column::kNewPath: return 10021;
    case column::kElementType: return 10127;
    case column::kElement: return 10022;
    case column::kBreadcrumb: return 10023;
    case column::kLayer: return 10024;
    case column::kTake: return 10125;
    case column::kNodeSpace: return 10145;
    case column::kFormat: return 10128;
    case column::kSize: return 10130;
    case column::kResolution: return 10129;
    default: return 10025;
  }
}

}  // namespace

bx3::TreeItem KvTreeFunctions::FirstItem(void* root, void* userData) {
  if (!root || !userData) return 0;
  const KvAssetTable& table = Table(root);
  const bool any = Grouped(Dialog(userData)) ? !table.viewGroups.empty() : !table.rowIndexList.empty();
  return any ? MakeItem(0, 0) : 0;
}

bx3::TreeItem KvTreeFunctions::FirstChildItem(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData || !Grouped(Dialog(userData)) || ItemChild(item) != 0) return 0;
  const auto& groups = Table(root).viewGroups;
  const int64_t position = ItemPosition(item);
  if (position < 0 || position >= int64_t(groups.size()) || groups[size_t(position)].size() < 2) return 0;
  return MakeItem(position, 1);
}

bx3::TreeItem KvTreeFunctions::NextItem(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData) return 0;
  const KvAssetTable& table = Table(root);
  const int64_t next = ItemPosition(item) + 1;
  if (!Grouped(Dialog(userData))) return next < int64_t(table.rowIndexList.size()) ? MakeItem(next, 0) : 0;
  const int64_t child = ItemChild(item);
  if (child == 0) return next < int64_t(table.viewGroups.size()) ? MakeItem(next, 0) : 0;
  const int64_t members = int64_t(table.viewGroups[size_t(ItemPosition(item))].size());
  return child < members ? item + 1 : 0;
}

const KvAssetEntry* KvTreeFunctions::Resolve(const KvAssetTable& table, const KestrovaDialog& dialog,
                                             bx3::TreeItem item, int64_t* members) {
  const int64_t position = ItemPosition(item);
  if (members) *members = 0;
  if (!item || position < 0) return nullptr;
  int64_t listPosition = position;
  if (Grouped(dialog)) {
    if (position >= int64_t(table.viewGroups.size())) return nullptr;
    const auto& group = table.viewGroups[size_t(position)];
    if (group.empty()) return nullptr;
    const int64_t member = std::clamp<int64_t>(ItemChild(item) - 1, 0, int64_t(group.size()) - 1);
    listPosition = group[size_t(member)];
    if (members) *members = int64_t(group.size());
  }
  if (listPosition < 0 || listPosition >= int64_t(table.rowIndexList.size())) return nullptr;
  const int64_t index = table.rowIndexList[size_t(listPosition)];
  return index >= 0 && index < int64_t(table.rows.size()) ? &table.rows[size_t(index)] : nullptr;
}

bool KvTreeFunctions::ItemOpen(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData || !Grouped(Dialog(userData)) || ItemChild(item) != 0) return false;
  int64_t members = 0;
  const KvAssetEntry* record = Resolve(Table(root), Dialog(userData), item, &members);
  return record && members >= 2 && record->opened;
}

bool KvTreeFunctions::ItemSelected(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData || !item) return false;
  const KvAssetEntry* record = Resolve(Table(root), Dialog(userData), item);
  return record && record->selected;
}

int32_t KvTreeFunctions::RowHeight(void*, void*, bx3::TreeItem, int32_t, bx3::GeUserArea* area) {
  return std::max(17, area ? area->DrawGetFontHeight() : 17);
}

int32_t KvTreeFunctions::HeaderWidth(void*, void*, int32_t column, bx3::GeUserArea* area) {
  if (!area) return 0;
  const int32_t extra = column == column::kStatus || column == column::kAssetType ? 30 : 20;
  return area->DrawGetTextWidth(GetResourceString(HeaderResource(column))) + extra;
}

bool KvTreeFunctions::RenderHeaderCell(void*, void*, int32_t column, bx3::TreeDrawInfo& info) {
  bx3::GeUserArea* area = info.area;
  const bx3::Rgb ground = bx3::GetHostColor(bx3::color::kBackground);
  area->DrawSetPen(ground);
  area->DrawRectangle(info.x, info.y, info.x + info.width - 1, info.y + info.height - 1);
  area->DrawText(GetResourceString(HeaderResource(column)), info.x + 4,
                 info.y + (info.height - area->DrawGetFontHeight()) / 2, bx3::GetHostColor(bx3::color::kHeaderText),
                 ground);
  area->DrawSetPen(bx3::GetHostColor(bx3::color::kEdgeLight));
  area->DrawLine(info.x, info.y + info.height - 1, info.x, info.y);
  area->DrawLine(info.x, info.y, info.x + info.width - 1, info.y);
  area->DrawSetPen(bx3::GetHostColor(bx3::color::kEdgeDark));
  area->DrawLine(info.x + info.width - 1, info.y, info.x + info.width - 1, info.y + info.height - 1);
  area->DrawLine(info.x, info.y + info.height - 1, info.x + info.width - 1, info.y + info.height - 1);
  return true;
}

brantic::String KvTreeFunctions::CellText(const KestrovaDialog& dialog, const KvAssetEntry& record, int32_t column,
                                          int64_t childIndex, int64_t members) {
  const bx3::Document* document = dialog.Assets().activeDocument;
  std::string text;
  switch (column) {
    case column::kAsset: text = record.assetPath.GetFile().GetString().Std(); break;
    case column::kPath: text = record.assetPath.GetString().Std(); break;
    case column::kGlobalPath: text = record.resolvedPath.Std(); break;
    case column::kNewPath: text = record.hasNewPath ? record.newPath.Std() : ""; break;
    case column::kElementType: text = record.elementName.Std(); break;
    case column::kElement: {
      const bx3::Element* element = DescribedElement(record, document);
      text = element ? element->GetName().Std() : GetResourceString(10025).Std();
      break;
    }
    case column::kLayer: {
      const bx3::Element* layer = record.layerLink.Resolve(document);
      text = layer ? layer->GetName().Std() : GetResourceString(10040).Std();
      break;
    }
    case column::kTake: text = record.takeName.IsEmpty() ? GetResourceString(10025).Std() : record.takeName.Std(); break;
    case column::kNodeSpace: {
      const brantic::String name = NodeSpaceName(record.nodeSpace);
      text = name.IsEmpty() ? "-" : name.Std();
      break;
    }
    case column::kFormat: text = record.formatText.Std(); break;
    case column::kSize: text = brantic::MemorySizeToText(record.fileSize, false).Std(); break;
    case column::kResolution:
      text = record.resolutionX >= 1 && record.resolutionY >= 1
                 ? std::to_string(record.resolutionX) + " x " + std::to_string(record.resolutionY)
                 : "-";
      break;
    case column::kAssetType: text = AssetTypeName(record.assetType).Std(); break;
    default: break;
  }
  // A group row shows how many rows it holds in its grouping column.
  if (childIndex == -1 && members > 1 && column == GroupingColumn(dialog.GroupMode())) {
    text += " (" + std::to_string(members) + ")";
  }
  return brantic::String(std::move(text));
}

void KvTreeFunctions::RenderCell(void* root, void* userData, bx3::TreeItem item, int32_t column,
                                 bx3::TreeDrawInfo& info, bx3::Rgb background) {
  if (!root || !userData) return;
  int64_t members = 0;
  const KvAssetEntry* record = Resolve(Table(root), Dialog(userData), item, &members);
  if (!record) return;
  bx3::GeUserArea* area = info.area;
  const bx3::Rgb text = bx3::GetHostColor(record->selected ? bx3::color::kTextSelected : bx3::color::kText);
  if (column == column::kStatus) {
    const int32_t icon = record->resolveResult == 4   ? bx3::icon::kStatusFound
                         : record->resolveResult == 0 ? bx3::icon::kStatusMissing
                                                      : bx3::icon::kStatusFoundElsewhere;
    bx3::BaseBitmap bitmap;
    if (bx3::GetIcon(icon, bitmap)) {
      const int32_t x = info.x + (info.width - bitmap.GetBw()) / 2 - 2;
      const int32_t y = info.y + (info.height - bitmap.GetBh()) / 2;
      area->DrawBitmap(bitmap, x, y, bitmap.GetBw(), bitmap.GetBh(), 0, 0, bitmap.GetBw(), bitmap.GetBh(), 0x100);
    }
    return;
  }
  const int64_t childIndex = ItemChild(item) - 1;
  area->DrawText(CellText(Dialog(userData), *record, column, childIndex, members), info.x + 2, info.y, text,
                 background);
}

}  // namespace kv
