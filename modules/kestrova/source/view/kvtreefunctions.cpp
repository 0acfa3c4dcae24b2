#include "view/kvtreefunctions.h"

#include <algorithm>

#include "brantic/nodes.h"
#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "collection/kvcollection.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "view/kvviewsettings.h"
#include "view/kvviewstate.h"

namespace kv {

namespace {

constexpr int32_t kPrimaryButton = 1;
constexpr int32_t kIconDrawFlags = 0x100;

using tree::Collection;
using tree::View;

// The document the rows describe; the host's active one before the first collection.
const bx3::Document* DocumentOf(const KvCollection& collection) {
  return collection.ActiveDocument() ? collection.ActiveDocument() : bx3::GetActiveDocument();
}

int32_t HeaderResource(int32_t column) {
  switch (column) {
    case column::kStatus: return res::kColumnStatus;
    case column::kAssetType: return res::kColumnType;
    case column::kAsset: return res::kColumnAsset;
    case column::kPath: return res::kColumnPath;
    case column::kGlobalPath: return res::kColumnFullPath;
    case column::kNewPath: return res::kColumnProposedPath;
    case column::kElementType: return res::kColumnElementType;
    case column::kElement: return res::kColumnElement;
    case column::kBreadcrumb: return res::kColumnLocation;
    case column::kLayer: return res::kColumnLayer;
    case column::kTake: return res::kColumnTake;
    case column::kNodeSpace: return res::kColumnNodeSpace;
    case column::kFormat: return res::kColumnFormat;
    case column::kSize: return res::kColumnFileSize;
    case column::kResolution: return res::kColumnResolution;
    case column::kVia: return res::kVia;
    default: return 0;
  }
}

int32_t StatusIcon(int32_t resolveResult) {
  switch (resolveResult) {
    case kResolveFoundByName:
    case kResolvePaintTexture:
    case kResolveBuiltByHost: return bx3::icon::kStatusFoundElsewhere;
    case kResolveFound: return bx3::icon::kStatusFound;
    case kResolveUnreachable: return bx3::icon::kStatusUnreachable;
    default: return bx3::icon::kStatusMissing;
  }
}

int32_t AssetTypeIcon(const KvAssetEntry& record) {
  if (record.setKind == kSetTiles) return bx3::icon::kAssetTileSet;
  const bool sequence = record.IsSequence() || record.setKind == kSetFrames;
  switch (record.assetType) {
    case ASSETTYPE_IMAGE: return sequence ? bx3::icon::kAssetImageSequence : bx3::icon::kAssetImage;
    case ASSETTYPE_VIDEO: return bx3::icon::kAssetVideo;
    case ASSETTYPE_AUDIO: return bx3::icon::kAssetAudio;
    case ASSETTYPE_CACHE: return sequence ? bx3::icon::kAssetCacheSequence : bx3::icon::kAssetCache;
    case ASSETTYPE_REFERENCED3D:
      return sequence ? bx3::icon::kAssetReferenced3DSequence : bx3::icon::kAssetReferenced3D;
    default: return bx3::icon::kAssetOther;
  }
}

// The mark of a proposed path: the status it would have; 0 while it was not checked.
int32_t ProposalIcon(const KvAssetEntry& record) {
  if (!record.hasNewPath) return 0;
  switch (record.newPathState) {
    case kNewPathFound: return bx3::icon::kStatusFound;
    case kNewPathFoundElsewhere: return bx3::icon::kStatusFoundElsewhere;
    case kNewPathMissing: return bx3::icon::kStatusMissing;
    default: return 0;
  }
}
constexpr int32_t kProposalIconWidth = 20;

// Draws an icon centred vertically in the row, at `x`, over the row's background.
void DrawIcon(bx3::GeUserArea& area, const bx3::BaseBitmap& icon, int32_t x, const bx3::TreeDrawInfo& info,
              bx3::Rgb background, int32_t boxWidth = 0) {
  const int32_t width = icon.GetBw();
  const int32_t height = std::min(icon.GetBh(), bx3::kIconSize);
  const int32_t y = info.y + (info.height - height) / 2;
  const int32_t box = boxWidth > 0 ? boxWidth : width + 4;
  area.SetClippingRegion(x - 4, y, box, height + 2);
  area.DrawSetPen(background);
  area.DrawBitmap(icon, x, y, std::min(width, box), height, 0, 0, width, icon.GetBh(),
                  width > box ? kIconDrawFlags | 1 : kIconDrawFlags);
}

void DrawIconById(bx3::GeUserArea& area, int32_t iconId, int32_t x, const bx3::TreeDrawInfo& info,
                  bx3::Rgb background) {
  if (const bx3::BaseBitmap* icon = bx3::FindIcon(iconId)) DrawIcon(area, *icon, x, info, background);
}

void DrawElementIcon(bx3::GeUserArea& area, const bx3::Element* element, int32_t fallbackIcon, int32_t x,
                     const bx3::TreeDrawInfo& info, bx3::Rgb background) {
  const bx3::BaseBitmap* icon = element             ? bx3::FindElementIcon(*element)
                                : fallbackIcon != 0 ? bx3::FindIcon(fallbackIcon)
                                                    : nullptr;
  if (icon) DrawIcon(area, *icon, x, info, background, 20);
}

// The text colour of a row by its selection and where the current row is.
int32_t TextColor(const KvViewState& view, const std::vector<KvAssetEntry>& rows, const KvAssetEntry& record,
                  bx3::TreeItem item, const CellPlace& place) {
  const int64_t position = ItemPosition(item);
  const bool grouped = view.Grouped();
  if (KvTreeFunctions::IsCandidateRow(record, place.childIndex)) {
    const bool chosen = record.relinkCandidates[size_t(place.childIndex - 1)].flags & kCandidateChosen;
    if (!chosen) return bx3::color::kText;
    const bool current = view.CurrentRow() == position && view.CurrentChild() == place.childIndex;
    return current ? bx3::color::kTextCurrent : bx3::color::kTextSelected;
  }
  if (place.IsGroupRow()) {
    if (record.selected) {
      if (view.CurrentRow() == position && view.CurrentChild() == -1) return bx3::color::kTextCurrent;
      if (view.CurrentChild() == -1 && view.CurrentRow() >= 0) return bx3::color::kTextSelected;
    }
    return view.GroupHasSelection(rows, position) ? bx3::color::kTextPartlySelected : bx3::color::kText;
  }
  if (!record.selected) return bx3::color::kText;
  const bool samePosition = view.CurrentRow() == position;
  const bool onGroupRow = grouped && place.members > 1 && view.CurrentChild() == -1;
  return samePosition && !onGroupRow ? bx3::color::kTextCurrent : bx3::color::kTextSelected;
}

// Room kept after a text that follows an icon, before the next column.
constexpr int32_t kTextMargin = 6;

// Where a column's text starts in its cell, after the icons and fold arrows drawn before it
// (the size column, right-aligned, is placed by its drawing).
int32_t TextOffset(int32_t column, int32_t groupMode, const CellPlace& place) {
  const bool groupRow = place.IsGroupRow();
  switch (column) {
    case column::kAsset:
    case column::kElementType:
    case column::kFormat:
    case column::kTake:
    case column::kNodeSpace: return column == GroupingColumn(groupMode) ? 20 : 0;
    case column::kAssetType: return (groupMode == kGroupByAssetType && !groupRow ? 26 : 0) + 20;
    case column::kElement: return groupRow ? 0 : 20;
    case column::kLayer: return groupMode == kGroupByLayer ? 36 : 20;
    default: return 0;
  }
}

// Whether a row shows the mark of an override ("*") in the take and node space columns.
bool ShowsMark(const CellPlace& place, int32_t groupMode, int32_t modeOfColumn) {
  return !place.IsGroupRow() || groupMode == modeOfColumn;
}

}  // namespace

brantic::String KvTreeFunctions::HeaderText(int32_t column) {
  const int32_t resource = HeaderResource(column);
  return GetResourceString(resource ? resource : res::kNone);
}

bx3::TreeItem KvTreeFunctions::FirstItem(void* root, void* userData) {
  if (!root || !userData) return 0;
  const KvViewLists& lists = View(userData).Lists();
  const bool any = View(userData).Grouped() ? !lists.viewGroups.empty() : !lists.rowIndexList.empty();
  return any ? MakeItem(0, 0) : 0;
}

bx3::TreeItem KvTreeFunctions::FirstChildItem(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData || !View(userData).Grouped() || ItemChild(item) != 0) return 0;
  const auto& groups = View(userData).Lists().viewGroups;
  const int64_t position = ItemPosition(item);
  if (position < 0 || position >= int64_t(groups.size()) || groups[size_t(position)].size() < 2) return 0;
  return MakeItem(position, 1);
}

