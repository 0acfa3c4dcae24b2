// The rows of the active document: one per use of a file, made by a walk over the scene,
// resolved through a path cache (each distinct path once, on helper threads while the walk
// goes on) and probed by background jobs afterwards. It owns the rows and answers for them;
// what the tree shows of them is the view state's. GUI thread, unless noted.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "brantic/folderlisting.h"
#include "brantic/jobs.h"
#include "brantic/pathexpand.h"
#include "brantic/result.h"
#include "brantic/string_index.h"
#include "brantic/weakref.h"
#include "bx3/document.h"
#include "collection/kvassetentry.h"
#include "collection/kvpathresolver.h"
#include "collection/kvprobe.h"
#include "collection/kvprobejobs.h"
#include "collection/kvresolve.h"
#include "collection/kvscenewalk.h"

namespace kv {

// What a row shows of its path and its file.
struct KvShownFile {
  bx3::Filename path;
  int32_t resolveResult = 0;
  brantic::String resolvedPath;
  brantic::Url resolvedUrl;
  int64_t fileSize = 0;
  int64_t resolutionX = 0;
  int64_t resolutionY = 0;
  brantic::String formatText;
  uint32_t assetType = 0;

  static KvShownFile Of(const KvAssetEntry& row);
  void SwapWith(KvAssetEntry& row);
};

// A row the scene was written through, with what it showed before; `fileChanged` when it
// names another file now (to be probed).
struct KvWrittenRow {
  const KvAssetEntry* row = nullptr;
  KvShownFile before;
  bool fileChanged = false;
};

class KvCollection {
 public:
  KvCollection();
  ~KvCollection();
  KvCollection(const KvCollection&) = delete;
  KvCollection& operator=(const KvCollection&) = delete;

  // Called once for many probing results that changed rows (the rows stay the same rows).
  void SetRowsProbedCallback(std::function<void()> callback) { rowsProbed_ = std::move(callback); }
  // Called when a root the last collection passed over answers within its deadline: the
  // rows under it are worth collecting again.
  void SetRootsAnsweredCallback(std::function<void()> callback) { rootsAnswered_ = std::move(callback); }
  // Whether collections start probing jobs (a check without header reads starts none).
  void SetProbing(bool probing) { probing_ = probing; }
  // Collections from now on decide each root once in `pass` instead of in a pass of their
  // own (a scan of many scenes asks each share once); nobody is told of late answers then.
  void ShareRootPass(std::shared_ptr<brantic::RootWatch::Pass> pass) { sharedRoots_ = std::move(pass); }
  // Makes one row per use of `document` (emptying the rows first) and starts the probing
  // jobs. False without a document or when the jobs could not be started.
  bool BuildAssetArray(bx3::Document* document);
  // One row for a use, or null when the use gets none (a duplicate of the same owner, a
  // later frame of a sequence, a bad node path).
  KvAssetEntry* CreateAssetEntry(bx3::Document& document, bx3::Element* ownerMain, const bx3::Filename& assetPath,
                                 const bx3::Filename& documentPath, int32_t parameterId, bx3::Element* owner,
                                 const bx3::DescId& hostDescId, bool hostFlag, const brantic::NodePath& nodePath,
                                 const brantic::Id& nodeSpace, bx3::Take* take);
  // Names the element a new row is about.
  void CompleteAssetEntry(KvAssetEntry& row, bx3::Document* document);
  // Takes rows written in place as this collection's reading of the scene after the write
  // (which took the scene from revision `before` to `after`): true when each is one of its
  // rows and no element now uses one path in two rows (a collection lists such a use once;
  // false then, for a new collection). Like a new collection, it withdraws every row's
  // proposal and relink candidates. What the rows showed before is kept for the write's undo.
  bool KeepWrittenRows(const std::vector<KvWrittenRow>& written, uint64_t before, uint64_t after);
  // When the rows show the scene at `shown` and the kept write goes between `shown` and
  // `wanted` (its undo, or its redo after that), its rows show the scene at `wanted` again;
  // false otherwise (the scene is to be collected).
  bool ShowRowsAtRevision(uint64_t shown, uint64_t wanted);
  // Resolves every row again (each distinct path once) and counts the missing ones. Right
  // after a collection its path cache answers instead of the disk.
  void UpdateResolvedPaths(bool fromCollection = false);
  // True when the document's search folders are no longer those the rows were resolved with
  // (a message that they may have changed often comes when they have not).
  bool SearchFoldersChanged() const;
  // Forgets what the path cache knows: the next collection asks the disk again.
  void ClearPathCache() { pathCache_.clear(); }
  // `copy` was just copied from `source` with its time of change kept: what a probe found of
  // the source holds for the copy too, so rows moved onto the copy do not read it again. (The
  // memory is still checked against the copy's size and time before it is used.)
  void RememberCopy(const bx3::Filename& source, const bx3::Filename& copy);
  // Writes a probed row copy back. Only results of the current collection for a row that
  // still exists and still names `file` are taken.
  void StoreProbeResult(uint64_t generation, uint64_t rowIdentity, const brantic::Url& file,
                        const KvProbeResult& probed);
  // Lets go of the rows and of their document (it goes away); probing results still on their
  // way are dropped.
  void Forget();
  // Tells where each row identity now stands (after the rows were reordered).
  void IndexRowIdentities();

