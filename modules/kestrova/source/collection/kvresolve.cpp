#include "collection/kvresolve.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "brantic/io.h"
#include "brantic/parallel.h"
#include "brantic/pathpattern.h"
#include "brantic/searchpaths.h"
#include "bx3/document.h"
#include "bx3/host.h"
#include "bx3/prefs.h"
#include "bx3/types.h"
#include "collection/kvassettype.h"
#include "collection/kvcollect_rules.h"

namespace kv {

int32_t ResolveAssetPath(const bx3::Filename& documentPath, const bx3::Filename& assetPath, const void* /*unused*/,
                         bx3::Filename& resolvedPath, bool isBitmapShader) {
  auto folders = brantic::FillSearchPaths(documentPath.GetUrl());
  const std::vector<bx3::Filename> paintTextures = bx3::GetPaintTextures();
  const brantic::PathExpander expander = bx3::Preferences::Get().MakePathExpander();
  const std::unique_ptr<brantic::RootWatch::Pass> roots = MakeRootPass();
  const KvResolveContext context{.searchFolders = folders ? &*folders : nullptr,
                                 .paintTextures = &paintTextures,
                                 .expander = &expander,
                                 .roots = roots.get()};
  return ResolveAssetPathIn(documentPath, context, assetPath, resolvedPath, isBitmapShader);
}

namespace {

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// The root a mapping or a variable put at the start of the path: where it lives here.
std::string NamedRootOf(const brantic::ExpandedPath& expanded) {
  if (expanded.mapping) return expanded.mapping->to;
  if (!expanded.value.empty() && expanded.path.starts_with(expanded.value)) return expanded.value;
  return {};
}

// The file queries of a resolution: through the pass's roots, which pass over those that do
// not answer.
class FileAsker {
 public:
  explicit FileAsker(const KvResolveContext& context)
      : roots_(context.roots), files_(roots_ ? roots_->Files() : *brantic::FileQueries::System()) {}

  // False for a relative URL, and without a query under a root passed over.
  bool IsReachable(const brantic::Url& url, std::string_view namedRoot = {}) const {
    if (url.IsEmpty() || url.IsRelative()) return false;
    return Noted(!roots_ || roots_->IsReachablePath(url.GetPath().View(), namedRoot));
  }
  bool IsFile(const brantic::Url& url) const {
    return IsReachable(url) && files_.Detect(url.GetPath().Std()) == brantic::IoDetect::File;
  }
  bool IsReachableFolder(const std::string& folder) const { return Noted(!roots_ || roots_->IsReachablePath(folder)); }
  // Whether a place was passed over: a file not found elsewhere may be there.
  bool PassedOver() const { return passedOver_; }

 private:
  bool Noted(bool reachable) const {
    passedOver_ = passedOver_ || !reachable;
    return reachable;
  }

