// The inspector window.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "brantic/weakref.h"
#include "bx3/dialog.h"
#include "bx3/document.h"
#include "bx3/treeview.h"
#include "kvassetentry.h"


namespace kv {

// Gadget ids of the inspector window.
inline constexpr int32_t kGadgetMainGroup = 10045;
inline constexpr int32_t kGadgetStatus = 10080;
inline constexpr int32_t kGadgetTree = 10089;
inline constexpr int32_t kGadgetInfo = 10104;

// The one inspector dialog. It lives from registration until the main command is
// destroyed; closing the window keeps it, with its settings and rows.
class KestrovaDialog : public bx3::GeDialog {
 public:
  KestrovaDialog();
  ~KestrovaDialog() override;

  // --- window
  bool CreateLayout() override;
  bool InitValues() override;
  void DestroyWindow() override;
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
  // Resolves every row again and counts the missing ones.
  void UpdateResolvedPaths();
  void UpdateStatusLine(const brantic::String& message);
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
  // Rebuilds the row index list and the view groups (in collection order, grouped by asset).
  void RebuildViewGroups();
  // Tells where each row identity now stands (after the rows were reordered).
  void IndexRowIdentities();
  brantic::WeakRef<KestrovaDialog> GetWeakRef() const { return anchor_.GetWeakRef(); }

 private:
  KvAssetTable assets_;
  bx3::TreeViewGadget* treeView_ = nullptr;
  std::unique_ptr<bx3::TreeViewFunctions> treeFunctions_;
  uint64_t generation_ = 0;
  uint64_t nextRowIdentity_ = 1;
  std::vector<int64_t> rowOfIdentity_;  // identity - first identity of the generation -> row
  uint64_t firstIdentity_ = 1;
  int64_t totalCount_ = 0;
  int64_t missingCount_ = 0;
  int32_t selectedCount_ = 0;
  bool treeRefreshPosted_ = false;
  brantic::WeakAnchor<KestrovaDialog> anchor_{this};
};

}  // namespace kv
