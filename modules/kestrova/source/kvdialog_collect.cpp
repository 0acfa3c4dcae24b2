// The collection: one row per use of a file in the active document, probed in background jobs.
#include <algorithm>
#include <thread>
#include <unordered_map>

#include "brantic/format.h"
#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "brantic/searchpaths.h"
#include "bx3/assets.h"
#include "bx3/host.h"
#include "kvcollect_rules.h"
#include "kvdialog.h"
#include "kvmediainfo.h"
#include "kvresolve.h"
#include "kvresources.h"

namespace kv {

namespace {

constexpr int32_t kResNone = 10025;

bool IsBitmapShader(const bx3::Element* element) { return element && element->GetType() == bx3::type::kBitmapShader; }


// What a probing job copies of its row: what the probe reads, and the row's identity. The
// job makes its full row from it on its own thread.
struct ProbeInput {
  bx3::Filename assetPath;
  brantic::Url resolvedUrl;
  brantic::String formatText;
  uint32_t assetType = ASSETTYPE_OTHER;
  uint64_t rowIdentity = 0;

  KvAssetEntry MakeRow() const {
    KvAssetEntry row;
    row.assetPath = assetPath;
    row.resolvedUrl = resolvedUrl;
    row.formatText = formatText;
    row.assetType = assetType;
    row.rowIdentity = rowIdentity;
    return row;
  }
};

}  // namespace

void KestrovaDialog::RefreshAssets() {
  selectedCount_ = 0;
  totalCount_ = 0;
  missingCount_ = 0;
  assets_.pathCache.clear();
  BuildAssetArray();
  // The collection has just resolved every distinct path: count from its cache.
  UpdateResolvedPaths(true);
  SortRows();
  const brantic::Result<void> grouped = RebuildViewGroups();
  UpdateStatusLine(grouped ? brantic::String() : GetResourceString(10044));
  RefreshTree();
}

bool KestrovaDialog::BuildAssetArray() {
  bx3::Document* document = bx3::GetActiveDocument();
  if (!document || !treeView_) return false;
  assets_.activeDocument = document;
  const bx3::Filename documentPath = document->GetFolder();
  assets_.rowIndexList.clear();
  assets_.viewGroups.clear();
  assets_.rows.clear();
  assets_.displayOrder.clear();
  ++generation_;
  firstIdentity_ = nextRowIdentity_;

  // The list keeps its room from one collection to the next.
  std::vector<bx3::AssetUse>& uses = assetUses_;
  bx3::GetAllAssets(document, false, bx3::Filename(), bx3::kAssetQueryAll, uses);
  assets_.rows.reserve(uses.size());
  assets_.pathCache.reserve(uses.size());
  // One list of search folders for all paths of this collection.
  searchFolders_ = brantic::FillSearchPaths(documentPath.GetUrl());
  unresolved_.clear();
  rowPaths_.clear();
  rowPaths_.reserve(uses.size());
  collecting_ = true;
  for (const bx3::AssetUse& use : uses) {
    bx3::Element* owner = use.element ? use.element : document;
    bx3::Element* ownerMain = OwnerMainOf(use.element, *document);
    const bx3::DescId hostDescId(bx3::DescLevel{use.channelId, 0, 0});
    if (KvAssetEntry* row = CreateAssetEntry(*document, ownerMain, use.file, documentPath, use.parameterId, owner,
                                             hostDescId, use.flag, use.nodePath, use.nodeSpace, use.take)) {
      CompleteAssetEntry(*row, document);
    }
  }
  collecting_ = false;
  uses.clear();  // the uses point at elements: they are not kept
  ResolveCollectedPaths(documentPath);
  IndexRowIdentities();

  auto queue = brantic::JobQueue::Create("Kv Queue", 0);
  if (!queue) return false;
  std::vector<ProbeInput> inputs;
  inputs.reserve(assets_.rows.size());
  for (const KvAssetEntry& row : assets_.rows) {
    if (!row.resolvedUrl.IsEmpty()) {
      inputs.push_back({row.assetPath, row.resolvedUrl, row.formatText, row.assetType, row.rowIdentity});
    }
  }
  if (inputs.empty()) return true;
  // One job per row; a first job on the queue makes them, so that the window does not.
  auto spawn = brantic::ClosureJob<void>::Create(
      [queue = *queue, weak = GetWeakRef(), inputs = std::move(inputs), generation = generation_] {
        std::vector<std::shared_ptr<brantic::JobInterface>> jobs;
        jobs.reserve(inputs.size());
        for (const ProbeInput& input : inputs) {
          // The job owns its copy of the row; only the GUI thread touches the dialog.
          auto job = brantic::ClosureJob<void>::Create([weak, input, generation] {
            KvAssetEntry copy = input.MakeRow();
            ProbeAssetFile(copy);
            brantic::ExecuteOnMainThread([weak, copy = std::move(copy), generation] {
              if (auto dialog = weak.Lock()) dialog->StoreProbeResult(generation, copy.rowIdentity, copy);
            });
          });
          if (job) jobs.push_back(std::move(*job));
        }
        (void)queue->EnqueueAll(std::move(jobs));
      });
  return spawn && (*queue)->Enqueue(*spawn);
}

KvAssetEntry* KestrovaDialog::CreateAssetEntry(bx3::Document& document, bx3::Element* ownerMain,
                                               const bx3::Filename& assetPath, const bx3::Filename& documentPath,
                                               int32_t parameterId, bx3::Element* owner, const bx3::DescId& hostDescId,
                                               bool hostFlag, const brantic::NodePath& nodePath,
                                               const brantic::Id& nodeSpace, bx3::Take* take) {
  // Built in place; a use that gets no row takes it back.
  KvAssetEntry& row = assets_.rows.emplace_back();
  const auto noRow = [this]() -> KvAssetEntry* {
    assets_.rows.pop_back();
    return nullptr;
  };
  row.ownerMainLink.Set(ownerMain);
  row.ownerLink.Set(owner);
  if (ownerMain) row.ownerMainStamp = int32_t(ownerMain->GetDirty(4));
  if (owner) row.ownerStamp = int32_t(owner->GetDirty(4));
  row.nodePath = nodePath;
  row.nodeSpace = nodeSpace;
  row.takeLink.Set(take);
  const int32_t paramId = hostDescId.IsEmpty() ? 0 : hostDescId[0].id;
  const TakeLookup lookup = LookUpTake(document, take, owner, paramId);
  if (lookup.found) {
    row.takeName = lookup.name.IsEmpty() ? GetResourceString(kResNone) : lookup.name;
    row.takeOverride = lookup.isOverride;
  } else {
    row.takeName = GetResourceString(kResNone);
  }
  if (ownerMain) row.layerLink = ownerMain->GetLayerLink();
  row.assetPath = assetPath;
  row.parameterId = parameterId;
  row.hostDescId = hostDescId;
  row.hostFlag = hostFlag;

  // A sequence is listed once, through the file of its first frame.
  if (owner) {
    if (const auto range = OwnerFrameRange(*owner, document, assetPath, nodePath, nodeSpace);
        range && range->first != range->second) {
      row.sequenceStart = range->first;
      row.sequenceEnd = range->second;
      const std::string name(assetPath.GetFile().WithoutSuffix().View());
      const auto [position, length] = TrailingDigits(name);
      row.frameDigitsPos = position;
      row.frameDigitsLen = length;
      if (position > 0) {
        const int64_t frame = std::stoll(name.substr(size_t(position), size_t(std::min(length, 18))));
        if (owner->GetType() == bx3::type::kVolumeSequenceObject) {
          const std::string first(owner->GetFilename(6000).GetFile().WithoutSuffix().View());
          const auto [firstPosition, firstLength] = TrailingDigits(first);
          if (firstPosition < 0 ||
              std::stoll(first.substr(size_t(firstPosition), size_t(std::min(firstLength, 18)))) != frame) {
            return noRow();
          }
        } else if (frame != row.sequenceStart) {
          return noRow();
        }
      }
    }
  }

  // The parameter the attribute editor shows.
  bx3::Element* described = DescribedElementOf(owner, ownerMain);
  if (described && !hostDescId.IsEmpty()) {
    bx3::DescId completed = hostDescId;
    if (bx3::CompleteDescId(described->GetType(), completed)) {
      row.hostDescId = completed;
      row.targetDescId = RemapTargetDescId(described->GetType(), completed[0].id);
    }
  }

  // The same file used again by the same element is listed once; by another element it
  // reuses the first resolution.
  auto [cached, isNew] = assets_.pathCache.try_emplace(assetPath);
  if (!isNew) {
    if (cached->second.owner.GetUid() == (owner ? owner->GetUid() : 0)) return noRow();
  } else {
    cached->second.owner.Set(owner);
    const brantic::String suffix = assetPath.GetSuffix();
    cached->second.formatText = suffix.IsEmpty() ? GetResourceString(kResNone) : suffix;
    cached->second.assetType = ClassifyAssetName(assetPath);
    if (collecting_) {
      // Resolved with the collection's other new paths, on every core, once the walk is done.
      unresolved_.push_back({&cached->first, &cached->second, IsBitmapShader(owner)});
    } else {
      ResolveInto(documentPath, cached->first, cached->second, IsBitmapShader(owner));
    }
  }
  if (collecting_) {
    rowPaths_.push_back(&cached->second);
  } else {
    CopyResolution(cached->second, row);
  }
  // What the name tells, worked out once per path; CompleteAssetEntry keeps it.
  row.formatText = cached->second.formatText;
  row.assetType = cached->second.assetType;

  row.rowIdentity = nextRowIdentity_++;
  assets_.rowIndexList.push_back(int64_t(assets_.rows.size()) - 1);
  return &row;
}

void KestrovaDialog::ResolveInto(const bx3::Filename& documentPath, const bx3::Filename& assetPath,
                                 KvPathCacheEntry& entry, bool isBitmapShader) const {
  bx3::Filename resolved;
  entry.resolveResult = ResolveAssetPathIn(documentPath, searchFolders_ ? &*searchFolders_ : nullptr, assetPath,
                                           resolved, isBitmapShader);
  entry.resolvedPath = resolved;
  entry.resolvedUrl = entry.resolveResult != kResolveMissing && entry.resolveResult != kResolvePaintTexture
                          ? resolved.GetUrl()
                          : brantic::Url();
}

void KestrovaDialog::CopyResolution(const KvPathCacheEntry& entry, KvAssetEntry& row) {
  row.resolveResult = entry.resolveResult;
  row.resolvedPath = entry.resolvedPath.GetString();
  row.resolvedUrl = entry.resolvedUrl;
}

void KestrovaDialog::ResolveCollectedPaths(const bx3::Filename& documentPath) {
  // The file system answers slowly and every path stands alone: the paths are shared out
  // between this thread and workers, one share per core, and the rows take their answers.
  const size_t shares = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 16);
  const size_t perShare = (unresolved_.size() + shares - 1) / std::max<size_t>(shares, 1);
  const auto resolveShare = [this, &documentPath](size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
      ResolveInto(documentPath, *unresolved_[i].path, *unresolved_[i].entry, unresolved_[i].isBitmapShader);
    }
  };
  std::vector<std::shared_ptr<brantic::ClosureJob<void>>> helpers;
  if (shares > 1 && unresolved_.size() >= 256) {
    if (auto queue = brantic::JobQueue::Create("Kv Resolve", int32_t(shares - 1))) {
      for (size_t share = 1; share < shares; ++share) {
        const size_t first = std::min(unresolved_.size(), share * perShare);
        const size_t last = std::min(unresolved_.size(), first + perShare);
        auto job = brantic::ClosureJob<void>::Create([resolveShare, first, last] { resolveShare(first, last); });
        if (!job || !(*queue)->Enqueue(*job)) {
          resolveShare(first, last);  // no helper: this thread does the share itself
          continue;
        }
        helpers.push_back(std::move(*job));
      }
      resolveShare(0, std::min(unresolved_.size(), perShare));
      for (const auto& job : helpers) job->Wait();
    }
  }
  if (helpers.empty()) resolveShare(0, unresolved_.size());
  for (size_t i = 0; i < assets_.rows.size() && i < rowPaths_.size(); ++i) CopyResolution(*rowPaths_[i], assets_.rows[i]);
  unresolved_.clear();
  rowPaths_.clear();
}