  std::vector<KvAssetEntry>& Rows() { return rows_; }
  const std::vector<KvAssetEntry>& Rows() const { return rows_; }
  // The document the rows were collected from.
  bx3::Document* ActiveDocument() const { return activeDocument_; }
  void SetActiveDocument(bx3::Document* document) { activeDocument_ = document; }
  uint64_t Generation() const { return generation_; }
  int64_t TotalCount() const { return totalCount_; }
  int64_t MissingCount() const { return missingCount_; }
  // Rows of sets of which some files are missing.
  int64_t PartlyFoundCount() const { return partlyFoundCount_; }
  // Rows under a root that did not answer.
  int64_t UnreachableCount() const { return unreachableCount_; }
  // The roots the last collection passed over, sorted.
  std::vector<std::string> UnreachableRoots() const {
    return roots_ ? roots_->UnreachableRoots() : std::vector<std::string>();
  }
  brantic::WeakRef<KvCollection> GetWeakRef() const { return anchor_.GetWeakRef(); }

 private:
  using PathCacheItem = std::pair<const bx3::Filename, KvPathCacheEntry>;
  class RowMaker;

  // The queue the probing jobs run on, made when first needed; null when it cannot be made.
  const std::shared_ptr<brantic::JobQueue>& ProbeQueue();
  // Has the media readers opened on the probing queue while the scene is walked.
  void OpenMediaReadersSoon();
  // Starts a new generation: results of earlier ones are dropped from now on.
  void NextGeneration();
  // What helper threads resolve with during a collection.
  KvResolveContext ResolveContext() const;
  // Has rootsAnswered_ called when a root the collection passed over answers in time.
  void TellWhenRootsAnswer();
  // Adds the uses inside the files the rows use (scenes they reference, OBJ, MTL and glTF
  // files), and inside those, each file read once; a file already on a row's way is not
  // entered again.
  void AddNestedRows();
  void AddNestedRowsOf(size_t parent, std::vector<std::string>& chain);
  void ResolveInto(const bx3::Filename& documentPath, const bx3::Filename& assetPath, KvPathCacheEntry& entry,
                   bool isBitmapShader) const;
  static void CopyResolution(const KvPathCacheEntry& entry, KvAssetEntry& row);
  // What the probing jobs of this collection read: the files of its paths, once each.
  std::shared_ptr<KvProbeBatch> MakeProbeBatch() const;
  // Results reach the rows of their files while this collection lives.
  KvProbeResultSink MakeProbeSink() const;
  // Probes the files of these rows (each once; unchanged files are taken from memory).
  void ProbeRows(const std::vector<uint32_t>& indexes);
  // The format texts of the probing results, one string per format for all rows: the rows
  // hold no string of a worker thread's making, and dropping them stays quick.
  const brantic::String& SharedFormatText(const brantic::String& text);

