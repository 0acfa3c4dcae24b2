#include "collection/kvcollection.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "brantic/mainthread.h"
#include "brantic/media.h"
#include "brantic/parallel.h"
#include "brantic/searchpaths.h"
#include "bx3/host.h"
#include "bx3/prefs.h"
#include "collection/kvassettype.h"
#include "collection/kvcollect_rules.h"
#include "collection/kvprobejobs.h"
#include "collection/kvresolve.h"
#include "ids/kvresources.h"

namespace kv {

namespace {

// Below this many uses, starting helper threads costs more than it saves.
constexpr size_t kHelpedCollection = 256;

bool IsBitmapShader(const bx3::Element* element) { return element && element->GetType() == bx3::type::kBitmapShader; }

}  // namespace

// Makes the rows of one walk: one row per use that gets one, with its path resolved.
class KvCollection::RowMaker final : public KvUseVisitor {
 public:
  RowMaker(KvCollection& collection, bx3::Filename documentPath)
      : collection_(collection), documentPath_(std::move(documentPath)) {}

  void Begin(size_t uses) override {
    KvCollection& c = collection_;
    c.rows_.reserve(uses);
    c.pathCache_.reserve(uses);
    c.rowPaths_.clear();
    c.rowPaths_.reserve(uses);
    c.pathIndex_.Reset(uses / 8);
    // New paths are resolved on helper threads while the walk goes on.
    const size_t helpers = uses >= kHelpedCollection ? brantic::CoreCount() - 1 : 0;
    c.pathResolver_.Start(
        uses, helpers,
        [&c, documentPath = documentPath_](const bx3::Filename& path, KvPathCacheEntry& entry, bool isBitmapShader) {
          c.ResolveInto(documentPath, path, entry, isBitmapShader);
        });
  }
  void Visit(bx3::Document& document, const KvUse& use) override {
    if (KvAssetEntry* row =
            collection_.CreateAssetEntry(document, use.ownerMain, *use.file, documentPath_, use.parameterId, use.owner,
                                         use.hostDescId, use.hostFlag, *use.nodePath, *use.nodeSpace, use.take)) {
      collection_.CompleteAssetEntry(*row, &document);
    }
  }