bx3::TreeItem KvTreeFunctions::NextItem(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData || !item) return 0;
  const KvViewState& view = View(userData);
  const KvViewLists& lists = view.Lists();
  const int64_t position = ItemPosition(item);
  const int64_t next = position + 1;
  if (!view.Grouped()) return next < int64_t(lists.rowIndexList.size()) ? MakeItem(next, 0) : 0;
  if (position < 0 || position >= int64_t(lists.viewGroups.size())) return 0;
  const int64_t child = ItemChild(item);
  if (child == 0) return next < int64_t(lists.viewGroups.size()) ? MakeItem(next, 0) : 0;
  const int64_t members = int64_t(lists.viewGroups[size_t(position)].size());
  return child < members ? item + 1 : 0;
}

const KvAssetEntry* KvTreeFunctions::Resolve(const KvCollection& collection, const KvViewState& view,
                                             bx3::TreeItem item, int64_t* members) {
  const int64_t position = ItemPosition(item);
  if (members) *members = 0;
  if (!item || position < 0) return nullptr;
  const KvViewLists& lists = view.Lists();
  const std::vector<KvAssetEntry>& rows = collection.Rows();
  int64_t listPosition = position;
  if (view.Grouped()) {
    if (position >= int64_t(lists.viewGroups.size())) return nullptr;
    const auto& group = lists.viewGroups[size_t(position)];
    if (group.empty()) return nullptr;
    const int64_t member = std::clamp<int64_t>(ItemChild(item) - 1, 0, int64_t(group.size()) - 1);
    listPosition = group[size_t(member)];
    if (members) *members = int64_t(group.size());
  }
  if (listPosition < 0 || listPosition >= int64_t(lists.rowIndexList.size())) return nullptr;
  const int64_t index = lists.rowIndexList[size_t(listPosition)];
  return index >= 0 && index < int64_t(rows.size()) ? &rows[size_t(index)] : nullptr;
}

