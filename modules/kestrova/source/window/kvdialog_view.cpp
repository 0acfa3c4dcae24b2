// The inspector window's rows and view: collecting, ordering, listing and grouping them,
// the status line and the preview of the current row.
#include <numeric>
#include <string>

#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "preview/kvinfotext.h"
#include "view/kvselection.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

// The host's message that the selection of something changed.
constexpr int32_t kHostSelectionChanged = -1009;

}  // namespace

void KestrovaDialog::RefreshAssets() {
  // The same uses of the same scene stay selected, open and current.
  const bool sameScene = collection_.ActiveDocument() == bx3::GetActiveDocument();
  const KvViewMemory kept = sameScene ? KvViewMemory::Take(collection_.Rows(), view_) : KvViewMemory();
  const PreviewedUse previewed = CurrentUse();
  collection_.ClearPathCache();
  BuildAssetArray();
  // The rows are new: the marks the memory gives them back are what is selected.
  kept.RestoreMarks(collection_.Rows());
  view_.Selection().Recount(collection_.Rows());
  // The collection has just resolved every distinct path: count from its cache.
  UpdateResolvedPaths(true);
  SortRows();
  (void)RebuildViewGroups();
  kept.RestoreCurrent(collection_.Rows(), view_);
  UpdateStatusLine(brantic::String());
  RefreshTree();
  // The preview follows the current row: shown again when its file changed, gone with it.
  if (!(CurrentUse() == previewed)) RequestPreview();
}

bool KestrovaDialog::BuildAssetArray() {
  bx3::Document* document = bx3::GetActiveDocument();
  if (!document || !treeView_) return false;
  KvViewLists& lists = view_.Lists();
  lists = KvViewLists();
  const bool started = collection_.BuildAssetArray(document);
  collectedFrom_ = KvSceneStamp::Of(document);
  // Listed in collection order until the view is rebuilt.
  lists.rowIndexList.resize(collection_.Rows().size());
  std::iota(lists.rowIndexList.begin(), lists.rowIndexList.end(), int64_t(0));
  return started;
}

void KestrovaDialog::UpdateResolvedPaths(bool fromCollection) {
  collection_.UpdateResolvedPaths(fromCollection);
  UpdateStatusLine(brantic::String());
}

void KestrovaDialog::ForgetDocument() {
  collection_.Forget();
  view_.Reset();
  previewArea_.ResetPreview();
  previewArea_.ClearPreview();
  previewArea_.SetInfoText(NothingSelectedText());
  SetString(kGadgetInfo, previewArea_.InfoText());
  UpdateStatusLine(brantic::String());
  RefreshTree();
}

void KestrovaDialog::SortRows() { view_.Sort(collection_.Rows(), collection_.ActiveDocument()); }

brantic::Result<void> KestrovaDialog::RebuildViewGroups() {
  const bool filtered = view_.Settings().filterBar;
  const KvFilterBarState filterBar = filtered ? filterBar_.Read() : KvFilterBarState();
  brantic::Result<void> grouped =
      view_.Rebuild(collection_.Rows(), collection_.ActiveDocument(), filtered ? &filterBar : nullptr);
  // What the list shows changed: the status line counts it again.
  UpdateStatusLine(grouped ? brantic::String() : GetResourceString(res::kListNotGrouped));
  return grouped;
}

void KestrovaDialog::RegroupAndShow() {
  (void)RebuildViewGroups();
  RefreshTree();
}

void KestrovaDialog::RefreshTree() {
  view_.ForgetGroupSelection();
  if (treeView_) treeView_->Refresh();
}

void KestrovaDialog::UpdateStatusLine(const brantic::String& message) {
  // Listed is what the list shows: its groups when grouped, else its rows.
  const size_t listed = view_.Grouped() ? view_.Lists().viewGroups.size() : view_.Lists().rowIndexList.size();
  std::string text = GetResourceString(res::kListed).Std() + ": " + std::to_string(listed) + " (" +
                     std::to_string(collection_.TotalCount()) + ") - " + GetResourceString(res::kMissing).Std() + ": " +
                     std::to_string(collection_.MissingCount());
  // Sets of which some files are missing, when there are any.
  if (collection_.PartlyFoundCount() > 0) {
    text += " - " + GetResourceString(res::kStatusPartlyFound).Std() + ": " +
            std::to_string(collection_.PartlyFoundCount());
  }
  if (collection_.UnreachableCount() > 0) {
    text += " - " + GetResourceString(res::kStatusUnreachable).Std() + ": " +
            std::to_string(collection_.UnreachableCount());
  }
  text += " - " + GetResourceString(res::kSelected).Std() + ": " + std::to_string(view_.SelectedCount());
  if (!message.IsEmpty()) text += "    " + GetResourceString(res::kNote).Std() + ": " + message.Std();
  SetString(kGadgetStatus, brantic::String(std::move(text)));
}

void KestrovaDialog::OnSelectionChanged(bool quiet) {
  brantic::String search;
  GetString(kGadgetSearchText, search);
  Enable(kGadgetApply, !search.IsEmpty() && view_.SelectedCount() > 0);
  UpdateStatusLine(brantic::String());
  if (!quiet) bx3::SendCoreMessage(kHostSelectionChanged, bx3::Container());
}

void KestrovaDialog::RequestPreview() {
  AssetPreviewArea& area = previewArea_;
  area.ResetPreview();
  bool groupRow = false;
  const KvAssetEntry* record = view_.SelectedCount() > 0 ? view_.CurrentRecord(collection_.Rows(), groupRow) : nullptr;
  area.SetInfoText(NothingSelectedText());
  if (!record) {
    area.ClearPreview();
    SetString(kGadgetInfo, area.InfoText());
    return;
  }
  const bx3::Document* document = collection_.ActiveDocument();
  const int32_t mode = view_.GroupMode();
  if (!groupRow || mode == kGroupByAsset) {
    bx3::Element* element = DescribedElement(*record, document);
    // Wave forms and light profiles are drawn for the area's size.
    // A set of frames or tiles shows its first file.
    const bx3::Filename file =
        record->setKind != kSetNone ? bx3::Filename::FromUrl(record->resolvedUrl) : bx3::Filename(record->resolvedPath);
    area.SetRequest(file, element, record->assetType, false, -1,
                    (record->assetType & ASSETTYPE_AUDIO) || record->assetPath.CheckSuffix("ies"));
  } else if (mode == kGroupByLayer) {
    bx3::Element* layer = record->layerLink.Resolve(document);
    area.SetRequest(bx3::Filename(), layer, 0, true, layer ? -1 : bx3::icon::kNoLayer, false);
  } else {
    area.SetRequest(bx3::Filename(), nullptr, mode == kGroupByAssetType ? record->assetType : 0, true, -1, false);
  }
  area.Redraw();
  area.SetInfoText(BuildAssetInfoText(*record, groupRow ? mode : kGroupNone));
  area.StartLoading();
  SetString(kGadgetInfo, area.InfoText());
}

}  // namespace kv