 private:
  KvCollection& collection_;
  const bx3::Filename documentPath_;
};

KvCollection::KvCollection() { pathCache_.max_load_factor(0.65f); }

KvCollection::~KvCollection() {
  // Results that arrive from now on find no collection; jobs not yet run skip their work.
  anchor_.Invalidate();
  liveGeneration_->store(0, std::memory_order_relaxed);
}

void KvCollection::NextGeneration() {
  ++generation_;
  liveGeneration_->store(generation_, std::memory_order_relaxed);
  firstIdentity_ = nextRowIdentity_;
}

bool KvCollection::BuildAssetArray(bx3::Document* document) {
  if (!document) return false;
  activeDocument_ = document;
  rows_.clear();
  NextGeneration();
  // One list of search folders for all paths of this collection.
  const bx3::Filename documentPath = document->GetFolder();
  searchFolders_ = brantic::FillSearchPaths(documentPath.GetUrl());
  paintTextures_ = bx3::GetPaintTextures();
  expander_ = bx3::Preferences::Get().MakePathExpander();
  roots_ = sharedRoots_ ? sharedRoots_ : std::shared_ptr<brantic::RootWatch::Pass>(MakeRootPass());
  listings_ = std::make_unique<brantic::FolderListings>(roots_->SharedFiles());
  // A path under a root that did not answer is asked for again: the root may answer now.
  if (unreachableCount_ > 0)
    std::erase_if(pathCache_, [](const auto& item) { return item.second.resolveResult == kResolveUnreachable; });
  RowMaker maker(*this, documentPath);
  walk_.Run(*document, maker);
  pathIndex_.Reset(0);
  pathResolver_.Finish();
  for (size_t i = 0; i < rows_.size() && i < rowPaths_.size(); ++i) CopyResolution(*rowPaths_[i], rows_[i]);
  AddNestedRows();
  CountSetItems(rows_, *document, ResolveContext());
  IndexRowIdentities();
  TellWhenRootsAnswer();
  if (!probing_) {
    pathResolver_.ReleaseItems();
    std::vector<const KvPathCacheEntry*>().swap(rowPaths_);
    return true;
  }

  if (!ProbeQueue()) return false;
  std::shared_ptr<KvProbeBatch> batch = MakeProbeBatch();
  // What the walk needed is let go of before the rows are sorted and probed.
  pathResolver_.ReleaseItems();
  std::vector<const KvPathCacheEntry*>().swap(rowPaths_);
  return StartProbeJobs(probeQueue_, std::move(batch), MakeProbeSink(), generation_, liveGeneration_).HasValue();
}

KvProbeResultSink KvCollection::MakeProbeSink() const {
  return [weak = GetWeakRef(), generation = generation_](const KvProbeBatch& probed,
                                                         const std::vector<std::pair<uint32_t, KvProbeResult>>& found) {
    auto locked = weak.Lock();
    if (!locked) return;
    for (const auto& [file, result] : found) {
      const brantic::Url& url = probed.files[file].resolvedUrl;
      locked->probeMemory_.insert_or_assign(url.GetPath().Std(), result);
      for (uint32_t i = probed.fileRowBegin[file]; i < probed.fileRowBegin[file + 1]; ++i) {
        locked->StoreProbeResult(generation, probed.rowsOfFile[i], url, result);
      }
    }
  };
}

void KvCollection::RememberCopy(const bx3::Filename& source, const bx3::Filename& copy) {
  const auto known = probeMemory_.find(source.GetUrl().GetPath().Std());
  if (known != probeMemory_.end()) probeMemory_.insert_or_assign(copy.GetUrl().GetPath().Std(), known->second);
}

void KvCollection::ProbeRows(const std::vector<uint32_t>& indexes) {
  if (indexes.empty() || !probing_ || !ProbeQueue()) return;
  auto batch = std::make_shared<KvProbeBatch>();
  // The jobs get what the memory knows of these files only: a write of a few rows does not
  // copy what is known of every file.
  auto memory = std::make_shared<KvProbeMemory>();
  // Each file once, by the text of its URL's path (the rows keep those texts meanwhile); the
  // few relative URLs apart, so that no two schemes share a key.
  std::unordered_map<std::string_view, uint32_t> fileOfPath[2];
  for (const uint32_t index : indexes) {
    const KvAssetEntry& row = rows_[index];
    if (row.resolvedUrl.IsEmpty()) continue;
    const auto [known, added] = fileOfPath[row.resolvedUrl.IsRelative()].try_emplace(row.resolvedUrl.GetPath().View(),
                                                                                     uint32_t(batch->files.size()));
    if (added) {
      batch->files.push_back({row.assetPath, row.resolvedUrl, row.formatText, row.assetType});
      if (const auto remembered = probeMemory_.find(row.resolvedUrl.GetPath().Std());
          remembered != probeMemory_.end()) {
        memory->insert(*remembered);
      }
    }
    batch->rows.push_back({row.rowIdentity, known->second});
  }
  if (batch->rows.empty()) return;
  if (!memory->empty()) batch->memory = std::move(memory);
  batch->IndexRowsByFile();
  (void)StartProbeJobs(probeQueue_, std::move(batch), MakeProbeSink(), generation_, liveGeneration_);
}

const std::shared_ptr<brantic::JobQueue>& KvCollection::ProbeQueue() {
  if (!probeQueue_) {
    if (auto queue = brantic::JobQueue::Create("Kv Queue", 0)) probeQueue_ = std::move(*queue);
  }
  return probeQueue_;
}

void KvCollection::OpenMediaReadersSoon() {
  // Opening the readers maps many libraries: done beside the walk, before the first probe
  // needs them.
  if (readersRequested_ || !ProbeQueue()) return;
  readersRequested_ = true;
  if (auto job = brantic::ClosureJob<void>::Create([] { (void)brantic::LoadMediaReaders(); })) {
    (void)probeQueue_->Enqueue(std::move(*job));
  }
}

void KvCollection::Forget() {
  NextGeneration();
  rowOfIdentity_.clear();
  rows_.clear();
  pathCache_.clear();
  probeMemory_.clear();
  activeDocument_ = nullptr;
  totalCount_ = 0;
  missingCount_ = 0;
  partlyFoundCount_ = 0;
  unreachableCount_ = 0;
}

KvAssetEntry* KvCollection::CreateAssetEntry(bx3::Document& document, bx3::Element* ownerMain,
                                             const bx3::Filename& assetPath, const bx3::Filename& documentPath,
                                             int32_t parameterId, bx3::Element* owner, const bx3::DescId& hostDescId,
                                             bool hostFlag, const brantic::NodePath& nodePath,
                                             const brantic::Id& nodeSpace, bx3::Take* take) {
  // Built in place; a use that gets no row takes it back.
  KvAssetEntry& row = rows_.emplace_back();
  const auto noRow = [this]() -> KvAssetEntry* {
    rows_.pop_back();
    return nullptr;
  };
  row.ownerMainLink.Set(ownerMain);
  row.ownerLink.Set(owner);
  if (ownerMain) row.ownerMainStamp = int32_t(ownerMain->GetDirty());
  if (owner) row.ownerStamp = int32_t(owner->GetDirty());
  row.nodePath = nodePath;
  row.nodeSpace = nodeSpace;
  row.takeLink.Set(take);
  const int32_t paramId = hostDescId.IsEmpty() ? 0 : hostDescId[0].id;
  const TakeLookup lookup = LookUpTake(document, take, owner, paramId);
  if (lookup.found) {
    row.takeName = lookup.name.IsEmpty() ? GetResourceString(res::kNone) : lookup.name;
    row.takeOverride = lookup.isOverride;
  } else {
    row.takeName = GetResourceString(res::kNone);
  }
  if (ownerMain) row.layerLink = ownerMain->GetLayerLink();
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
          const std::string first(owner->GetFilename(bx3::param::kVolumeSequenceFile).GetFile().WithoutSuffix().View());
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
  const bool collecting = pathResolver_.IsRunning();
  const size_t hash = bx3::FilenameHash()(assetPath);
  auto* cached = collecting ? static_cast<PathCacheItem*>(pathIndex_.Find(assetPath.View(), hash)) : nullptr;
  bool isNew = false;
  if (!cached) {
    const auto [item, inserted] = pathCache_.try_emplace(assetPath);
    cached = &*item;
    isNew = inserted;
    if (collecting) pathIndex_.Insert(assetPath.View(), hash, cached);
  }
  if (!isNew) {
    if (cached->second.owner.GetUid() == (owner ? owner->GetUid() : 0)) return noRow();
  } else {
    cached->second.owner.Set(owner);
    cached->second.formatText = FormatTextOfName(assetPath);
    cached->second.assetType = ClassifyAssetName(assetPath);
    cached->second.setKind = SetKindOfPath(assetPath);
    // Files the probe reads without the media readers need them not; for the others they are
    // opened beside the walk, before the first probe asks for them.
    if (probing_ && !readersRequested_ && ProbeNeedsMediaReaders(assetPath, cached->second.assetType)) {
      OpenMediaReadersSoon();
    }
    // During a collection, helper threads resolve it while the walk goes on.
    cached->second.collectionItem = pathResolver_.Add(&cached->first, &cached->second, IsBitmapShader(owner));
    if (cached->second.collectionItem == KvPathResolver::kNoItem) {
      ResolveInto(documentPath, cached->first, cached->second, IsBitmapShader(owner));
    }
  }
  // The rows of a path share one text: dropping them later touches one string per path.
  row.assetPath = cached->first;
  if (collecting) {
    rowPaths_.push_back(&cached->second);
  } else {
    CopyResolution(cached->second, row);
  }
  // What the name tells, worked out once per path; CompleteAssetEntry keeps it.
  row.formatText = cached->second.formatText;
  row.assetType = cached->second.assetType;
  row.setKind = cached->second.setKind;
  if (row.setKind == kSetNone && row.IsSequence() && row.frameDigitsPos >= 0 && row.frameDigitsLen > 0 &&
      !IsVideoFile(assetPath)) {
    row.setKind = kSetFrames;  // a sequence by the digits of its first frame
  }

  row.rowIdentity = nextRowIdentity_++;
  return &row;
}

void KvCollection::ResolveInto(const bx3::Filename& documentPath, const bx3::Filename& assetPath,
                               KvPathCacheEntry& entry, bool isBitmapShader) const {
  bx3::Filename resolved;
  entry.resolveResult = ResolveAssetPathIn(documentPath, ResolveContext(), assetPath, resolved, isBitmapShader);
  entry.resolvedPath = resolved;
  const bool readable = entry.resolveResult != kResolveMissing && entry.resolveResult != kResolvePaintTexture &&
                        entry.resolveResult != kResolveUnreachable;
  entry.resolvedUrl = readable ? resolved.GetUrl() : brantic::Url();
  // A set is probed through one of its files.
  if (entry.setKind != kSetNone && !entry.resolvedUrl.IsEmpty()) entry.resolvedUrl = FirstSetFile(resolved, *listings_);
}

namespace {

// Nested files name so many files at most, and are entered so deep at most.
constexpr size_t kMaxNestedDepth = 16;

// How a row's file is named on the way of the rows inside it.
std::string ViaName(const KvAssetEntry& row) {
  return row.IsNested() ? std::string(row.assetPath.GetFileView()) : row.assetPath.GetString().Std();
}

}  // namespace

void KvCollection::AddNestedRows() {
  nested_ = std::make_unique<KvNestedWalk>();
  nestedPaths_.clear();
  const size_t sceneRows = rows_.size();
  std::vector<std::string> chain;
  if (activeDocument_) chain.push_back(activeDocument_->GetFilename().GetString().Std());
  for (size_t row = 0; row < sceneRows; ++row) AddNestedRowsOf(row, chain);
  nested_.reset();
  nestedPaths_.clear();
}

void KvCollection::AddNestedRowsOf(size_t parent, std::vector<std::string>& chain) {
  if (!rows_[parent].HasFile() || !KvNestedWalk::MayNameFiles(rows_[parent].resolvedPath.View())) return;
  const std::string file = rows_[parent].resolvedPath.Std();
  if (std::find(chain.begin(), chain.end(), file) != chain.end()) {
    rows_[parent].nestedNote = GetResourceString(res::kRefersBack, file);
    return;
  }
  if (chain.size() > kMaxNestedDepth) return;
  const KvNestedRead& read = nested_->UsesIn(file);
  if (!read.problem.empty()) {
    rows_[parent].nestedNote = GetResourceString(res::kNotReadForItsFiles, read.problem);
    return;
  }
  std::vector<NestedPath>& paths = nestedPaths_[file];
  if (paths.size() != read.uses.size()) {
    // Only where the file's own paths point: the scene's search folders are the scene's.
    KvResolveContext context = ResolveContext();
    context.searchFolders = nullptr;
    const bx3::Filename anchor = bx3::Filename(file).GetDirectory();
    paths.clear();
    paths.reserve(read.uses.size());
    for (const KvNestedUse& use : read.uses) {
      NestedPath& path = paths.emplace_back();
      path.path = bx3::Filename(use.path);
      path.formatText = SharedFormatText(FormatTextOfName(path.path));
      path.assetType = ClassifyAssetName(path.path);
      path.setKind = SetKindOfPath(path.path);
      bx3::Filename resolved;
      path.resolveResult = ResolveAssetPathIn(anchor, context, path.path, resolved, false);
      if (path.resolveResult != kResolveMissing && path.resolveResult != kResolveUnreachable) {
        path.resolvedPath = resolved.GetString();
        path.resolvedUrl = path.setKind != kSetNone ? FirstSetFile(resolved, *listings_) : resolved.GetUrl();
      }
    }
  }
  const std::string via = rows_[parent].via.IsEmpty() ? ViaName(rows_[parent])
                                                      : rows_[parent].via.Std() + " \u203a " + ViaName(rows_[parent]);
  const brantic::String viaText(via);
  chain.push_back(file);
  for (const NestedPath& path : paths) {
    KvAssetEntry row;
    {
      const KvAssetEntry& from = rows_[parent];
      row.ownerMainLink = from.ownerMainLink;
      row.ownerLink = from.ownerLink;
      row.layerLink = from.layerLink;
      row.takeLink = from.takeLink;
      row.takeName = from.takeName;
      row.elementName = from.elementName;
      row.hostDescId = from.hostDescId;
      row.targetDescId = from.targetDescId;
      row.ownerMainStamp = from.ownerMainStamp;
      row.ownerStamp = from.ownerStamp;
      row.depth = uint8_t(from.depth + 1);
      row.topIdentity = from.IsNested() ? from.topIdentity : from.rowIdentity;
    }
    row.via = viaText;
    row.assetPath = path.path;
    row.formatText = path.formatText;
    row.assetType = path.assetType;
    row.setKind = path.setKind;
    row.resolveResult = path.resolveResult;
    row.resolvedPath = path.resolvedPath;
    row.resolvedUrl = path.resolvedUrl;
    row.rowIdentity = nextRowIdentity_++;
    rows_.push_back(std::move(row));
    AddNestedRowsOf(rows_.size() - 1, chain);
  }
  chain.pop_back();
}

KvResolveContext KvCollection::ResolveContext() const {
  return {searchFolders_ ? &*searchFolders_ : nullptr, &paintTextures_, &expander_, listings_.get(), roots_.get()};
}

void KvCollection::TellWhenRootsAnswer() {
  if (!roots_ || roots_ == sharedRoots_) return;
  roots_->WhenLateAnswer([weak = GetWeakRef(), generation = generation_] {
    brantic::ExecuteOnMainThread([weak, generation] {
      auto collection = weak.Lock();
      if (collection && collection->generation_ == generation && collection->rootsAnswered_) {
        collection->rootsAnswered_();
      }
    });
  });
}

void KvCollection::CopyResolution(const KvPathCacheEntry& entry, KvAssetEntry& row) {
  row.resolveResult = entry.resolveResult;
  row.resolvedPath = entry.resolvedPath.GetString();
  row.resolvedUrl = entry.resolvedUrl;
}

void KvCollection::CompleteAssetEntry(KvAssetEntry& row, bx3::Document* document) {
  bx3::Element* owner = row.ownerLink.Resolve(document);
  bx3::Element* ownerMain = row.ownerMainLink.Resolve(document);
  const bx3::Element* described = DescribedElementOf(owner, ownerMain);
  if (!described) {
    row.elementName = GetResourceString(res::kNone);
  } else if (described->GetType() == bx3::type::kProjectSettings) {
    row.elementName = GetResourceString(res::kProjectSettings);
  } else if (described->GetType() == bx3::type::kStandardMaterial) {
    row.elementName = GetResourceString(res::kMaterial);
  } else {
    row.elementName = described->GetName();
  }
}

void KvCollection::UpdateResolvedPaths(bool fromCollection) {
  bx3::Document* document = activeDocument_;
  totalCount_ = int64_t(rows_.size());
  missingCount_ = 0;
  // Each distinct path (and bitmap-shader flag) is looked up on disk once per pass.
  std::optional<KvResolveScope> scope;
  if (!fromCollection && document) {
    scope.emplace(document->GetFolder());
    searchFolders_ = scope->SearchFolders();
  }
  for (KvAssetEntry& row : rows_) {
    if (fromCollection) {
      // The rows hold what the collection's path cache found a moment ago.
    } else if (!document) {
      row.resolveResult = kResolveMissing;
      row.resolvedPath = brantic::String();
    } else {
      const KvResolveScope::Resolution& found =
          scope->Resolve(row.assetPath, IsBitmapShader(row.ownerLink.Resolve(document)));
      row.resolveResult = found.result;
      row.resolvedPath = found.path.GetString();
    }
  }
  if (scope) CountSetItems(rows_, *document, scope->Context());
  partlyFoundCount_ = 0;
  unreachableCount_ = 0;
  for (const KvAssetEntry& row : rows_) {
    missingCount_ += row.IsMissing();
    partlyFoundCount_ += row.IsPartlyFound();
    unreachableCount_ += row.IsUnreachable();
  }
}

namespace {

// As a new collection has them: no proposals, no relink candidates.
void WithdrawProposals(std::vector<KvAssetEntry>& rows) {
  for (KvAssetEntry& row : rows) {
    if (row.hasNewPath || !row.newPath.IsEmpty() || !row.relinkCandidates.empty()) {
      WithdrawProposal(row);
      std::vector<KvRelinkCandidate>().swap(row.relinkCandidates);
    }
  }
}

}  // namespace

KvShownFile KvShownFile::Of(const KvAssetEntry& row) {
  return {row.assetPath,   row.resolveResult, row.resolvedPath, row.resolvedUrl, row.fileSize,
          row.resolutionX, row.resolutionY,   row.formatText,   row.assetType};
}

void KvShownFile::SwapWith(KvAssetEntry& row) {
  std::swap(path, row.assetPath);
  std::swap(resolveResult, row.resolveResult);
  std::swap(resolvedPath, row.resolvedPath);
  std::swap(resolvedUrl, row.resolvedUrl);
  std::swap(fileSize, row.fileSize);
  std::swap(resolutionX, row.resolutionX);
  std::swap(resolutionY, row.resolutionY);
  std::swap(formatText, row.formatText);
  std::swap(assetType, row.assetType);
}

bool KvCollection::KeepWrittenRows(const std::vector<KvWrittenRow>& written, uint64_t before, uint64_t after) {
  keptWrite_.reset();
  if (written.empty() || rows_.empty()) return false;
  const KvAssetEntry* first = rows_.data();
  std::vector<bool> isWritten(rows_.size());
  bool writtenTwice = false;
  for (const KvWrittenRow& entry : written) {
    if (entry.row < first || entry.row >= first + rows_.size()) return false;
    writtenTwice = writtenTwice || isWritten[size_t(entry.row - first)];
    isWritten[size_t(entry.row - first)] = true;
  }
  // The rows of each written element side by side: it may not use one path in two of them.
  std::vector<bx3::ElementUid> writtenOwners;  // sorted, each once
  writtenOwners.reserve(written.size());
  for (const KvWrittenRow& entry : written) {
    if (!entry.row->IsNested()) writtenOwners.push_back(entry.row->ownerLink.GetUid());
  }
  std::sort(writtenOwners.begin(), writtenOwners.end());
  writtenOwners.erase(std::unique(writtenOwners.begin(), writtenOwners.end()), writtenOwners.end());
  std::vector<std::pair<bx3::ElementUid, uint32_t>> owners;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!rows_[i].IsNested() &&
        std::binary_search(writtenOwners.begin(), writtenOwners.end(), rows_[i].ownerLink.GetUid())) {
      owners.emplace_back(rows_[i].ownerLink.GetUid(), uint32_t(i));
    }
  }
  std::sort(owners.begin(), owners.end());
  for (size_t begin = 0, end = 0; begin < owners.size(); begin = end) {
    end = begin + 1;
    while (end < owners.size() && owners[end].first == owners[begin].first) ++end;
    if (end - begin < 2) continue;
    const auto pathOf = [this](const std::pair<bx3::ElementUid, uint32_t>& use) {
      return rows_[use.second].assetPath.View();
    };
    std::sort(owners.begin() + begin, owners.begin() + end,
              [&](const auto& a, const auto& b) { return pathOf(a) < pathOf(b); });
    for (size_t at = begin + 1; at < end; ++at) {
      if (pathOf(owners[at - 1]) == pathOf(owners[at])) return false;
    }
  }
  WithdrawProposals(rows_);
  // Rows that name another file show what its name tells until it is probed, as new rows do.
  std::vector<uint32_t> toProbe;
  for (const KvWrittenRow& entry : written) {
    if (!entry.fileChanged) continue;
    KvAssetEntry& row = rows_[size_t(entry.row - first)];
    row.fileSize = row.resolutionX = row.resolutionY = 0;
    row.formatText = FormatTextOfName(row.assetPath);
    row.assetType = ClassifyAssetName(row.assetPath);
    toProbe.push_back(uint32_t(entry.row - first));
  }
  UpdateResolvedPaths(true);  // counted again
  // A row written twice went through a state in between: its undo is collected.
  if (!writtenTwice) {
    KeptWrite& kept = keptWrite_.emplace();
    kept.generation = generation_;
    kept.shown = after;
    kept.other = before;
    kept.rows.reserve(written.size());
    for (const KvWrittenRow& entry : written) {
      kept.rows.push_back({uint32_t(entry.row - first), entry.before, entry.fileChanged});
    }
  }
  ProbeRows(toProbe);
  return true;
}

