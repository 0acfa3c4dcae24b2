// The inspector window.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "brantic/weakref.h"
#include "bx3/assets.h"
#include "bx3/dialog.h"
#include "bx3/document.h"
#include "bx3/treeview.h"
#include "kvassetentry.h"
#include "kvpathindex.h"
#include "kvpathresolver.h"
#include "kvpreviewarea.h"
#include "kvprobejobs.h"
#include "kvsort.h"
#include "kvviewsettings.h"


namespace kv {

// Gadget ids of the inspector window.
inline constexpr int32_t kGadgetMainGroup = 10045;
inline constexpr int32_t kGadgetPreview = 10052;
inline constexpr int32_t kGadgetSearchLabel = 10053;
inline constexpr int32_t kGadgetClearSearch = 10054;
inline constexpr int32_t kGadgetSearchText = 10055;
inline constexpr int32_t kGadgetReplaceLabel = 10056;
inline constexpr int32_t kGadgetClearReplace = 10057;
inline constexpr int32_t kGadgetReplaceText = 10058;
inline constexpr int32_t kGadgetApply = 10059;
inline constexpr int32_t kGadgetSearchGroup = 10060;
inline constexpr int32_t kGadgetFilterColumn = 10061;
inline constexpr int32_t kGadgetReplaceMode = 10070;
inline constexpr int32_t kReplaceWholePath = 10071;
inline constexpr int32_t kReplaceFolderPart = 10072;
inline constexpr int32_t kReplaceFileName = 10073;
inline constexpr int32_t kGadgetStatus = 10080;
inline constexpr int32_t kGadgetFilterBar = 10084;
inline constexpr int32_t kGadgetFilterLabel = 10085;
inline constexpr int32_t kGadgetFilterText = 10087;
inline constexpr int32_t kGadgetFilterToggle = 10088;
inline constexpr int32_t kGadgetTree = 10089;
inline constexpr int32_t kGadgetTreeGroup = 10090;
inline constexpr int32_t kGadgetDetailGroup = 10091;
inline constexpr int32_t kGadgetReplaceGroup = 10092;
inline constexpr int32_t kGadgetInfo = 10104;
inline constexpr int32_t kGadgetStatusComparison = 10164;
inline constexpr int32_t kGadgetSizeComparison = 10165;
inline constexpr int32_t kGadgetResolutionComparison = 10166;
inline constexpr int32_t kGadgetSizeLabel = 10174;
inline constexpr int32_t kGadgetSizeValue = 10175;
inline constexpr int32_t kGadgetSizeUnit = 10177;
inline constexpr int32_t kGadgetResolutionWidth = 10183;
inline constexpr int32_t kGadgetResolutionHeight = 10184;
// A host command in the window's Paths menu: the texture search paths.
inline constexpr int32_t kHostCmdSearchPaths = 200000273;

// The one inspector dialog. It lives from registration until the main command is
// destroyed; closing the window keeps it, with its settings and rows.
class KestrovaDialog : public bx3::GeDialog {
 public:
  KestrovaDialog();
  ~KestrovaDialog() override;

  // --- window
  bool CreateLayout() override;
  // The view settings, from and to the host's preferences.
  void LoadViewSettings();
  void SaveViewSettings();
  // Gives the tree its columns from the view settings and the stored layout.
  void BuildColumnLayout();
  // Rebuilds the filter bar's gadgets when its flag changed since the last call (or forced).
  void UpdateFilterBar(bool force);
  void EnableMainGroup(bool enable);
  const KvViewSettings& ViewSettings() const { return view_; }
  KvViewSettings& ViewSettings() { return view_; }
  int32_t GroupMode() const { return view_.groupMode; }
  bool InitValues() override;
  void DestroyWindow() override;
  int32_t Message(const bx3::Container& message, bx3::Container& result) override;
  bool CoreMessage(int32_t id, const bx3::Container& message) override;
  bool Command(int32_t id, const bx3::Container& message) override;
  int32_t StatusGadget() const override { return kGadgetStatus; }
  int32_t InfoGadget() const override { return kGadgetInfo; }

