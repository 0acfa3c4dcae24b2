// The inspector window's consolidate: the files of the rows copied next to the scene, and the
// rows pointed at the copies.
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "brantic/io.h"
#include "bx3/busy.h"
#include "bx3/files.h"
#include "bx3/modal.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvconsolidate.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

bool IsFile(const bx3::Filename& path) { return brantic::IsExistingFile(path.GetUrl()); }

// A source that cannot be found: the user locates it (true, with `source` replaced), skips it
// (false) or stops the whole collection (`stop`).
bool LocateMissingSource(bx3::Filename& source, bool& stop) {
  const brantic::String question = GetResourceString(res::kLocateQuestion, source.View());
  switch (bx3::MessageDialog(bx3::kMessageYesNoCancel, question)) {
    case bx3::kAnswerYes:
      for (bx3::Filename chosen = source;;) {
        if (!bx3::FileSelect(chosen, bx3::FileSelectMode::Load, question, source.GetDirectory())) return false;
        if (IsFile(chosen)) {
          source = chosen;
          return true;
        }
      }
    case bx3::kAnswerCancel: stop = true; return false;
    default:  // no, or the box was closed some other way
      return false;
  }
}

// "3 files of sets missing: wood.1012.png, ..." with the first few names.
std::string MissingMembersText(const std::vector<std::string>& names, int32_t resource) {
  constexpr size_t kNamed = 5;
  std::string text;
  for (size_t i = 0; i < names.size() && i < kNamed; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > kNamed) text += ", ...";
  return GetResourceString(resource, std::to_string(names.size())).Std() + ": " + text;
}

}  // namespace

bool KestrovaDialog::Consolidate(bx3::Document* document) {
  if (!document) return false;
  std::string note;
  bool done = false;
  {
    OperationScope operation(*this);
    done = CollectFiles(*document, note);
  }
  // After a scene change held back meanwhile was taken in, which rewrites the status line.
  if (!note.empty()) UpdateStatusLine(brantic::String(note));
  return done;
}

bool KestrovaDialog::CollectFiles(bx3::Document& document, std::string& note) {
  bx3::Filename targetFolder = document.GetFolder();
  const bool askedForFolder = !targetFolder.IsPopulated();
  if (askedForFolder &&
      !bx3::FileSelect(targetFolder, bx3::FileSelectMode::Directory, GetResourceString(res::kCollectTitle))) {
    return false;
  }
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  const bool anySelected = view_.SelectedCount() > 0;
  const std::vector<KvCopyItem> items = PlanConsolidation(rows, anySelected, targetFolder, &document);

  std::unordered_set<std::string> copied;  // sources copied in this pass
  int64_t copiedCount = 0;
  std::string failure;
  std::vector<std::string> missingMembers;  // files of sets that are not there: named, not asked for
  std::vector<std::string> missingNested;   // files inside collected files that are not there: the same
  bool cancelled = false;                   // by the answer to a missing file's question
  bool stopped = false;                     // with Escape
  bool failed = false;
  for (const KvCopyItem& item : items) {
    if (copied.count(item.source.GetString().Std())) continue;
    bx3::Filename source = item.source;
    if (item.setMember && !IsFile(source)) {
      (item.nested ? missingNested : missingMembers).push_back(std::string(source.GetFileView()));
      continue;
    }
    if (!IsFile(source) && !LocateMissingSource(source, cancelled)) {
      if (cancelled) break;
      continue;
    }
    if (brantic::Result<void> made = bx3::CreateFolder(item.folder); !made) {
      failure = GetResourceString(res::kFolderNotMade, item.folder.View()).Std();
      failed = true;
      break;
    }
    if (bx3::IsSameFile(source, item.target)) {
      continue;  // already where it belongs: nothing to copy, and nothing to overwrite
    }
    if (brantic::DetectIo(item.target.GetUrl()) != brantic::IoDetect::NotFound &&
        bx3::MessageDialog(bx3::kMessageYesNo, GetResourceString(res::kOverwriteQuestion, item.target.View())) !=
            bx3::kAnswerYes) {
      continue;
    }
    const std::string status = GetResourceString(res::kCopying).Std() + " \"" + source.GetString().Std() + "\" - " +
                               GetResourceString(res::kFilesCopied, std::to_string(copiedCount)).Std();
    brantic::Result<brantic::CopyOutcome> outcome = brantic::Error(brantic::ErrorKind::Cancelled, "not run");
    // Each copy runs beside the window; Escape abandons it (the target stays as it was).
    const bool completed = bx3::RunBusy(
        [&](const std::atomic<bool>& stop) {
          outcome = bx3::CopyFile(source, item.target, {.stop = [&stop] { return stop.load(); }});
        },
        [&] { SetString(kGadgetStatus, brantic::String(status)); });
    if (!completed || (!outcome && outcome.GetError().Kind() == brantic::ErrorKind::Cancelled)) {
      stopped = true;
      break;
    }
    if (!outcome) {
      failure = GetResourceString(res::kCopyFailed, outcome.GetError().Message()).Std();
      failed = true;
      break;
    }
    copied.insert(item.source.GetString().Std());
    ++copiedCount;
  }

  int64_t unreachable = 0;
  for (const KvAssetEntry& row : rows) unreachable += (!anySelected || row.selected) && row.IsUnreachable();
  note =
      GetResourceString(res::kFilesCopied, std::to_string(copiedCount)).Std() +
      (missingMembers.empty() ? "" : "; " + MissingMembersText(missingMembers, res::kSetFilesMissing)) +
      (missingNested.empty() ? "" : "; " + MissingMembersText(missingNested, res::kNestedFilesMissing)) +
      (unreachable == 0 ? "" : "; " + GetResourceString(res::kUsesUnderDeadRoots, std::to_string(unreachable)).Std()) +
      (failure.empty() ? "" : "; " + failure) +
      (stopped ? "; " + GetResourceString(res::kStoppedWithEscape).Std() : "");
  if (failed || stopped || cancelled || askedForFolder || copiedCount == 0) return !failed;
  // The rows look for their copies by name: with nothing selected, every row does.
  if (!anySelected) {
    for (KvAssetEntry& row : rows) view_.Selection().Select(row);
  }
  // Each row to its copy, even where the original is inside the scene's folder too and the
  // search finds it first.
  std::unordered_map<uint32_t, bx3::Filename> copies;
  for (const KvCopyItem& item : items) copies.try_emplace(item.row, item.folder + rows[item.row].assetPath.GetFile());
  RunRelink(targetFolder, &copies);
  note += "; " + relinkNote_.Std();
  return true;
}

}  // namespace kv