CellPlace KvTreeFunctions::PlaceOf(const KvViewState& view, bx3::TreeItem item, int64_t members, bool undecorated) {
  return CellPlace{ItemChild(item) - 1, members, view.GroupMode(), undecorated};
}

bool KvTreeFunctions::ItemOpen(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData || !View(userData).Grouped() || ItemChild(item) != 0) return false;
  int64_t members = 0;
  const KvAssetEntry* record = Resolve(Collection(root), View(userData), item, &members);
  return record && members >= 2 && record->opened;
}

bool KvTreeFunctions::ItemSelected(void* root, void* userData, bx3::TreeItem item) {
  if (!root || !userData || !item) return false;
  const KvAssetEntry* record = Resolve(Collection(root), View(userData), item);
  if (!record) return false;
  const int64_t childIndex = ItemChild(item) - 1;
  if (KvTreeFunctions::IsCandidateRow(*record, childIndex)) {
    return record->relinkCandidates[size_t(childIndex - 1)].flags & kCandidateChosen;
  }
  return record->selected;
}

int32_t KvTreeFunctions::RowHeight(void*, void*, bx3::TreeItem, int32_t, bx3::GeUserArea* area) {
  return std::max(17, area ? area->DrawGetFontHeight() : 17);
}

int32_t KvTreeFunctions::HeaderWidth(void*, void*, int32_t column, bx3::GeUserArea* area) {
  if (!area || HeaderResource(column) == 0) return 0;
  const int32_t extra = column == column::kStatus || column == column::kAssetType ? 30 : 20;
  return area->DrawGetTextWidth(HeaderText(column)) + extra;
}

bool KvTreeFunctions::RenderHeaderCell(void*, void*, int32_t column, bx3::TreeDrawInfo& info) {
  bx3::GeUserArea* area = info.area;
  if (!area) return true;
  const bx3::Rgb ground = bx3::GetHostColor(bx3::color::kBackground);
  const int32_t right = info.x + info.width - 1;
  const int32_t bottom = info.y + info.height - 1;
  area->DrawSetPen(ground);
  area->DrawRectangle(info.x, info.y, right, bottom);
  area->DrawText(HeaderText(column), info.x + 4, info.y + (info.height - area->DrawGetFontHeight()) / 2,
                 bx3::GetHostColor(bx3::color::kHeaderText), ground);
  // A text wider than its column must not run into the edge.
  area->DrawSetPen(ground);
  area->DrawRectangle(info.x + info.width - 3, info.y, info.x + info.width, bottom);
  area->DrawSetPen(bx3::GetHostColor(bx3::color::kEdgeLight));
  area->DrawLine(info.x, bottom, info.x, info.y);
  area->DrawLine(info.x, info.y, right, info.y);
  area->DrawSetPen(bx3::GetHostColor(bx3::color::kEdgeDark));
  area->DrawLine(right, info.y, right, bottom);
  area->DrawLine(info.x, bottom, right, bottom);
  return true;
}

