// The inspector window's relink: a folder tree searched for the files of the selected rows,
// and the found files written into the scene.
#include <algorithm>
#include <unordered_map>

#include "bx3/busy.h"
#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/modal.h"
#include "bx3/prefs.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvrelink.h"
#include "operations/kvwritepass.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

// Where the folder browser starts without a folder of the caller's: the last folder searched,
// else the document's folder, else the first texture search path in use.
bx3::Filename RelinkStartFolder(const brantic::String& lastFolder, const bx3::Document* document) {
  if (!lastFolder.IsEmpty()) return bx3::Filename(lastFolder);
  if (document && document->GetFolder().IsPopulated()) return document->GetFolder();
  for (const bx3::TextureSearchPath& path : bx3::Preferences::Get().GetTextureSearchPaths()) {
    if (path.enabled && path.path.IsPopulated()) return path.path;
  }
  return bx3::Filename();
}

brantic::String SearchStatus(const std::string& folder, int64_t found) {
  return brantic::String(GetResourceString(res::kSearchingIn).Std() + " \"" + folder + "\" - " +
                         GetResourceString(res::kFilesFound, std::to_string(found)).Std());
}

}  // namespace

void KestrovaDialog::RelinkTextures(const bx3::Filename& folder) {
  {
    OperationScope operation(*this);
    RunRelink(folder);
  }
  // After a scene change held back meanwhile was taken in, which rewrites the status line.
  UpdateStatusLine(relinkNote_);
}

void KestrovaDialog::RunRelink(const bx3::Filename& folder, const std::function<bx3::Filename(uint32_t)>& preferredOf) {
  collection_.ClearPathCache();
  if (!RelinkSearch(folder)) return;
  if (preferredOf) {
    std::vector<KvAssetEntry>& rows = collection_.Rows();
    for (uint32_t row = 0; row < rows.size(); ++row) {
      if (rows[row].relinkCandidates.empty()) continue;
      if (const bx3::Filename path = preferredOf(row); path.IsPopulated()) PreferCandidate(rows[row], path);
    }
  }
  ApplyRelink();
  BuildColumnLayout();
  RefreshAfterWrite();
}

bool KestrovaDialog::RelinkSearch(const bx3::Filename& folder) {
  relinkNote_ = brantic::String();
  if (collection_.ActiveDocument() != bx3::GetActiveDocument()) RefreshAssets();
  if (view_.SelectedCount() <= 0) return false;
  const bx3::Document* document = collection_.ActiveDocument();
  bx3::Filename chosen = folder.IsPopulated() ? folder : RelinkStartFolder(lastRelinkFolder_, document);
  if (!folder.IsPopulated() &&
      !bx3::FileSelect(chosen, bx3::FileSelectMode::Directory, GetResourceString(res::kRelinkTitle), chosen)) {
    return false;
  }
  lastRelinkFolder_ = chosen.GetString();
  relinkFoundCount_ = 0;
  SetString(kGadgetStatus, SearchStatus(chosen.GetString().Std(), 0));
  SearchFolder(chosen);
  bx3::EventAdd();
  // A row that found candidates is chosen among them, not selected.
  for (KvAssetEntry& row : collection_.Rows()) {
    if (row.selected && SettleCandidates(row)) view_.Selection().Deselect(row);
  }
  return relinkFoundCount_ > 0;
}

void KestrovaDialog::SearchFolder(const bx3::Filename& folder) {
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  // Uses inside other files are not looked for: they are never written.
  int64_t nested = 0;
  for (const KvAssetEntry& row : rows) nested += row.selected && row.IsNested();
  const std::string nestedNote =
      nested > 0 ? "; " + GetResourceString(res::kNestedReadOnly, std::to_string(nested)).Std() : std::string();
  const KvRelinkIndex index(rows);
  if (index.IsEmpty()) {
    if (nested > 0) relinkNote_ = brantic::String(GetResourceString(res::kFilesFound, "0").Std() + nestedNote);
    return;
  }
  // The walk runs beside the window, which keeps painting and shows the folder and the count
  // every quarter second; Escape ends it, keeping what was found.
  KvRelinkProgress progress;
  KvRelinkSearchResult result;
  const bool completed =
      bx3::RunBusy([&](const std::atomic<bool>& stop) { result = SearchForFiles(folder, index, progress, &stop); },
                   [&] { SetString(kGadgetStatus, SearchStatus(progress.Folder(), progress.found.load())); });
  const bx3::Document* document = collection_.ActiveDocument();
  const bx3::Filename documentFolder = document ? document->GetFolder() : bx3::Filename();
  for (const KvRelinkFind& find : result.finds) TakeRelinkFind(rows[find.row], find.path, documentFolder);
  relinkFoundCount_ = result.foundCount;

  std::string note = GetResourceString(res::kFilesFound, std::to_string(result.foundCount)).Std();
  if (!result.folderReadable) note += "; " + GetResourceString(res::kFolderUnreadable, folder.View()).Std();
  if (result.walk.unreadableFolders > 0) {
    note += "; " + GetResourceString(res::kFoldersUnreadable, std::to_string(result.walk.unreadableFolders)).Std();
  }
  if (!completed || result.walk.stopped) note += "; " + GetResourceString(res::kStoppedWithEscape).Std();
  relinkNote_ = brantic::String(std::move(note) + nestedNote);
}

void KestrovaDialog::ApplyRelink() {
  bx3::Document* document = collection_.ActiveDocument();
  if (!document) return;
  KvWritePass pass(*document);
  for (KvAssetEntry& row : collection_.Rows()) {
    const bx3::Filename target = RelinkTarget(row);
    row.relinkCandidates.clear();
    if (!target.IsPopulated()) continue;
    pass.Write(row, target);
    row.hasNewPath = 0;
    row.relinkPath = bx3::Filename();
    row.newPath = brantic::String();
  }
}

}  // namespace kv