  // --- the collection
  // Empties the rows, collects the uses of the active document, resolves, sorts, groups and
  // writes the status line. The files are probed by background jobs afterwards.
  void RefreshAssets();
  // Makes one row per use of the active document and starts the probing jobs. False when
  // the window is closed or there is no active document.
  bool BuildAssetArray();
  // One row for a use, or null when the use gets none (a duplicate of the same owner, a
  // later frame of a sequence, a bad node path).
  KvAssetEntry* CreateAssetEntry(bx3::Document& document, bx3::Element* ownerMain, const bx3::Filename& assetPath,
                                 const bx3::Filename& documentPath, int32_t parameterId, bx3::Element* owner,
                                 const bx3::DescId& hostDescId, bool hostFlag, const brantic::NodePath& nodePath,
                                 const brantic::Id& nodeSpace, bx3::Take* take);
  void CompleteAssetEntry(KvAssetEntry& row, bx3::Document* document);
  // Resolves every row again (each distinct path once) and counts the missing ones. Right
  // after a collection its path cache answers instead of the disk.
  void UpdateResolvedPaths(bool fromCollection = false);
  void UpdateStatusLine(const brantic::String& message);
  // Lets go of the rows and of the document they came from (the document goes away);
  // probing results still on their way are dropped.
  void ForgetDocument();
  void RefreshTree();
  // Writes a probed row copy back (GUI thread). Only results of the current collection for a
  // row that still exists are taken.
  void StoreProbeResult(uint64_t generation, uint64_t rowIdentity, const KvAssetEntry& probed);

  // The rows of the active document and the lists the tree reads them through.
  KvAssetTable& Assets() { return assets_; }
  const KvAssetTable& Assets() const { return assets_; }
  uint64_t Generation() const { return generation_; }
  int64_t TotalCount() const { return totalCount_; }
  int64_t MissingCount() const { return missingCount_; }
  int32_t SelectedCount() const { return selectedCount_; }
  // Orders the rows for display by the sort column (the rows themselves stay in place).
  void SortRows();
  // Rebuilds the row index list (through the filter bar when it is shown, and the type
  // filter) and groups it by the group mode.
  brantic::Result<void> RebuildViewGroups();
  // Rebuilds the view groups and shows them, with an error note in the status line when
  // that failed.
  void RegroupAndShow();
  // The filter bar's settings as its gadgets hold them now.
  KvFilterBarState ReadFilterBarState() const;
  // Enables the controls that need a selection and rewrites the status line; not quiet,
  // it also tells the host that the selection changed.
  void OnSelectionChanged(bool quiet);
  // Sets a view flag from its command and checks its menu entry.
  void SetViewFlag(int32_t commandId, bool value);
  void SetGroupMode(int32_t groupMode) { view_.groupMode = groupMode; }
  void SetFilterBarShown(bool shown);
  void SetShowSelected(bool on) { showSelected_ = on; }
  bool ShowSelected() const { return showSelected_; }
  // Filter text and column as last stored from the filter bar.
  const brantic::String& StoredFilterText() const { return filterText_; }
  int32_t StoredFilterColumn() const { return filterColumn_; }
  void StoreFilterBarGadgets();
  void RestoreFilterBarGadgets();