  mutable bool passedOver_ = false;
  brantic::RootWatch::Pass* roots_;
  const brantic::FileQueries& files_;
};

// A set of files by its token: found in the first folder that holds one of its files, tried
// as single files are (the path's own folder, then below each search folder, then each
// search folder by name).
int32_t ResolveSet(const KvResolveContext& context, const FileAsker& asker, const brantic::PathPattern& pattern,
                   bx3::Filename& resolvedPath) {
  brantic::FolderListings local(context.roots ? context.roots->SharedFiles() : brantic::FileQueries::System());
  brantic::FolderListings& listings = context.listings ? *context.listings : local;
  const std::string fileName(pattern.FileName());
  const auto holds = [&](const std::string& folder) {
    return asker.IsReachableFolder(folder) && listings.HasMember(folder, pattern);
  };
  const auto found = [&](const std::string& folder, int32_t result) {
    resolvedPath = bx3::Filename(WithoutTrailingSlash(folder) + "/" + fileName);
    return result;
  };
  const std::string folderPart = WithoutTrailingSlash(std::string(pattern.Folder()));
  const brantic::Url folderUrl = bx3::Filename(folderPart).GetUrl();
  if (!folderPart.empty() && !folderUrl.IsRelative()) {
    const std::string folder = bx3::Filename::FromUrl(folderUrl).GetString().Std();
    return holds(folder) ? found(folder, kResolveFound) : kResolveMissing;
  }
  if (!context.searchFolders) return kResolveMissing;
  for (const brantic::Url& searchFolder : *context.searchFolders) {
    std::string folder = bx3::Filename::FromUrl(searchFolder).GetString().Std();
    if (!folderPart.empty()) {
      const auto below = searchFolder.AppendResolved(folderUrl);
      if (!below) continue;
      folder = bx3::Filename::FromUrl(*below).GetString().Std();
    }
    if (holds(folder)) return found(folder, kResolveFound);
  }
  for (const brantic::Url& searchFolder : *context.searchFolders) {
    const std::string folder = bx3::Filename::FromUrl(searchFolder).GetString().Std();
    if (holds(folder)) return found(folder, kResolveFoundByName);
  }
  return kResolveMissing;
}

// The resolution proper, its queries made through `asker`.
int32_t ResolveAsked(const bx3::Filename& documentPath, const KvResolveContext& context, const FileAsker& asker,
                     const bx3::Filename& written, const bx3::Filename& assetPath, const std::string& namedRoot,
                     bx3::Filename& resolvedPath, bool isBitmapShader);

}  // namespace

std::unique_ptr<brantic::RootWatch::Pass> MakeRootPass() {
  const auto deadline = std::chrono::milliseconds(int64_t(bx3::Preferences::Get().GetRootAnswerSeconds() * 1000.0));
  return std::make_unique<brantic::RootWatch::Pass>(brantic::RootWatch::Shared(), deadline, kRootPatience);
}

std::string RootOfAssetPath(const bx3::Filename& assetPath, const KvResolveContext& context) {
  std::string path = assetPath.GetString().Std();
  std::string namedRoot;
  if (context.expander) {
    brantic::ExpandedPath expanded = context.expander->Expand(path);
    namedRoot = NamedRootOf(expanded);
    path = std::move(expanded.path);
  }
  const brantic::Url url = bx3::Filename(path).GetUrl();
  if (url.IsEmpty() || url.IsRelative()) return {};
  return context.roots ? context.roots->RootOf(url.GetPath().View(), namedRoot) : namedRoot;
}

int32_t ResolveAssetPathIn(const bx3::Filename& documentPath, const KvResolveContext& context,
                           const bx3::Filename& written, bx3::Filename& resolvedPath, bool isBitmapShader) {
  // Variables and mapped roots first: the rest looks for the path of this machine.
  bx3::Filename expanded;
  std::string namedRoot;
  if (context.expander && (!context.expander->Mappings().empty() || brantic::MayNeedExpanding(written.View()))) {
    const brantic::ExpandedPath path = context.expander->Expand(written.View());
    if (!path.unsetVariable.empty()) return kResolveMissing;
    if (path.Changed(written.View())) {
      expanded = bx3::Filename(path.path);
      namedRoot = NamedRootOf(path);
    }
  }
  const bx3::Filename& assetPath = expanded.IsPopulated() ? expanded : written;
  const FileAsker asker(context);
  const int32_t result =
      ResolveAsked(documentPath, context, asker, written, assetPath, namedRoot, resolvedPath, isBitmapShader);
  // Missing means looked for everywhere: a place that did not answer might hold the file.
  return result == kResolveMissing && asker.PassedOver() ? kResolveUnreachable : result;
}

bool AnchoredStaysMissing(const bx3::Filename& written, const bx3::Filename& anchored,
                          const bx3::Filename& documentFolder, const KvResolveContext& context) {
  if (!context.searchFolders) return false;
  if (context.expander && (!context.expander->Mappings().empty() || brantic::MayNeedExpanding(written.View()) ||
                           brantic::MayNeedExpanding(anchored.View()))) {
    return false;
  }
  // A token names many files; ".." may lead elsewhere through a link than the joined path.
  if (brantic::PathPattern::Find(written.View()) || written.View().find("..") != std::string_view::npos) return false;
  const brantic::Url url = written.GetUrl();
  const brantic::Url folder = documentFolder.GetUrl();
  if (url.IsEmpty() || !url.IsRelative() || folder.IsEmpty()) return false;
  if (std::find(context.searchFolders->begin(), context.searchFolders->end(), folder) == context.searchFolders->end()) {
    return false;
  }
  const auto joined = folder.Append(url);
  if (!joined || !(bx3::Filename::FromUrl(*joined) == anchored)) return false;
  if (context.paintTextures) {
    for (const bx3::Filename& texture : *context.paintTextures) {
      if (texture.IsEqual(anchored)) return false;
    }
  }
  return true;
}

namespace {

int32_t ResolveAsked(const bx3::Filename& documentPath, const KvResolveContext& context, const FileAsker& asker,
                     const bx3::Filename& written, const bx3::Filename& assetPath, const std::string& namedRoot,
                     bx3::Filename& resolvedPath, bool isBitmapShader) {
  const brantic::Url url = assetPath.GetUrl();
  // Nothing under a root that does not answer is asked for.
  if (!url.IsEmpty() && !url.IsRelative() && !asker.IsReachable(url, namedRoot)) return kResolveUnreachable;
  if (const auto pattern = brantic::PathPattern::Find(assetPath.View())) {
    return ResolveSet(context, asker, *pattern, resolvedPath);
  }
  const std::vector<brantic::Url>* folders = context.searchFolders;
  if (asker.IsFile(url)) {
    resolvedPath = bx3::Filename::FromUrl(url);
    return kResolveFound;
  }
  if (!folders) return kResolveMissing;

  // Files already looked at are not asked for again by name ("tex/a.png" below the
  // document's folder is "a.png" in its "tex" folder).
  // A set, not a list: there may be very many search folders.
  std::unordered_set<std::string> tried;
  if (url.IsRelative()) {
    for (const brantic::Url& folder : *folders) {
      const auto candidate = folder.AppendResolved(url);
      if (!candidate) return kResolveMissing;
      if (asker.IsFile(*candidate)) {
        resolvedPath = bx3::Filename::FromUrl(*candidate);
        return kResolveFound;
      }
      // Made only once a first candidate is not found: most paths are found there.
      if (tried.empty()) tried.reserve(folders->size());
      tried.insert(candidate->ToString());
      // The host can build the path for bitmap shaders from folders inside the document's
      // folder. An unsaved document has no folder, so nothing lies inside it.
      const bx3::Filename folderName = bx3::Filename::FromUrl(folder);
      if (isBitmapShader && documentPath.IsPopulated() && !folderName.IsEqual(documentPath) &&
          folderName.GetString().Find(documentPath.View()) != brantic::String::kNotFound && asker.IsReachable(folder)) {
        bx3::Filename built;
        if (bx3::GenerateTexturePath(folderName, bx3::Filename::FromUrl(url), built)) {
          resolvedPath = built;
          return kResolveBuiltByHost;
        }
        // The host looked for the name in this folder: the search by name below need not.
        if (auto byName = folder.Append(url.GetName().View())) tried.insert(byName->ToString());
      }
    }
  }

  const brantic::String name = url.GetName();
  if (name.IsEmpty()) return kResolveMissing;
  for (const brantic::Url& folder : *folders) {
    auto candidate = folder.Append(name.View());
    if (!candidate) return kResolveMissing;
    if (!tried.empty() && tried.count(candidate->ToString()) != 0) continue;
    if (asker.IsFile(*candidate)) {
      resolvedPath = bx3::Filename::FromUrl(*candidate);
      return kResolveFoundByName;
    }
  }

  if (context.paintTextures && IsImageFile(written)) {
    for (const bx3::Filename& texture : *context.paintTextures) {
      if (texture.IsEqual(written)) return kResolvePaintTexture;
    }
  }
  return kResolveMissing;
}

}  // namespace

KvResolveScope::KvResolveScope(const bx3::Filename& documentFolder)
    : folder_(documentFolder),
      searchFolders_(brantic::FillSearchPaths(documentFolder.GetUrl())),
      paintTextures_(bx3::GetPaintTextures()),
      expander_(bx3::Preferences::Get().MakePathExpander()),
      roots_(MakeRootPass()),
      listings_(roots_->SharedFiles()) {}

const KvResolveScope::Resolution& KvResolveScope::Resolve(const bx3::Filename& assetPath, bool isBitmapShader) {
  auto [found, isNew] = resolved_[isBitmapShader ? 1 : 0].try_emplace(assetPath);
  if (isNew) {
    const KvResolveContext context = Context();
    found->second.result = ResolveAssetPathIn(folder_, context, assetPath, found->second.path, isBitmapShader);
    if (found->second.result == kResolveMissing) found->second.path = bx3::Filename();
  }
  return found->second;
}

void KvResolveScope::ResolveAll(const std::vector<std::pair<bx3::Filename, bool>>& paths) {
  // The new ones get their entries here (the maps do not change while the helpers work); the
  // helpers fill them in.
  struct Work {
    const bx3::Filename* path;
    bool bitmap;
    Resolution* resolution;
  };
  std::vector<Work> work;
  for (const auto& [path, bitmap] : paths) {
    auto [found, isNew] = resolved_[bitmap ? 1 : 0].try_emplace(path);
    if (isNew) work.push_back({&found->first, bitmap, &found->second});
  }
  const KvResolveContext context = Context();
  brantic::ParallelFor(work.size(), [&](size_t i) {
    Resolution& resolution = *work[i].resolution;
    resolution.result = ResolveAssetPathIn(folder_, context, *work[i].path, resolution.path, work[i].bitmap);
    if (resolution.result == kResolveMissing) resolution.path = bx3::Filename();
  });
}

uint8_t SetKindOfPath(const bx3::Filename& path) {
  const auto pattern = brantic::PathPattern::Find(path.View());
  if (!pattern) return kSetNone;
  return pattern->GetKind() == brantic::PathPattern::Kind::Tiles ? kSetTiles : kSetFrames;
}

brantic::Url FirstSetFile(const bx3::Filename& pattern, brantic::FolderListings& listings) {
  const auto set = brantic::PathPattern::Find(pattern.View());
  if (!set) return brantic::Url();
  const std::vector<int64_t> members = listings.Members(std::string(set->Folder()), *set);
  return members.empty() ? brantic::Url() : bx3::Filename(set->PathOf(members.front())).GetUrl();
}

std::vector<int64_t> ParseTileList(std::string_view text) {
  std::vector<int64_t> tiles;
  size_t at = 0;
  const auto number = [&]() -> std::optional<int64_t> {
    while (at < text.size() && (text[at] == ' ' || text[at] == ',' || text[at] == '\t')) ++at;
    const size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 5) ++at;
    if (at == start) return std::nullopt;
    return std::stoll(std::string(text.substr(start, at - start)));
  };
  while (at < text.size()) {
    const auto first = number();
    if (!first) {
      ++at;  // a character that is no part of a list: passed over
      continue;
    }
    int64_t last = *first;
    if (at < text.size() && text[at] == '-') {
      ++at;
      if (const auto end = number()) last = *end;
    }
    // UDIM numbers only, and no range longer than the tiles there are.
    for (int64_t tile = std::max<int64_t>(*first, 1001); tile <= std::min<int64_t>(last, 9999); ++tile) {
      tiles.push_back(tile);
    }
  }
  std::sort(tiles.begin(), tiles.end());
  tiles.erase(std::unique(tiles.begin(), tiles.end()), tiles.end());
  return tiles;
}