void KestrovaDialog::CompleteAssetEntry(KvAssetEntry& row, bx3::Document* document) {
  bx3::Element* owner = row.ownerLink.Resolve(document);
  bx3::Element* ownerMain = row.ownerMainLink.Resolve(document);
  const bx3::Element* described = DescribedElementOf(owner, ownerMain);
  if (!described) {
    row.elementName = GetResourceString(kResNone);
  } else if (described->GetType() == bx3::type::kProjectSettings) {
    row.elementName = GetResourceString(10143);
  } else if (described->GetType() == bx3::type::kStandardMaterial) {
    row.elementName = GetResourceString(10144);
  } else {
    row.elementName = described->GetName();
  }
  // A row of the collection has its format, type and resolution from the path cache, worked
  // out once per distinct path; any other row gets them here.
  if (collecting_) return;
  const brantic::String suffix = row.assetPath.GetSuffix();
  row.formatText = suffix.IsEmpty() ? GetResourceString(kResNone) : suffix;
  ClassifyAssetFile(row);
  row.resolvedUrl = brantic::Url();
  if (document) {
    bx3::Filename resolved;
    const int32_t result =
        ResolveAssetPath(document->GetFolder(), row.assetPath, nullptr, resolved, IsBitmapShader(owner));
    if (result != kResolveMissing && result != kResolvePaintTexture) row.resolvedUrl = resolved.GetUrl();
  }
}