void KvTreeFunctions::RenderCell(void* root, void* userData, bx3::TreeItem item, int32_t column,
                                 bx3::TreeDrawInfo& info, bx3::Rgb background) {
  if (!root || !userData || !info.area) return;
  KvCollection& collection = Collection(root);
  const KvViewState& view = View(userData);
  const bx3::Document* document = DocumentOf(collection);
  int64_t members = 0;
  const KvAssetEntry* record = Resolve(collection, view, item, &members);
  if (!document || !record) return;
  bx3::GeUserArea& area = *info.area;
  const CellPlace place = PlaceOf(view, item, members, false);
  const int32_t groupMode = view.GroupMode();
  const bx3::Rgb textColor = bx3::GetHostColor(TextColor(view, collection.Rows(), *record, item, place));
  const auto drawText = [&](const brantic::String& text, int32_t x) {
    area.SetClippingRegion(info.x - 4, info.y, info.width + 4, info.height + 2);
    area.DrawText(text, x, info.y, textColor, background);
  };

  if (KvTreeFunctions::IsCandidateRow(*record, place.childIndex)) {
    if (column == column::kNewPath) drawText(record->relinkCandidates[size_t(place.childIndex - 1)].path, info.x);
    return;
  }
  if (column == column::kStatus) {
    // A group row shows a status only where its members share it: grouped by file.
    if (place.IsGroupRow() && CellText(document, record, column, place).IsEmpty()) return;
    const int32_t status = record->IsPartlyFound() ? bx3::icon::kStatusPartlyFound : StatusIcon(record->resolveResult);
    if (const bx3::BaseBitmap* icon = bx3::FindIcon(status)) {
      DrawIcon(area, *icon, info.x + (info.width - icon->GetBw()) / 2 - 2, info, background);
    }
    return;
  }

  brantic::String text = CellText(document, record, column, place);
  const bool groupRow = place.IsGroupRow();
  const bool foldHere = groupRow && column == GroupingColumn(groupMode);
  if (groupRow && text.IsEmpty() && !foldHere) return;
  if (foldHere)
    DrawIconById(area, record->opened ? bx3::icon::kFoldOpen : bx3::icon::kFoldClosed, info.x, info, background);
  int32_t offset = TextOffset(column, groupMode, place);
  switch (column) {
    case column::kAssetType:
      if (!(groupMode == kGroupByAssetType && groupRow)) {
        DrawIconById(area, AssetTypeIcon(*record), info.x + offset - 20, info, background);
      }
      break;
    case column::kElement:
      if (!groupRow) DrawElementIcon(area, DescribedElement(*record, document), 0, info.x, info, background);
      break;
    case column::kLayer:
      DrawElementIcon(area, record->layerLink.Resolve(document), bx3::icon::kNoLayer,
                      info.x + (groupMode == kGroupByLayer ? 16 : 0), info, background);
      break;
    case column::kTake:
      if (record->takeOverride && ShowsMark(place, groupMode, kGroupByTake)) text = brantic::String(text.Std() + "*");
      break;
    case column::kNodeSpace:
      if (!record->nodeSpace.IsEmpty() && record->nodeSpace == brantic::GetActiveNodeSpace() &&
          ShowsMark(place, groupMode, kGroupByNodeSpace)) {
        text = brantic::String(text.Std() + "*");
      }
      break;
    case column::kSize: offset = info.width - area.DrawGetTextWidth(text) - 3; break;
    case column::kNewPath:
      // A proposal says before it is applied whether its file exists.
      if (const int32_t icon = ProposalIcon(*record); icon != 0 && !text.IsEmpty()) {
        DrawIconById(area, icon, info.x, info, background);
        offset = kProposalIconWidth;
      }
      break;
    default: break;
  }
  drawText(text, info.x + offset);
}

brantic::String KvTreeFunctions::ItemText(void* root, void* userData, bx3::TreeItem item) {
  const bool undecorated = undecoratedOnce_ != 0;
  undecoratedOnce_ = 0;
  if (!root || !userData) return GetResourceString(res::kNone);
  KvCollection& collection = Collection(root);
  const KvViewState& view = View(userData);
  const bx3::Document* document = DocumentOf(collection);
  int64_t members = 0;
  const KvAssetEntry* record = Resolve(collection, view, item, &members);
  if (!document || !record) return GetResourceString(res::kNone);
  return CellText(document, record, view.LastDoubleClickColumn(), PlaceOf(view, item, members, undecorated));
}