std::optional<brantic::PathPattern> RowSetPattern(const KvAssetEntry& row, const std::string& path) {
  if (row.setKind == kSetNone || path.empty()) return std::nullopt;
  if (auto pattern = brantic::PathPattern::Find(path)) return pattern;
  // frameDigitsPos counts in the file name without its suffix.
  const size_t fileStart = path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1;
  const size_t digits = fileStart + size_t(row.frameDigitsPos);
  if (row.frameDigitsPos < 0 || row.frameDigitsLen <= 0 || digits + size_t(row.frameDigitsLen) > path.size()) {
    return std::nullopt;
  }
  std::string hashes = path;
  hashes.replace(digits, size_t(row.frameDigitsLen), std::string(size_t(row.frameDigitsLen), '#'));
  return brantic::PathPattern::Find(hashes);
}

namespace {

// The tiles the row's element stores, if it stores a list.
std::vector<int64_t> StoredTiles(const KvAssetEntry& row, const bx3::Document* document) {
  const bx3::Element* owner = row.ownerLink.Resolve(document);
  if (!owner || owner->GetType() != bx3::type::kBitmapShader) return {};
  return ParseTileList(owner->GetString(bx3::param::kBitmapTiles).View());
}

struct SetCount {
  std::optional<brantic::PathPattern> pattern;
  std::vector<int64_t> members;  // on disk
  std::vector<int64_t> listed;   // the stored tile list, if any
};

SetCount CountOf(const KvAssetEntry& row, const bx3::Document* document, const bx3::Filename& documentFolder,
                 const KvResolveContext& context) {
  SetCount count;
  std::string path = row.resolvedPath.Std();
  if (path.empty() && row.setKind == kSetFrames && !brantic::PathPattern::Find(row.assetPath.View())) {
    // A sequence whose first frame is missing: looked for through its other frames.
    if (const auto pattern = RowSetPattern(row, row.assetPath.GetString().Std())) {
      bx3::Filename resolved;
      if (ResolveAssetPathIn(documentFolder, context, bx3::Filename(pattern->Path()), resolved, false) !=
          kResolveMissing) {
        path = resolved.GetString().Std();
      }
    }
  }
  count.pattern = RowSetPattern(row, path);
  if (!count.pattern) return count;
  brantic::FolderListings local(context.roots ? context.roots->SharedFiles() : brantic::FileQueries::System());
  brantic::FolderListings& listings = context.listings ? *context.listings : local;
  count.members = listings.Members(std::string(count.pattern->Folder()), *count.pattern);
  if (row.setKind == kSetTiles) count.listed = StoredTiles(row, document);
  return count;
}

// Expected and existing items of a row's set, its first existing item and, when asked for,
// the missing ones as runs.
struct SetTally {
  KvSetItems items;
  int64_t first = 0;  // when items.found > 0
};

SetTally TallyOf(const KvAssetEntry& row, const SetCount& count, bool listMissing) {
  SetTally tally;
  KvSetItems& items = tally.items;
  items.kind = row.setKind;
  const std::vector<int64_t>& members = count.members;
  if (row.setKind == kSetFrames && row.IsSequence()) {
    items.counted = true;
    items.expected = int64_t(row.sequenceEnd) - row.sequenceStart + 1;
    // Walked by the items on disk: a long range costs what its files cost.
    int64_t next = row.sequenceStart;
    const auto addRun = [&](int64_t from, int64_t to) {
      if (!listMissing || from > to) return;
      if (!items.missing.empty()) items.missing += ", ";
      items.missing += std::to_string(from) + (to > from ? "-" + std::to_string(to) : "");
    };
    for (auto at = std::lower_bound(members.begin(), members.end(), int64_t(row.sequenceStart));
         at != members.end() && *at <= row.sequenceEnd; ++at) {
      if (items.found++ == 0) tally.first = *at;
      addRun(next, *at - 1);
      next = *at + 1;
    }
    addRun(next, row.sequenceEnd);
  } else if (!count.listed.empty()) {
    items.counted = true;
    items.expected = int64_t(count.listed.size());
    std::vector<int64_t> missing;
    for (const int64_t tile : count.listed) {
      if (!std::binary_search(members.begin(), members.end(), tile)) {
        if (listMissing) missing.push_back(tile);
      } else if (items.found++ == 0) {
        tally.first = tile;
      }
    }
    items.missing = brantic::FormatItemRuns(std::move(missing));
  } else {
    items.expected = items.found = int64_t(members.size());
    if (!members.empty()) tally.first = members.front();
  }
  return tally;
}

}  // namespace