void KestrovaDialog::UpdateResolvedPaths(bool fromCollection) {
  bx3::Document* document = assets_.activeDocument;
  totalCount_ = int64_t(assets_.rows.size());
  missingCount_ = 0;
  // Each distinct path (and bitmap-shader flag) is looked up on disk once per pass.
  struct Resolution {
    int32_t result;
    brantic::String path;
  };
  std::unordered_map<bx3::Filename, Resolution, bx3::FilenameHash> resolvedOnce[2];
  const bx3::Filename folder = document ? document->GetFolder() : bx3::Filename();
  for (KvAssetEntry& row : assets_.rows) {
    if (fromCollection) {
      // The rows hold what the collection's path cache found a moment ago.
    } else if (!document) {
      row.resolveResult = kResolveMissing;
      row.resolvedPath = brantic::String();
    } else {
      const bool bitmap = IsBitmapShader(row.ownerLink.Resolve(document));
      auto [found, isNew] = resolvedOnce[bitmap ? 1 : 0].try_emplace(row.assetPath);
      if (isNew) {
        bx3::Filename resolved;
        found->second.result = ResolveAssetPath(folder, row.assetPath, nullptr, resolved, bitmap);
        found->second.path = resolved.GetString();
      }
      row.resolveResult = found->second.result;
      row.resolvedPath = found->second.path;
    }
    if (row.resolveResult == kResolveMissing) ++missingCount_;
  }
  UpdateStatusLine(brantic::String());
}