  // --- the view state the tree reads and changes
  int32_t SortColumn() const { return sortColumn_; }
  void SetSortColumn(int32_t column) { sortColumn_ = column; }
  int64_t CurrentRow() const { return currentRow_; }
  int64_t CurrentChild() const { return currentChild_; }
  void SetCurrent(int64_t row, int64_t child) {
    currentRow_ = row;
    currentChild_ = child;
  }
  // Makes the row at `position` of the row index list the current one: in grouped views its
  // group, and its place in the group when the group shows its members.
  void SetCurrentToPosition(int64_t position);
  void SetSelectedCount(int32_t count) { selectedCount_ = count < 0 ? 0 : count; }
  int32_t LastDoubleClickColumn() const { return lastDoubleClickColumn_; }
  void SetLastDoubleClickColumn(int32_t column) {
    lastDoubleClickColumn_ = column;
    doubleClickRecorded_ = true;
  }
  // The number of rows in view.
  int64_t ListedCount() const { return int64_t(assets_.rowIndexList.size()); }
  bx3::TreeViewGadget* TreeView() const { return treeView_; }
  AssetPreviewArea& PreviewArea() { return previewArea_; }
  // Shows the selected row in the preview area and its information text beside it.
  void RequestPreview();
  // Whether any member of a view group is selected; remembered until the tree is refreshed.
  bool GroupHasSelection(int64_t group) const;
  // Tells where each row identity now stands (after the rows were reordered).
  void IndexRowIdentities();
  brantic::WeakRef<KestrovaDialog> GetWeakRef() const { return anchor_.GetWeakRef(); }

 private:
  KvAssetTable assets_;
  KvViewSettings view_ = KvViewSettings::Defaults();
  bool lastShownFilterBar_ = false;
  int32_t filterColumn_ = 1;
  brantic::String filterText_;
  // The comparison state of the filter bar: mode, number, second choice, width, height.
  int32_t comparisonMode_ = 0;
  double comparisonNumber_ = 1000.0;
  int32_t comparisonChoice_ = 1;
  int32_t comparisonWidth_ = 1000;
  int32_t comparisonHeight_ = 1000;
  AssetPreviewArea previewArea_;
  bx3::TreeViewGadget* treeView_ = nullptr;
  std::unique_ptr<bx3::TreeViewFunctions> treeFunctions_;
  uint64_t generation_ = 0;
  // The generation whose probing results are still wanted, shared with the probing jobs.
  std::shared_ptr<std::atomic<uint64_t>> liveGeneration_ = std::make_shared<std::atomic<uint64_t>>(0);
  uint64_t nextRowIdentity_ = 1;
  std::vector<int64_t> rowOfIdentity_;  // identity - first identity of the generation -> row
  uint64_t firstIdentity_ = 1;
  int64_t totalCount_ = 0;
  int64_t missingCount_ = 0;
  int32_t selectedCount_ = 0;
  bool treeRefreshPosted_ = false;
  // Running while BuildAssetArray walks the scene: it resolves the new paths on helper
  // threads meanwhile; the rows take their answers once the walk is done.
  KvPathResolver pathResolver_;
  KvPathIndex pathIndex_;  // finds the path cache's entries during the walk
  std::vector<bx3::AssetUse> assetUses_;
  std::vector<const KvPathCacheEntry*> rowPaths_;  // the path each row of the walk uses
  void ResolveInto(const bx3::Filename& documentPath, const bx3::Filename& assetPath, KvPathCacheEntry& entry,
                   bool isBitmapShader) const;
  static void CopyResolution(const KvPathCacheEntry& entry, KvAssetEntry& row);
  // The format texts of the probing results, one string per format for all rows: the rows
  // hold no string of a worker thread's making, and dropping them stays quick.
  std::vector<brantic::String> formatTexts_;
  const brantic::String& SharedFormatText(const brantic::String& text);
  // What the probing jobs of this collection read: the files of its paths, once each.
  std::shared_ptr<KvProbeBatch> MakeProbeBatch() const;
  // What the resolution asks the host for, taken on the GUI thread once per collection:
  // helper threads resolve from these.
  brantic::Result<std::vector<brantic::Url>> searchFolders_ = std::vector<brantic::Url>();
  std::vector<bx3::Filename> paintTextures_;
  bool showSelected_ = false;
  mutable std::unordered_map<int64_t, bool> groupSelection_;
  int32_t sortColumn_ = column::kAsset;
  int64_t currentRow_ = -1;
  int64_t currentChild_ = -1;
  int32_t lastDoubleClickColumn_ = 0;
  bool doubleClickRecorded_ = false;
  brantic::WeakAnchor<KestrovaDialog> anchor_{this};
};

}  // namespace kv