brantic::String KvTreeFunctions::CellTooltip(void* root, void* userData, bx3::TreeItem item, int32_t column,
                                             bx3::GeUserArea* area, int32_t width) {
  if (!root || !userData || !item) return {};
  switch (column) {
    case column::kElement:
    case column::kElementType:
    case column::kAsset:
    case column::kLayer:
    case column::kResolution:
    case column::kSize:
    case column::kFormat: return {};
    default: break;
  }
  KvCollection& collection = Collection(root);
  const KvViewState& view = View(userData);
  const bx3::Document* document = DocumentOf(collection);
  int64_t members = 0;
  const KvAssetEntry* record = Resolve(collection, view, item, &members);
  if (!document || !record) return {};
  const CellPlace place = PlaceOf(view, item, members, true);
  const brantic::String text = CellText(document, record, column, place);
  const auto noted = [&](bool applies) {
    return applies ? brantic::String(text.Std() + " (" + GetResourceString(res::kOverriddenInTake).Std() + ")")
                   : brantic::String();
  };
  switch (column) {
    case column::kBreadcrumb:
    case column::kPath:
    case column::kNewPath:
    case column::kGlobalPath:
      // Only a clipped text needs its tooltip.
      return area && area->DrawGetTextWidth(text) > width ? text : brantic::String();
    case column::kTake: return noted(record->takeOverride != 0);
    case column::kNodeSpace:
      return noted(!record->nodeSpace.IsEmpty() && record->nodeSpace == brantic::GetActiveNodeSpace());
    case column::kAssetType:
      return place.IsGroupRow() && place.groupMode == kGroupByAssetType ? brantic::String() : text;
    default: return text;
  }
}

int32_t KvTreeFunctions::CellContentWidth(void* root, void* userData, bx3::TreeItem item, int32_t column,
                                          bx3::GeUserArea* area) {
  if (!root || !userData || !area) return 10;
  KvCollection& collection = Collection(root);
  const KvViewState& view = View(userData);
  const bx3::Document* document = DocumentOf(collection);
  if (!document) return 10;
  int64_t members = 0;
  const KvAssetEntry* record = Resolve(collection, view, item, &members);
  if (!record) return area->DrawGetTextWidth(brantic::String("0x88888888")) + 12;
  const int32_t groupMode = view.GroupMode();
  int32_t least = 0;
  switch (column) {
    case column::kStatus: return area->DrawGetTextWidth(GetResourceString(res::kColumnStatus)) + 10;
    case column::kAssetType:
      // At least as wide as its header, and wide enough for the longest type beside its icon.
      if (groupMode != kGroupByAssetType) least = area->DrawGetTextWidth(GetResourceString(res::kColumnType)) + 10;
      break;
    case column::kLayer:
    case column::kElement:
    case column::kBreadcrumb:
    case column::kAsset:
    case column::kFormat:
    case column::kElementType:
    case column::kResolution:
    case column::kSize:
    case column::kTake:
    case column::kNodeSpace:
    case column::kPath:
    case column::kGlobalPath:
    case column::kNewPath:
    case column::kVia: break;
    default: return 60;
  }
  const bool realChild = column == column::kPath || column == column::kGlobalPath || column == column::kNewPath;
  CellPlace place = PlaceOf(view, item, members, true);
  if (!realChild) place.childIndex = 0;
  const brantic::String text = CellText(document, record, column, place);
  if (column == column::kNewPath && text.IsEmpty())
    return area->DrawGetTextWidth(GetResourceString(res::kColumnProposedPath)) + 20;
  int32_t textWidth = area->DrawGetTextWidth(text);
  if (column == column::kNewPath && ProposalIcon(*record) != 0) textWidth += kProposalIconWidth;
  if (column == GroupingColumn(groupMode) && members > 1 && ItemChild(item) == 0) {
    textWidth += area->DrawGetTextWidth(brantic::String(" (" + std::to_string(members) + ")"));
  }
  const int32_t width = textWidth + (column == column::kLayer && groupMode == kGroupByLayer ? 36 : 20);
  // A text drawn after an icon or a fold arrow keeps a margin before the next column.
  return std::max({width, TextOffset(column, groupMode, place) + textWidth + kTextMargin, least});
}

int32_t KvTreeFunctions::SortArrow(void*, void* userData, int32_t column) {
  if (!userData) return 0;
  const int32_t sortColumn = View(userData).SortColumn();
  if (sortColumn == column) return -1;
  if (sortColumn == -column) return 1;
  return 0;
}

bool KvTreeFunctions::HeaderClicked(void*, void* userData, int32_t column, int32_t button, bool doubleClick) {
  if (!userData || button != kPrimaryButton || doubleClick) return false;
  KvViewState& view = View(userData);
  view.SetSortColumn(view.SortColumn() == column ? -column : column);
  bx3::SpecialEventAdd(kMainCommandId, kNotifySortChanged);
  return true;
}

}  // namespace kv
