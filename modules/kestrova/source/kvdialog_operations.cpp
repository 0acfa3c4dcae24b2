// The inspector window's operations on the paths of its rows.
#include <string_view>
#include <unordered_map>

#include "brantic/parallel.h"
#include "bx3/busy.h"
#include "bx3/commands.h"
#include "bx3/modal.h"
#include "bx3/services.h"
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

// What the row's file is, read now (any thread).
void ProbeNow(KvAssetEntry& row) {
  row.formatText = FormatTextOfName(row.assetPath);
  row.assetType = ClassifyAssetName(row.assetPath);
  row.resolutionX = 0;
  row.resolutionY = 0;
  row.fileSize = 0;
  row.resolvedUrl = row.IsMissing() ? brantic::Url() : bx3::Filename(row.resolvedPath).GetUrl();
  if (!row.resolvedUrl.IsEmpty()) ProbeAssetFile(row);
}

}  // namespace

void KestrovaDialog::ProbeRowsNow(const std::vector<KvAssetEntry*>& written) {
  // Rows of one file share what it is: each file is read once.
  std::unordered_map<std::string_view, size_t> probeOfPath;
  std::vector<KvAssetEntry> probes;
  std::vector<size_t> probeOfRow;
  probeOfRow.reserve(written.size());
  for (const KvAssetEntry* row : written) {
    const auto [slot, added] = probeOfPath.emplace(row->resolvedPath.View(), probes.size());
    if (added) probes.push_back(*row);
    probeOfRow.push_back(slot->second);
  }
  if (probes.empty()) return;
  bx3::RunBusy(
      [&probes](const std::atomic<bool>& stop) {
        brantic::ParallelFor(probes.size(), [&](size_t index) {
          if (!stop.load(std::memory_order_relaxed)) ProbeNow(probes[index]);
        });
      },
      nullptr);
  for (size_t index = 0; index < written.size(); ++index) {
    const KvAssetEntry& probed = probes[probeOfRow[index]];
    KvAssetEntry& row = *written[index];
    row.fileSize = probed.fileSize;
    row.resolutionX = probed.resolutionX;
    row.resolutionY = probed.resolutionY;
    row.formatText = probed.formatText;
    row.assetType = probed.assetType;
    row.resolvedUrl = probed.resolvedUrl;
  }
}

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
  document->StartUndo();
  std::vector<KvAssetEntry*> written;
  for (KvAssetEntry* row : selected) {
    if (WriteAssetPath(*row, file, document, true, false) != kWriteDone) continue;
    collection_.CompleteAssetEntry(*row, document);
    RecomputeFrameDigits(*row);
    written.push_back(row);
  }
  document->EndUndo();
  ProbeRowsNow(written);
  collection_.RecountMissing();
  RefreshTree();
}

int64_t KestrovaDialog::ClearAssets(bx3::Document* document) {
  if (!document) return 0;
  using namespace bx3::type;
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  int64_t notCleared = 0;
  document->StartUndo();
  for (const int64_t index : view_.Lists().rowIndexList) {
    const KvAssetEntry& row = rows[size_t(index)];
    bx3::Element* owner = row.selected ? row.ownerLink.Resolve(document) : nullptr;
    if (!owner) continue;  // not selected, or already removed through another of its rows
    bx3::Element* main = row.ownerMainLink.Resolve(document);
    if (!row.nodePath.IsEmpty()) {
      // A node's file goes through its graph (or its renderer), as a new path would.
      KvAssetEntry cleared = row;
      if (WriteAssetPath(cleared, bx3::Filename(), document, true, false) != kWriteDone) ++notCleared;
    } else if (auto* take = dynamic_cast<bx3::Take*>(row.takeLink.Resolve(document))) {
      // A take's override goes, not the element it overrides.
      document->AddUndo(bx3::kUndoChange, take);
      take->RemoveOverride(owner, row.hostDescId.IsEmpty() ? 0 : row.hostDescId.First().id);
    } else if (owner->GetType() == kBitmapShader || owner->GetType() == kFileTrack) {
      document->AddUndo(bx3::kUndoDelete, owner);
      if (main && main != owner) main->Message(bx3::kMsgUpdate);
      owner->Remove();  // freed here: the undo record holds its copy
      view_.SetSelectedCount(view_.SelectedCount() - 1);
    } else if (owner->GetType() == kSimulation) {
      document->AddUndo(bx3::kUndoChange, owner);
      for (const auto& item : owner->GetChildren()) {
        document->AddUndo(bx3::kUndoChange, item.get());
        bx3::SendNodeRequest(*item, bx3::kNodeRequestClearCache);
      }
      bx3::SendNodeRequest(*owner, bx3::kNodeRequestClearCache);
      bx3::CallCommand(bx3::kCmdClearSimulationCaches);
    } else {
      const bx3::ParamValue* value =
          row.hostDescId.IsEmpty() ? nullptr : owner->GetParameter(row.hostDescId.First().id);
      if (!value || !std::holds_alternative<bx3::Filename>(*value)) {
        ++notCleared;
        continue;
      }
      document->AddUndo(bx3::kUndoChange, owner);
      owner->SetParameter(row.hostDescId.First().id, bx3::ParamValue());
      if (owner->GetType() == kIlluminationCacheEffect) owner->SetParameter(3809, int32_t{1});
    }
  }
  document->EndUndo();
  return notCleared;
}

}  // namespace kv