void CountSetItems(std::vector<KvAssetEntry>& rows, const bx3::Document& document, const KvResolveContext& context) {
  const bx3::Filename folder = document.GetFolder();
  for (KvAssetEntry& row : rows) {
    if (row.setKind == kSetNone || row.IsUnreachable()) continue;
    const SetCount count = CountOf(row, &document, folder, context);
    const SetTally tally = TallyOf(row, count, false);
    row.setExpected = int32_t(std::min<int64_t>(tally.items.expected, INT32_MAX));
    row.setFound = int32_t(std::min<int64_t>(tally.items.found, INT32_MAX));
    if (tally.items.found == 0 || !count.pattern) {
      row.resolveResult = kResolveMissing;
      row.resolvedPath = brantic::String();
      row.resolvedUrl = brantic::Url();
      continue;
    }
    if (row.IsMissing()) {
      // Found through frames other than the first one.
      row.resolveResult = kResolveFound;
      row.resolvedPath = brantic::String(count.pattern->Path());
    }
    row.resolvedUrl = bx3::Filename(count.pattern->PathOf(tally.first)).GetUrl();
  }
}

KvSetItems ListSetItems(const KvAssetEntry& row, const bx3::Document* document, const KvResolveContext& context) {
  if (row.setKind == kSetNone || row.IsUnreachable() || !document) {
    KvSetItems none;
    none.kind = row.setKind;
    return none;
  }
  return TallyOf(row, CountOf(row, document, document->GetFolder(), context), true).items;
}

}  // namespace kv