void KestrovaDialog::UpdateStatusLine(const brantic::String& message) {
  std::string text = GetResourceString(10041).Std() + ": " + std::to_string(assets_.viewGroups.size()) + " (" +
                     std::to_string(totalCount_) + ") - " + GetResourceString(10042).Std() + ": " +
                     std::to_string(missingCount_) + " - " + GetResourceString(10043).Std() + ": " +
                     std::to_string(selectedCount_);
  if (!message.IsEmpty()) text += "    " + GetResourceString(10044).Std() + ":" + message.Std();
  SetString(kGadgetStatus, brantic::String(std::move(text)));
}

void KestrovaDialog::RefreshTree() {
  groupSelection_.clear();
  if (treeView_) treeView_->Refresh();
}

void KestrovaDialog::IndexRowIdentities() {
  rowOfIdentity_.assign(size_t(nextRowIdentity_ - firstIdentity_), -1);
  for (size_t i = 0; i < assets_.rows.size(); ++i) {
    const uint64_t identity = assets_.rows[i].rowIdentity;
    if (identity >= firstIdentity_ && identity < nextRowIdentity_) rowOfIdentity_[size_t(identity - firstIdentity_)] = int64_t(i);
  }
}

void KestrovaDialog::StoreProbeResult(uint64_t generation, uint64_t rowIdentity, const KvAssetEntry& probed) {
  if (generation != generation_ || rowIdentity < firstIdentity_ || rowIdentity >= nextRowIdentity_) return;
  const int64_t index = rowOfIdentity_[size_t(rowIdentity - firstIdentity_)];
  if (index < 0 || index >= int64_t(assets_.rows.size()) || assets_.rows[size_t(index)].rowIdentity != rowIdentity) {
    return;
  }
  KvAssetEntry& row = assets_.rows[size_t(index)];
  row.fileSize = probed.fileSize;
  row.resolutionX = probed.resolutionX;
  row.resolutionY = probed.resolutionY;
  row.formatText = probed.formatText;
  row.assetType = probed.assetType;
  // Many results arrive together: one tree refresh for all of them.
  if (!treeRefreshPosted_) {
    treeRefreshPosted_ = true;
    brantic::ExecuteOnMainThread([weak = GetWeakRef()] {
      if (auto dialog = weak.Lock()) {
        dialog->treeRefreshPosted_ = false;
        // The rows stay the same rows: draw them again, no need to walk the list.
        if (dialog->treeView_) dialog->treeView_->RedrawRows();
      }
    });
  }
}

}  // namespace kv