  std::vector<KvAssetEntry> rows_;
  std::unordered_map<bx3::Filename, KvPathCacheEntry, bx3::FilenameHash> pathCache_;
  bx3::Document* activeDocument_ = nullptr;
  // The rows of the last write kept in place, as they are at the revision they do not show.
  struct KeptWrite {
    uint64_t generation = 0;
    uint64_t shown = 0;
    uint64_t other = 0;
    struct Row {
      uint32_t index;
      KvShownFile shown;
      bool fileChanged;
    };
    std::vector<Row> rows;
  };
  std::optional<KeptWrite> keptWrite_;
  std::function<void()> rowsProbed_;
  std::function<void()> rootsAnswered_;
  bool rowsProbedPosted_ = false;
  bool probing_ = true;
  bool readersRequested_ = false;
  uint64_t generation_ = 0;
  // The generation whose probing results are still wanted, shared with the probing jobs.
  std::shared_ptr<std::atomic<uint64_t>> liveGeneration_ = std::make_shared<std::atomic<uint64_t>>(0);
  uint64_t nextRowIdentity_ = 1;
  uint64_t firstIdentity_ = 1;
  std::vector<int64_t> rowOfIdentity_;  // identity - first identity of the generation -> row
  int64_t totalCount_ = 0;
  int64_t missingCount_ = 0;
  int64_t partlyFoundCount_ = 0;
  int64_t unreachableCount_ = 0;
  KvSceneWalk walk_;
  // Running while BuildAssetArray walks the scene: it resolves the new paths on helper
  // threads meanwhile; the rows take their answers once the walk is done.
  KvPathResolver pathResolver_;
  brantic::StringIndex<PathCacheItem> pathIndex_;  // finds the path cache's entries during the walk
  std::vector<const KvPathCacheEntry*> rowPaths_;  // the path each row of the walk uses
  // What the resolution asks the host for, taken on the GUI thread once per collection:
  // helper threads resolve from these.
  brantic::Result<std::vector<brantic::Url>> searchFolders_ = std::vector<brantic::Url>();
  std::vector<bx3::Filename> paintTextures_;
  brantic::PathExpander expander_;
  // The roots of this collection's paths, each asked once; nothing is asked under one that
  // does not answer.
  std::shared_ptr<brantic::RootWatch::Pass> roots_;
  std::shared_ptr<brantic::RootWatch::Pass> sharedRoots_;
  // The folders read for frame and tile sets, once each per pass.
  std::unique_ptr<brantic::FolderListings> listings_ = std::make_unique<brantic::FolderListings>();
  std::vector<brantic::String> formatTexts_;
  std::unique_ptr<KvNestedWalk> nested_;  // the files read for their uses, during a collection
  // What each use inside a file is, worked out once per file however often it is referred to.
  struct NestedPath {
    bx3::Filename path;
    brantic::String formatText;
    brantic::String resolvedPath;
    brantic::Url resolvedUrl;
    int32_t resolveResult = kResolveMissing;
    uint32_t assetType = ASSETTYPE_OTHER;
    uint8_t setKind = kSetNone;
  };
  std::unordered_map<std::string, std::vector<NestedPath>> nestedPaths_;
  std::shared_ptr<brantic::JobQueue> probeQueue_;  // made on the first collection
  // What the probes of this document's collections found, by file.
  KvProbeMemory probeMemory_;
  brantic::WeakAnchor<KvCollection> anchor_{this};
};

}  // namespace kv
