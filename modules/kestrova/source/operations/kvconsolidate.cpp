#include "operations/kvconsolidate.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "brantic/folderlisting.h"
#include "brantic/pathpattern.h"
#include "bx3/types.h"
#include "collection/kvassettype.h"
#include "collection/kvresolve.h"
#include "collection/kvrowtext.h"
#include "operations/kvlocalize.h"

namespace kv {

namespace {

// `name` with the digit run at `position` (`length` digits) set to `frame`, zero-padded to
// the run's length.
std::string FrameFileName(std::string_view name, int32_t position, int32_t length, int32_t frame) {
  std::string result(name.substr(0, size_t(position)));
  result += ZeroPadded(frame, length);
  result += name.substr(size_t(position + length));
  return result;
}

// A frame range longer than this is a broken scene, not a sequence on disk.
constexpr int64_t kMaxFramesPerSequence = 100000;

// The items of a set a copy takes: the owner's frame range or the shader's tile list, else
// what is on disk.
std::vector<int64_t> SetItemsToCopy(const KvAssetEntry& row, const brantic::PathPattern& pattern,
                                    const bx3::Document* document) {
  std::vector<int64_t> items;
  if (pattern.GetKind() == brantic::PathPattern::Kind::Frames && row.IsSequence()) {
    const int64_t first = std::min(row.sequenceStart, row.sequenceEnd);
    const int64_t last =
        std::min<int64_t>(std::max(row.sequenceStart, row.sequenceEnd), first + kMaxFramesPerSequence - 1);
    for (int64_t frame = first; frame <= last; ++frame) items.push_back(frame);
    return items;
  }
  if (const bx3::Element* owner = row.ownerLink.Resolve(document);
      owner && owner->GetType() == bx3::type::kBitmapShader && pattern.GetKind() == brantic::PathPattern::Kind::Tiles) {
    items = ParseTileList(owner->GetString(bx3::param::kBitmapTiles).View());
    if (!items.empty()) return items;
  }
  brantic::FolderListings listings;
  return listings.Members(std::string(pattern.Folder()), pattern);
}

}  // namespace

std::vector<KvCopyItem> PlanConsolidation(const std::vector<KvAssetEntry>& rows, bool anySelected,
                                          const bx3::Filename& targetFolder, const bx3::Document* document) {
  std::vector<KvCopyItem> items;
  const bx3::Filename documentFolder = document ? document->GetFolder() : bx3::Filename();
  // Where each collected scene row's file comes from and goes to, kept only when some rows
  // are files inside other files: those keep their places next to theirs.
  std::unordered_map<uint64_t, std::pair<std::string, bx3::Filename>> placeOfTop;
  const bool anyNested = std::any_of(rows.begin(), rows.end(), [](const KvAssetEntry& row) { return row.IsNested(); });
  // Many rows use one file: the item of its first plain row, by the text the path is made of,
  // serves the others going to the same folder.
  std::unordered_map<std::string_view, size_t> plainItemOf;
  std::unordered_map<std::string, bx3::Filename> folderOf;  // by subfolder
  for (uint32_t index = 0; index < rows.size(); ++index) {
    const KvAssetEntry& row = rows[index];
    // A file under a root that did not answer is neither copied nor looked for.
    if ((anySelected && !row.selected) || row.IsUnreachable() || row.IsNested()) continue;
    const bool stored = row.IsMissing() || row.resolvedPath.IsEmpty();
    const std::string subfolder = LocalSubfolder(row, document);
    auto knownFolder = folderOf.find(subfolder);
    if (knownFolder == folderOf.end()) {
      knownFolder =
          folderOf.emplace(subfolder, subfolder.empty() ? targetFolder : targetFolder + bx3::Filename(subfolder)).first;
    }
    const bx3::Filename& folder = knownFolder->second;
    const std::string_view pathText = stored ? row.assetPath.View() : row.resolvedPath.View();
    if (const auto same = plainItemOf.find(pathText);
        !row.IsSequence() && same != plainItemOf.end() && items[same->second].folder == folder) {
      const KvCopyItem& first = items[same->second];
      if (anyNested) placeOfTop.try_emplace(row.rowIdentity, first.source.GetDirectory().GetString().Std(), folder);
      items.push_back({index, first.source, folder, first.target});
      continue;
    }
    bx3::Filename path = stored ? row.assetPath : bx3::Filename(row.resolvedPath);
    if (!path.IsAbsolute() && documentFolder.IsPopulated()) path = documentFolder + path;
    const bx3::Filename file = path.GetFile();
    if (!file.IsPopulated()) continue;
    if (anyNested) placeOfTop.try_emplace(row.rowIdentity, path.GetDirectory().GetString().Std(), folder);
    // A set by its token: each file it should have, where it was found.
    if (const auto pattern = brantic::PathPattern::Find(path.View())) {
      const bx3::Filename sourceFolder = path.GetDirectory();
      for (const int64_t item : SetItemsToCopy(row, *pattern, document)) {
        const bx3::Filename name(brantic::PathPattern::Find(file.View())->PathOf(item));
        items.push_back({index, sourceFolder + name, folder, folder + name, true});
      }
      continue;
    }
    const int32_t digitsEnd = row.frameDigitsPos + row.frameDigitsLen;
    const bool frameFiles = row.IsSequence() && !IsVideoFile(file) && row.frameDigitsPos >= 0 &&
                            row.frameDigitsLen > 0 && size_t(digitsEnd) <= file.WithoutSuffix().View().size();
    if (!frameFiles) {
      if (!row.IsSequence()) plainItemOf.try_emplace(pathText, items.size());
      items.push_back({index, path, folder, folder + file});
      continue;
    }
    const bx3::Filename sourceFolder = path.GetDirectory();
    const int32_t first = std::min(row.sequenceStart, row.sequenceEnd);
    const int32_t last = int32_t(
        std::min<int64_t>(std::max(row.sequenceStart, row.sequenceEnd), int64_t(first) + kMaxFramesPerSequence - 1));
    for (int32_t frame = first; frame <= last; ++frame) {
      const bx3::Filename name(FrameFileName(file.View(), row.frameDigitsPos, row.frameDigitsLen, frame));
      items.push_back({index, sourceFolder.IsPopulated() ? sourceFolder + name : name, folder, folder + name, true});
    }
  }
  // The files inside the collected ones, in the same places relative to them, so that every
  // path inside a copy finds them; missing ones are named, not asked for. A file outside the
  // folder of the scene row's file cannot keep its place and is left.
  for (uint32_t index = 0; index < rows.size(); ++index) {
    const KvAssetEntry& row = rows[index];
    if (!row.IsNested() || row.IsUnreachable()) continue;
    const auto top = placeOfTop.find(row.topIdentity);
    if (top == placeOfTop.end()) continue;
    const std::string source = row.HasFile() ? row.resolvedPath.Std() : row.assetPath.GetString().Std();
    const std::string& from = top->second.first;
    if (from.empty() || source.size() <= from.size() + 1 || !source.starts_with(from) || source[from.size()] != '/') {
      continue;
    }
    const bx3::Filename target = top->second.second + bx3::Filename(source.substr(from.size() + 1));
    items.push_back({index, bx3::Filename(source), target.GetDirectory(), target, true, true});
  }
  return items;
}

int64_t CountFilesToCollect(const std::vector<KvAssetEntry>& rows, bool anySelected) {
  std::unordered_set<std::string_view> paths;
  for (const KvAssetEntry& row : rows) {
    if (!anySelected || row.selected) paths.insert(row.assetPath.View());
  }
  return int64_t(paths.size());
}

}  // namespace kv
