// The inspector window's operations on the paths of its rows.
#include "bx3/commands.h"
#include "bx3/modal.h"
#include "kvassettype.h"
#include "kvcollect_rules.h"
#include "kvdialog.h"
#include "kvids.h"
#include "kvlocalize.h"
#include "kvprobe.h"
#include "kvresources.h"
#include "kvwriteback.h"

namespace kv {

namespace {

// The title of the replace dialog names this many of the selected files at most.
constexpr size_t kNamedInTitle = 20;

// What the row's file is, read now on the GUI thread (one file, a moment).
void ProbeNow(KvAssetEntry& row) {
  const brantic::String suffix = row.assetPath.GetSuffix();
  row.formatText = suffix.IsEmpty() ? GetResourceString(res::kNone) : suffix;
  row.assetType = ClassifyAssetName(row.assetPath);
  row.resolutionX = 0;
  row.resolutionY = 0;
  row.fileSize = 0;
  row.resolvedUrl = row.IsMissing() ? brantic::Url() : bx3::Filename(row.resolvedPath).GetUrl();
  if (!row.resolvedUrl.IsEmpty()) ProbeAssetFile(row);
}

}  // namespace

bool KestrovaDialog::Localize(bx3::Document* document) {
  if (!document) return false;
  collection_.ClearPathCache();
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  const std::vector<KvPathMark> marks = MarkRowsToLocalize(rows, view_.SelectedCount() > 0, *document);
  if (!marks.empty()) {
    WriteMarkedRows(rows, marks, *document);
    if (view_.GroupMode() == kGroupByAsset && !RebuildViewGroups()) return false;
    RefreshTree();
    UpdateResolvedPaths();
    OnSelectionChanged(false);
  }
  bx3::EventAdd();
  return true;
}

void KestrovaDialog::ReplaceTexture() {
  bx3::Document* document = collection_.ActiveDocument();
  if (!document) return;
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  std::vector<KvAssetEntry*> selected;
  for (const int64_t index : view_.Lists().rowIndexList) {
    if (rows[size_t(index)].selected) selected.push_back(&rows[size_t(index)]);
  }
  std::string title = GetResourceString(res::kReplaceTitle).Std() + " ";
  for (size_t i = 0; i < selected.size() && i < kNamedInTitle; ++i) {
    title += (i ? ", " : "") + std::string(selected[i]->assetPath.View());
  }
  if (selected.size() > kNamedInTitle) title += ", ...";
  bx3::Filename file;
  if (!bx3::FileSelect(file, bx3::FileSelectMode::Load, brantic::String(title))) return;
  document->StartUndo();
  for (KvAssetEntry* row : selected) {
    if (WriteAssetPath(*row, file, document, true, false) != kWriteDone) continue;
    collection_.CompleteAssetEntry(*row, document);
    ProbeNow(*row);
    if (row->IsSequence()) {
      const auto [position, length] = TrailingDigits(row->assetPath.GetFile().WithoutSuffix().View());
      row->frameDigitsPos = position;
      row->frameDigitsLen = length;
    }
  }
  document->EndUndo();
  collection_.RecountMissing();
  RefreshTree();
}

}  // namespace kv