bool KvCollection::ShowRowsAtRevision(uint64_t shown, uint64_t wanted) {
  if (!keptWrite_ || keptWrite_->generation != generation_ || keptWrite_->shown != shown ||
      keptWrite_->other != wanted) {
    return false;
  }
  // Rows back at another file are probed again: what is known of an unchanged file is taken
  // from memory, and what arrives for the file they left is dropped.
  std::vector<uint32_t> toProbe;
  for (KeptWrite::Row& kept : keptWrite_->rows) {
    kept.shown.SwapWith(rows_[kept.index]);
    if (kept.fileChanged) toProbe.push_back(kept.index);
  }
  std::swap(keptWrite_->shown, keptWrite_->other);
  WithdrawProposals(rows_);
  UpdateResolvedPaths(true);  // counted again
  ProbeRows(toProbe);
  return true;
}

bool KvCollection::SearchFoldersChanged() const {
  if (!activeDocument_) return true;
  const brantic::Result<std::vector<brantic::Url>> now =
      brantic::FillSearchPaths(activeDocument_->GetFolder().GetUrl());
  if (!now || !searchFolders_) return true;
  return *now != *searchFolders_;
}

std::shared_ptr<KvProbeBatch> KvCollection::MakeProbeBatch() const {
  auto batch = std::make_shared<KvProbeBatch>();
  if (!probeMemory_.empty()) batch->memory = std::make_shared<const KvProbeMemory>(probeMemory_);
  const std::vector<KvPathResolver::Item>& items = pathResolver_.Items();
  // Each new path with a file to probe becomes one file of the batch.
  std::vector<uint32_t> fileOfItem(items.size(), KvPathResolver::kNoItem);
  batch->files.reserve(items.size());
  for (size_t item = 0; item < items.size(); ++item) {
    const KvPathCacheEntry& entry = *items[item].entry;
    if (entry.resolvedUrl.IsEmpty()) continue;
    fileOfItem[item] = uint32_t(batch->files.size());
    batch->files.push_back({*items[item].path, entry.resolvedUrl, entry.formatText, entry.assetType});
  }
  batch->rows.reserve(rows_.size());
  // Paths the cache knew before this collection have no item of this one: each is one file too.
  std::unordered_map<const KvPathCacheEntry*, uint32_t> fileOfEarlierPath;
  // Uses inside other files have no entry: one file per path all the same.
  std::unordered_map<std::string_view, uint32_t> fileOfNestedPath;
  for (size_t i = 0; i < rows_.size(); ++i) {
    const KvAssetEntry& row = rows_[i];
    if (row.resolvedUrl.IsEmpty()) continue;
    const KvPathCacheEntry* entry = i < rowPaths_.size() ? rowPaths_[i] : nullptr;
    const uint32_t item = entry ? entry->collectionItem : KvPathResolver::kNoItem;
    uint32_t file = item < items.size() && items[item].entry == entry ? fileOfItem[item] : KvPathResolver::kNoItem;
    if (file == KvPathResolver::kNoItem && entry) {
      const auto [known, added] = fileOfEarlierPath.emplace(entry, uint32_t(batch->files.size()));
      if (added) batch->files.push_back({row.assetPath, row.resolvedUrl, row.formatText, row.assetType});
      file = known->second;
    } else if (file == KvPathResolver::kNoItem && row.IsNested()) {
      const auto [known, added] = fileOfNestedPath.emplace(row.assetPath.View(), uint32_t(batch->files.size()));
      if (added) batch->files.push_back({row.assetPath, row.resolvedUrl, row.formatText, row.assetType});
      file = known->second;
    } else if (file == KvPathResolver::kNoItem) {  // a file of its own
      file = uint32_t(batch->files.size());
      batch->files.push_back({row.assetPath, row.resolvedUrl, row.formatText, row.assetType});
    }
    batch->rows.push_back({row.rowIdentity, file});
  }
  batch->IndexRowsByFile();
  return batch;
}

