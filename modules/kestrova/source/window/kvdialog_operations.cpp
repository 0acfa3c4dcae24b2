// The inspector window's operations on the paths of its rows. Each writes through one write
// pass; the rows are read again once, by the refresh that follows the write.
#include <string>

#include "bx3/host.h"
#include "bx3/modal.h"
#include "bx3/prefs.h"
#include "collection/kvcollect_rules.h"
#include "collection/kvresolve.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvglobalize.h"
#include "operations/kvlocalize.h"
#include "operations/kvwritepass.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

// The title of the replace dialog names this many of the selected files at most.
constexpr size_t kNamedInTitle = 20;

}  // namespace

void KestrovaDialog::RefreshAfterWrite() {
  const KvWritePass::Ended ended = KvWritePass::TakeEnded();
  // Nothing else changed the scene since the rows were made, nor since the writes.
  const bool rowsShowTheScene =
      ended.counts.changed > 0 && ended.onlyWrittenRowsChanged && ended.before == collectedFrom_ &&
      ended.after.document == collection_.ActiveDocument() && KvSceneStamp::Of(bx3::GetActiveDocument()) == ended.after;
  if (rowsShowTheScene && collection_.KeepWrittenRows(ended.writtenRows, ended.before.revision, ended.after.revision)) {
    ShowWrittenRows(ended.after);
  } else {
    RefreshWhenChanged();
  }
  OnSelectionChanged(false);
  NoteReadOnlyUses(ended.counts.readOnly);
}

void KestrovaDialog::ShowWrittenRows(const KvSceneStamp& scene) {
  collectedFrom_ = scene;
  const std::vector<KvAssetEntry>& rows = collection_.Rows();
  const KvViewMemory current = KvViewMemory::TakeCurrent(rows, view_);
  const PreviewedUse previewed = CurrentUse();
  // The paths changed: the order and the groups follow them.
  SortRows();
  (void)RebuildViewGroups();
  current.RestoreCurrent(rows, view_);
  UpdateStatusLine(brantic::String());
  RefreshTree();
  if (!(CurrentUse() == previewed)) RequestPreview();
}

void KestrovaDialog::NoteReadOnlyUses(int64_t readOnly) {
  // Uses inside other files were asked for and left alone: said, so nobody waits for them.
  if (readOnly > 0) UpdateStatusLine(GetResourceString(res::kNestedReadOnly, std::to_string(readOnly)));
}

bool KestrovaDialog::Localize(bx3::Document* document) {
  if (!document) return false;
  // The write and the reading again after it ask the same files: each once.
  const KvRememberedFiles remembered;
  collection_.ClearPathCache();
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  WriteMarkedRows(rows, MarkRowsToLocalize(rows, view_.SelectedCount() > 0, *document), KvPathForm::Kept, *document);
  RefreshAfterWrite();
  return true;
}

bool KestrovaDialog::ApplyPathMappings(bx3::Document* document) {
  if (!document) return false;
  const brantic::PathExpander expander = bx3::Preferences::Get().MakePathExpander();
  const bool anySelected = view_.SelectedCount() > 0;
  int64_t mapped = 0;
  int64_t readOnly = 0;
  {
    KvWritePass pass(*document);
    for (KvAssetEntry& row : collection_.Rows()) {
      if (anySelected && !row.selected) continue;
      const auto path = expander.Map(row.assetPath.View());
      if (path && pass.Write(row, bx3::Filename(*path), false, KvPathForm::Written) == kWriteDone) ++mapped;
    }
    readOnly = pass.GetCounts().readOnly;
  }
  RefreshAfterWrite();
  std::string note = GetResourceString(res::kPathsMapped, std::to_string(mapped)).Std();
  if (readOnly > 0) note += "; " + GetResourceString(res::kNestedReadOnly, std::to_string(readOnly)).Std();
  UpdateStatusLine(brantic::String(note));
  return true;
}

bool KestrovaDialog::Globalize(const bx3::Document* document) {
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  const std::vector<KvPathMark> marks = MarkRowsToGlobalize(rows, view_.Lists().rowIndexList, document);
  bx3::Document* active = collection_.ActiveDocument();
  if (!active) {
    // Nothing is written: the rows keep the paths the scene holds, and lose their marks.
    for (const KvPathMark& mark : marks) rows[mark.row].hasNewPath = 0;
    return marks.empty();
  }
  // Absolute paths, by their meaning: variables are expanded. The write and the reading again
  // after it ask the same files: each once.
  const KvRememberedFiles remembered;
  WriteMarkedRows(rows, marks, KvPathForm::VariablesExpanded, *active);
  RefreshAfterWrite();
  return true;
}

void KestrovaDialog::ReplaceTexture() {
  OperationScope operation(*this);
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
  {
    KvWritePass pass(*document);
    for (KvAssetEntry* row : selected) pass.Write(*row, file);
  }
  RefreshAfterWrite();
}

void KestrovaDialog::ClearAssets(bx3::Document* document) {
  if (!document) return;
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  int64_t notCleared = 0;
  {
    KvWritePass pass(*document);
    for (const int64_t index : view_.Lists().rowIndexList) {
      if (rows[size_t(index)].selected) pass.Clear(rows[size_t(index)]);
    }
    notCleared = pass.GetCounts().failed;
  }
  // Collected again, with the counts, the order, the groups and the status line.
  const int64_t readOnly = KvWritePass::TakeEnded().counts.readOnly;
  RefreshAssets();
  if (notCleared > 0) {
    UpdateStatusLine(GetResourceString(res::kUsesNotCleared, std::to_string(notCleared)));
  } else if (readOnly > 0) {
    UpdateStatusLine(GetResourceString(res::kNestedReadOnly, std::to_string(readOnly)));
  }
}

}  // namespace kv
