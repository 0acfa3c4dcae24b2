// The inspector window's consolidate: the files of the rows copied next to the scene, and the
// rows pointed at the copies.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "brantic/io.h"
#include "brantic/parallel.h"
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

// One file to copy, with its size for the batches.
struct PlannedCopy {
  bx3::Filename source;
  bx3::Filename target;
  int64_t size = 0;
};
// A run copies up to this many files or bytes, so that Escape is heard between runs and a
// large file is not held up behind many small ones.
constexpr size_t kCopyBatchFiles = 512;
constexpr int64_t kCopyBatchBytes = int64_t(64) << 20;

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

  // Sources copied and targets written in this pass, by the texts of the items.
  std::unordered_set<std::string_view> copied;
  std::vector<PlannedCopy> planned;  // what is to be copied, asked for and checked
  std::unordered_set<std::string_view> plannedTargets;
  std::atomic<int64_t> copiedCount = 0;
  std::string failure;
  std::vector<std::string> missingMembers;  // files of sets that are not there: named, not asked for
  std::vector<std::string> missingNested;   // files inside collected files that are not there: the same
  bool cancelled = false;                   // by the answer to a missing file's question
  bool stopped = false;                     // with Escape
  bool failed = false;
  std::unordered_set<std::string> madeFolders;
  for (const KvCopyItem& item : items) {
    if (copied.count(item.source.View())) continue;
    bx3::Filename source = item.source;
    // A file an earlier copy puts in place counts as there, as it will be when this one runs.
    const bool willExist = plannedTargets.count(source.View()) > 0;
    brantic::FileStat sourceStat = willExist ? brantic::FileStat{} : brantic::StatFile(source.GetUrl());
    const bool sourceThere = willExist || sourceStat.kind == brantic::IoDetect::File;
    if (item.setMember && !sourceThere) {
      (item.nested ? missingNested : missingMembers).push_back(std::string(source.GetFileView()));
      continue;
    }
    if (!sourceThere) {
      if (!LocateMissingSource(source, cancelled)) {
        if (cancelled) break;
        continue;
      }
      sourceStat = brantic::StatFile(source.GetUrl());
    }
    if (madeFolders.insert(item.folder.GetString().Std()).second) {
      if (brantic::Result<void> made = bx3::CreateFolder(item.folder); !made) {
        failure = GetResourceString(res::kFolderNotMade, item.folder.View()).Std();
        failed = true;
        break;
      }
    }
    // One question to the file system for the target: most are not there yet.
    const bool targetThere = plannedTargets.count(item.target.View()) > 0 ||
                             brantic::DetectIo(item.target.GetUrl()) != brantic::IoDetect::NotFound;
    if (willExist ? source == item.target : targetThere && bx3::IsSameFile(source, item.target)) {
      continue;  // already where it belongs: nothing to copy, and nothing to overwrite
    }
    if (targetThere &&
        bx3::MessageDialog(bx3::kMessageYesNo, GetResourceString(res::kOverwriteQuestion, item.target.View())) !=
            bx3::kAnswerYes) {
      continue;
    }
    const int64_t size = sourceStat.size;
    planned.push_back({std::move(source), item.target, size});
    plannedTargets.insert(item.target.View());
    copied.insert(item.source.View());
  }
  // The copies run beside the window in batches: small files many to a run, a large one in
  // a run of its own. A run's files are copied side by side on the process's helper threads,
  // each file by one of them. Escape abandons the run (the files being copied stay as they
  // were). What was asked for before a failure or a cancelled question is still copied; after
  // a failure no other file of the run is started.
  bool copyFailed = false;
  std::vector<uint8_t> copiedHere(planned.size(), 0);  // each written by the one thread that copies it
  for (size_t begin = 0; begin < planned.size() && !copyFailed && !stopped;) {
    size_t end = begin + 1;
    for (int64_t bytes = planned[begin].size;
         end < planned.size() && end - begin < kCopyBatchFiles && bytes + planned[end].size <= kCopyBatchBytes; ++end) {
      bytes += planned[end].size;
    }
    std::atomic<size_t> current{begin};
    // The run's first failure, written by the one copy that sets `runFailed` and read once
    // every copy of the run has returned.
    brantic::Result<brantic::CopyOutcome> outcome = brantic::CopyOutcome{};
    std::atomic<bool> runFailed{false};
    const bool completed = bx3::RunBusy(
        [&](const std::atomic<bool>& stop) {
          brantic::ParallelFor(end - begin, [&](size_t part) {
            const size_t at = begin + part;
            if (runFailed.load()) return;
            current = at;
            auto copy =
                bx3::CopyFile(planned[at].source, planned[at].target, {.stop = [&stop] { return stop.load(); }});
            if (copy) {
              ++copiedCount;
              copiedHere[at] = *copy == brantic::CopyOutcome::Copied;
              return;
            }
            if (!runFailed.exchange(true)) outcome = copy.GetError();
          });
        },
        [&] {
          const PlannedCopy& copy = planned[std::min(current.load(), end - 1)];
          SetString(
              kGadgetStatus,
              brantic::String(GetResourceString(res::kCopying).Std() + " \"" + copy.source.GetString().Std() + "\" - " +
                              GetResourceString(res::kFilesCopied, std::to_string(copiedCount.load())).Std()));
        });
    if (!completed || (!outcome && outcome.GetError().Kind() == brantic::ErrorKind::Cancelled)) {
      stopped = true;
    } else if (!outcome) {
      failure = GetResourceString(res::kCopyFailed, outcome.GetError().Message()).Std();
      failed = copyFailed = true;
    }
    begin = end;
  }

  for (size_t at = 0; at < planned.size(); ++at) {
    if (copiedHere[at]) collection_.RememberCopy(planned[at].source, planned[at].target);
  }

  int64_t unreachable = 0;
  for (const KvAssetEntry& row : rows) unreachable += (!anySelected || row.selected) && row.IsUnreachable();
  note =
      GetResourceString(res::kFilesCopied, std::to_string(copiedCount.load())).Std() +
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
  std::vector<uint32_t> firstItemOf(rows.size(), UINT32_MAX);
  for (uint32_t at = uint32_t(items.size()); at-- > 0;) firstItemOf[items[at].row] = at;
  RunRelink(targetFolder, [&](uint32_t row) {
    const uint32_t item = row < firstItemOf.size() ? firstItemOf[row] : UINT32_MAX;
    return item == UINT32_MAX ? bx3::Filename() : items[item].folder + rows[row].assetPath.GetFile();
  });
  note += "; " + relinkNote_.Std();
  return true;
}

}  // namespace kv
