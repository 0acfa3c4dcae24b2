#include "operations/kvrelink.h"

#include <algorithm>

#include "bx3/files.h"
#include "bx3/host.h"

namespace kv {

KvRelinkIndex::KvRelinkIndex(const std::vector<KvAssetEntry>& rows) {
  for (uint32_t index = 0; index < rows.size(); ++index) {
    const KvAssetEntry& row = rows[index];
    // A row under a root that did not answer may well be there: it is not looked for.
    if (!row.selected || row.IsUnreachable() || row.IsNested()) continue;
    const std::string_view name = row.assetPath.GetFileView();
    if (name.empty()) continue;
    rowCount_ = index + 1;
    if (auto pattern = brantic::PathPattern::Find(name)) {
      sets_.push_back({{index, row.assetPath.GetString()}, std::move(*pattern)});
      continue;
    }
    auto found = byName_.find(name);
    if (found == byName_.end()) found = byName_.emplace(std::string(name), std::vector<Wanted>()).first;
    found->second.push_back({index, row.assetPath.GetString()});
  }
}

const std::vector<KvRelinkIndex::Wanted>* KvRelinkIndex::Find(std::string_view name) const {
  const auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : &found->second;
}

KvRelinkSearchResult SearchForFiles(const bx3::Filename& folder, const KvRelinkIndex& index, KvRelinkProgress& progress,
                                    const std::atomic<bool>* stop) {
  KvRelinkSearchResult result;
  // A row's new path and its candidates: more finds than that change nothing it writes.
  constexpr uint32_t kFindsKept = kMaxRelinkCandidates + 1;
  std::vector<uint32_t> findsOfRow(index.RowCount(), 0);
  std::string path;
  brantic::FileWalkVisitor visitor;
  visitor.enterFolder = [&progress](const std::string& entered) {
    progress.SetFolder(entered);
    return true;
  };
  // `pathText` is `path` once some row keeps it: the rows of one file share that text.
  brantic::String pathText;
  const auto found = [&](const KvRelinkIndex::Wanted& row) {
    if (row.assetPath.View() == path) return;
    ++result.foundCount;
    progress.found.store(result.foundCount, std::memory_order_relaxed);
    if (findsOfRow[row.row]++ >= kFindsKept) return;
    if (pathText.View() != path) pathText = brantic::String(path);
    result.finds.push_back({row.row, pathText});
  };
  const auto pathIn = [&path](const std::string& folder, std::string_view name) {
    path.assign(folder);
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
  };
  std::vector<std::string> setFoundIn(index.Sets().size());  // a set is found once per folder
  visitor.file = [&](const std::string& in, std::string_view name) {
    for (size_t i = 0; i < index.Sets().size(); ++i) {
      const KvRelinkIndex::WantedSet& set = index.Sets()[i];
      if (setFoundIn[i] == in || !set.pattern.Match(name)) continue;
      setFoundIn[i] = in;
      pathIn(in, set.pattern.FileName());
      found(set.row);
    }
    const std::vector<KvRelinkIndex::Wanted>* wanted = index.Find(name);
    if (!wanted) return true;
    pathIn(in, name);
    for (const KvRelinkIndex::Wanted& row : *wanted) found(row);
    return true;
  };
  brantic::Result<brantic::FileWalkStats> walked = bx3::WalkFolder(folder, visitor, stop);
  if (walked) {
    result.walk = *walked;
  } else {
    result.folderReadable = false;
  }
  return result;
}

void TakeRelinkFind(KvAssetEntry& row, const brantic::String& path, const bx3::Filename& documentFolder) {
  row.relinkPath = bx3::Filename(path);
  row.hasNewPath = 1;
  if (row.newPath.IsEmpty() && row.relinkCandidates.empty()) {
    row.newPath = path;
    return;
  }
  const auto add = [&row, &documentFolder](const brantic::String& candidate) {
    if (row.relinkCandidates.size() >= kMaxRelinkCandidates) return;
    uint8_t flags = 0;
    // The chosen one, if any, is the first inside the document folder: the scan ends there.
    if (bx3::IsInDocumentLocations(bx3::Filename(candidate), documentFolder) &&
        std::none_of(row.relinkCandidates.begin(), row.relinkCandidates.end(),
                     [](const KvRelinkCandidate& c) { return c.flags & kCandidateChosen; })) {
      flags = kCandidateChosen;
    }
    row.relinkCandidates.push_back({candidate, flags});
  };
  if (!row.newPath.IsEmpty() && row.relinkCandidates.empty()) add(row.newPath);
  add(path);
}

bool SettleCandidates(KvAssetEntry& row) {
  if (row.relinkCandidates.empty()) return false;
  if (std::none_of(row.relinkCandidates.begin(), row.relinkCandidates.end(),
                   [](const KvRelinkCandidate& c) { return c.flags & kCandidateChosen; })) {
    row.relinkCandidates.front().flags |= kCandidateChosen;
  }
  return true;
}

void PreferCandidate(KvAssetEntry& row, const bx3::Filename& path) {
  const auto preferred = std::find_if(row.relinkCandidates.begin(), row.relinkCandidates.end(),
                                      [&path](const KvRelinkCandidate& c) { return c.path.View() == path.View(); });
  if (preferred == row.relinkCandidates.end()) return;
  for (KvRelinkCandidate& candidate : row.relinkCandidates) candidate.flags &= uint8_t(~kCandidateChosen);
  preferred->flags |= kCandidateChosen;
}

bx3::Filename RelinkTarget(const KvAssetEntry& row) {
  if (row.relinkCandidates.empty()) return row.selected ? row.relinkPath : bx3::Filename();
  for (const KvRelinkCandidate& candidate : row.relinkCandidates) {
    if (candidate.flags & kCandidateChosen) return bx3::Filename(candidate.path);
  }
  return bx3::Filename();
}

}  // namespace kv