void KvCollection::IndexRowIdentities() {
  rowOfIdentity_.assign(size_t(nextRowIdentity_ - firstIdentity_), -1);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const uint64_t identity = rows_[i].rowIdentity;
    if (identity >= firstIdentity_ && identity < nextRowIdentity_)
      rowOfIdentity_[size_t(identity - firstIdentity_)] = int64_t(i);
  }
}

const brantic::String& KvCollection::SharedFormatText(const brantic::String& text) {
  // A scene has a handful of formats: a short list finds them.
  for (const brantic::String& known : formatTexts_) {
    if (known == text) return known;
  }
  return formatTexts_.emplace_back(text);
}

void KvCollection::StoreProbeResult(uint64_t generation, uint64_t rowIdentity, const brantic::Url& file,
                                    const KvProbeResult& probed) {
  if (generation != generation_ || rowIdentity < firstIdentity_ || rowIdentity >= nextRowIdentity_) return;
  const int64_t index = rowOfIdentity_[size_t(rowIdentity - firstIdentity_)];
  if (index < 0 || index >= int64_t(rows_.size()) || rows_[size_t(index)].rowIdentity != rowIdentity) {
    return;
  }
  KvAssetEntry& row = rows_[size_t(index)];
  if (!(row.resolvedUrl == file)) return;
  row.fileSize = probed.fileSize;
  row.resolutionX = probed.resolutionX;
  row.resolutionY = probed.resolutionY;
  row.formatText = SharedFormatText(probed.formatText);
  row.assetType = probed.assetType;
  // Many results arrive together: one call for all of them.
  if (!rowsProbedPosted_) {
    rowsProbedPosted_ = true;
    brantic::ExecuteOnMainThread([weak = GetWeakRef()] {
      if (auto collection = weak.Lock()) {
        collection->rowsProbedPosted_ = false;
        if (collection->rowsProbed_) collection->rowsProbed_();
      }
    });
  }
}

}  // namespace kv
