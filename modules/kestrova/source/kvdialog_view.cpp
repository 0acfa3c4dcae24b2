// The inspector window's view: order, filters and groups of the rows, the filter bar's
// gadgets, and the notifications the tree sends the dialog.
#include <algorithm>
#include <limits>

#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "kvdialog.h"
#include "kvids.h"
#include "kvmediainfo.h"
#include "kvresources.h"

namespace kv {

namespace {

// The host's message that the selection of something changed.
constexpr int32_t kHostSelectionChanged = -1009;

}  // namespace

void KestrovaDialog::SortRows() {
  // The rows keep their places; the row index list is built in the sorted order.
  assets_.displayOrder = SortedRowOrder(assets_.rows, sortColumn_, assets_.activeDocument);
}

void KestrovaDialog::SetCurrentToPosition(int64_t position) {
  if (view_.groupMode == kGroupNone) {
    SetCurrent(position, -1);
    return;
  }
  // Each group holds its positions in ascending order.
  for (size_t group = 0; group < assets_.viewGroups.size(); ++group) {
    const std::vector<int64_t>& members = assets_.viewGroups[group];
    const auto found = std::lower_bound(members.begin(), members.end(), position);
    if (found != members.end() && *found == position) {
      SetCurrent(int64_t(group), members.size() >= 2 ? int64_t(found - members.begin()) : -1);
      return;
    }
  }
  SetCurrent(-1, -1);
}

bool KestrovaDialog::GroupHasSelection(int64_t group) const {
  if (group < 0 || group >= int64_t(assets_.viewGroups.size())) return false;
  const auto [memo, isNew] = groupSelection_.try_emplace(group, false);
  if (isNew) {
    for (int64_t position : assets_.viewGroups[size_t(group)]) {
      if (assets_.rows[size_t(assets_.rowIndexList[size_t(position)])].selected) {
        memo->second = true;
        break;
      }
    }
  }
  return memo->second;
}

void KestrovaDialog::RequestPreview() {
  AssetPreviewArea& area = previewArea_;
  area.ResetPreview();
  const KvAssetEntry* record = nullptr;
  bool groupRow = false;
  if (selectedCount_ > 0 && currentRow_ >= 0) {
    const bool grouped = view_.groupMode != kGroupNone;
    if (!grouped && currentRow_ < int64_t(assets_.rowIndexList.size())) {
      record = &assets_.rows[size_t(assets_.rowIndexList[size_t(currentRow_)])];
    } else if (grouped && currentRow_ < int64_t(assets_.viewGroups.size())) {
      const auto& group = assets_.viewGroups[size_t(currentRow_)];
      if (!group.empty()) {
        const int64_t member = currentChild_ < 0 ? 0 : std::min(currentChild_, int64_t(group.size()) - 1);
        record = &assets_.rows[size_t(assets_.rowIndexList[size_t(group[size_t(member)])])];
        groupRow = currentChild_ == -1 && group.size() >= 2;
      }
    }
  }
  area.SetInfoText(NothingSelectedText());
  if (!record) {
    area.ClearPreview();
    SetString(kGadgetInfo, area.InfoText());
    return;
  }
  const bx3::Document* document = assets_.activeDocument;
  const int32_t mode = view_.groupMode;
  if (!groupRow || mode == kGroupByAsset) {
    bx3::Element* element = DescribedElement(*record, document);
    area.SetRequest(bx3::Filename(record->resolvedPath), element, record->assetType, false, -1,
                    record->assetType & ASSETTYPE_AUDIO);
  } else if (mode == kGroupByLayer) {
    bx3::Element* layer = record->layerLink.Resolve(document);
    area.SetRequest(bx3::Filename(), layer, 0, true, layer ? -1 : bx3::icon::kNoLayer, false);
  } else {
    area.SetRequest(bx3::Filename(), nullptr, mode == kGroupByAssetType ? record->assetType : 0, true, -1, false);
  }
  area.Redraw();
  area.SetInfoText(BuildAssetInfoText(*record, groupRow ? mode : kGroupNone));
  area.StartLoading(this);
  SetString(kGadgetInfo, area.InfoText());
}

KvFilterBarState KestrovaDialog::ReadFilterBarState() const {
  KvFilterBarState state;
  state.column = filterColumn_;
  GetInt32(kGadgetFilterColumn, state.column);
  state.text = filterText_;
  // A gadget that is not there (another filter column) leaves its default.
  GetInt32(kGadgetStatusComparison, state.statusOption);
  GetInt32(kGadgetSizeComparison, state.sizeOption);
  GetFloat(kGadgetSizeValue, state.sizeValue);
  GetInt32(kGadgetSizeUnit, state.sizeUnit);
  GetInt32(kGadgetResolutionComparison, state.resolutionOption);
  int32_t width = 0;
  int32_t height = 0;
  GetInt32(kGadgetResolutionWidth, width);
  GetInt32(kGadgetResolutionHeight, height);
  state.width = width;
  state.height = height;
  return state;
}

brantic::Result<void> KestrovaDialog::RebuildViewGroups() {
  brantic::Result<void> listed;
  if (view_.filterBar) {
    auto filter = KvFilterBarFilter::Create(ReadFilterBarState(), assets_.activeDocument);
    if (!filter) {
      assets_.rowIndexList.clear();
      assets_.viewGroups.clear();
      return filter.GetError();
    }
    listed = BuildRowIndexList(assets_, view_, &*filter);
    // Rows the filter bar hides lose their selection.
    int32_t selected = 0;
    for (const KvAssetEntry& row : assets_.rows) selected += row.selected ? 1 : 0;
    selectedCount_ = selected;
  } else {
    listed = BuildRowIndexList(assets_, view_, nullptr);
  }
  if (!listed) return listed;
  return GroupRows(assets_, view_.groupMode, assets_.activeDocument);
}

void KestrovaDialog::RegroupAndShow() {
  const brantic::Result<void> grouped = RebuildViewGroups();
  UpdateStatusLine(grouped ? brantic::String() : GetResourceString(10044));
  RefreshTree();
}

void KestrovaDialog::OnSelectionChanged(bool quiet) {
  brantic::String search;
  GetString(kGadgetSearchText, search);
  Enable(kGadgetApply, !search.IsEmpty() && selectedCount_ > 0);
  UpdateStatusLine(brantic::String());
  if (!quiet) bx3::SendCoreMessage(kHostSelectionChanged, bx3::Container());
}

void KestrovaDialog::SetViewFlag(int32_t commandId, bool value) {
  view_.flags[commandId] = value;
  MenuInitString(commandId, true, value);
}

void KestrovaDialog::SetFilterBarShown(bool shown) {
  view_.filterBar = shown;
  MenuInitString(kCmdFilterbar, true, shown);
}

void KestrovaDialog::StoreFilterBarGadgets() {
  GetString(kGadgetFilterText, filterText_);
  GetInt32(kGadgetFilterColumn, filterColumn_);
}

void KestrovaDialog::RestoreFilterBarGadgets() {
  Activate(kGadgetFilterText);
  SetString(kGadgetFilterText, filterText_);
  SetInt32(kGadgetFilterColumn, filterColumn_, std::numeric_limits<int32_t>::min(),
           std::numeric_limits<int32_t>::max(), 1);
}

bool KestrovaDialog::CoreMessage(int32_t id, const bx3::Container& message) {
  if (id == bx3::kCoreMessageDocumentClosing) {
    const bx3::Document* document = assets_.activeDocument;
    if (document && int64_t(document->GetUid()) == message.GetInt64(bx3::kMessageDocument)) ForgetDocument();
    return true;
  }
  if (id == kMainCommandId) {
    OnSelectionChanged(true);
    switch (message.GetInt64(bx3::kMessageValue1)) {
      case kNotifySortChanged:
        SortRows();
        RegroupAndShow();
        break;
      case kNotifySelectionChanged: RequestPreview(); break;
      case kNotifyFoldChanged:
      default: break;
    }
    return true;
  }
  return GeDialog::CoreMessage(id, message);
}

bool KestrovaDialog::Command(int32_t id, const bx3::Container& message) {
  switch (id) {
    case kGadgetFilterColumn:
      GetInt32(kGadgetFilterColumn, filterColumn_);
      UpdateFilterBar(true);
      [[fallthrough]];
    case kGadgetFilterText:
      StoreFilterBarGadgets();
      RegroupAndShow();
      break;
    case kGadgetStatusComparison:
    case kGadgetSizeComparison:
    case kGadgetResolutionComparison:
    case kGadgetSizeValue:
    case kGadgetSizeUnit:
    case kGadgetResolutionWidth:
    case kGadgetResolutionHeight:
      GetInt32(kGadgetFilterColumn, filterColumn_);
      RegroupAndShow();
      break;
    case kGadgetFilterToggle: {
      bool shown = false;
      GetBool(kGadgetFilterToggle, shown);
      if (!shown) StoreFilterBarGadgets();
      SetFilterBarShown(shown);
      UpdateFilterBar(false);
      if (shown) RestoreFilterBarGadgets();
      RegroupAndShow();
      break;
    }
    default: return GeDialog::Command(id, message);
  }
  OnSelectionChanged(false);
  bx3::EventAdd();
  return true;
}

}  // namespace kv
