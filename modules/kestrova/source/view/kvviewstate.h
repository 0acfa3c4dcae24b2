// What the tree shows of the rows and how: their order, which are listed, their groups, the
// sort column, the stored filter bar, the selection count, the current row and the view
// settings. The tree functions and the commands read and change the view through it; the
// rows themselves belong to the collection.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "brantic/result.h"
#include "brantic/string.h"
#include "collection/kvassetentry.h"
#include "ids/kvids.h"
#include "view/kvfilter.h"
#include "view/kvselection.h"
#include "view/kvviewlists.h"
#include "view/kvviewsettings.h"

namespace bx3 {
class Document;
}

namespace kv {

// The filter bar's last values, kept while the bar is hidden and between openings.
struct KvFilterBarMemory {
  int32_t column = kFilterAsset;
  brantic::String text;
  // The comparison state: mode, number, second choice, width, height.
  int32_t comparisonMode = 0;
  double comparisonNumber = 1000.0;
  int32_t comparisonChoice = 1;
  int32_t comparisonWidth = 1000;
  int32_t comparisonHeight = 1000;
};

// The selection commands over the listed rows.
enum class KvSelectWhich { All, None, Missing, Active, Invert };

class KvViewState {
 public:
  KvViewSettings& Settings() { return settings_; }
  const KvViewSettings& Settings() const { return settings_; }
  int32_t GroupMode() const { return settings_.groupMode; }
  bool Grouped() const { return settings_.groupMode != kGroupNone; }
  KvViewLists& Lists() { return lists_; }
  const KvViewLists& Lists() const { return lists_; }
  KvFilterBarMemory& FilterBar() { return filterBar_; }
  // The number of rows listed.
  int64_t ListedCount() const { return int64_t(lists_.rowIndexList.size()); }

  // Orders the rows for display by the sort column (the rows themselves stay in place).
  void Sort(const std::vector<KvAssetEntry>& rows, const bx3::Document* document);
  // Lists the rows that pass the type filter and the filter bar (when given; the rows it
  // drops lose their selection, and the selection is counted again) and groups them.
  brantic::Result<void> Rebuild(std::vector<KvAssetEntry>& rows, const bx3::Document* document,
                                const KvFilterBarState* filterBar);
  // Nothing listed, selected or current.
  void Reset();
  // A selection command over the listed rows (rows filtered out keep their marks). All,
  // Invert and Active make the first row they select that has a file the current one; the
  // others leave none current. `document` decides which elements are active.
  void SelectListed(std::vector<KvAssetEntry>& rows, KvSelectWhich which, const bx3::Document* document);

  int32_t SortColumn() const { return sortColumn_; }
  void SetSortColumn(int32_t column) { sortColumn_ = column; }
  // The selection: the one place that marks rows selected and says which is current.
  KvSelection& Selection() { return selection_; }
  const KvSelection& Selection() const { return selection_; }
  int32_t SelectedCount() const { return selection_.Count(); }
  bool ShowSelected() const { return showSelected_; }
  void SetShowSelected(bool on) { showSelected_ = on; }

  int64_t CurrentRow() const { return selection_.CurrentRow(); }
  int64_t CurrentChild() const { return selection_.CurrentChild(); }
  void SetCurrent(int64_t row, int64_t child) { selection_.SetCurrent(row, child); }
  // Makes the row at `position` of the row index list the current one: in grouped views its
  // group, and its place in the group when the group shows its members.
  void SetCurrentToPosition(int64_t position);
  // The record of the current row (a group's first member, or its current one), or null;
  // `groupRow` tells whether it stands for a whole group.
  const KvAssetEntry* CurrentRecord(const std::vector<KvAssetEntry>& rows, bool& groupRow) const;

  // The current asset as the file and manager commands find it: none, a position past the
  // end of the list, or a row.
  struct CurrentAsset {
    enum State { kNone, kPastTheEnd, kFound } state = kNone;
    const KvAssetEntry* row = nullptr;
  };
  CurrentAsset FindCurrentAsset(const std::vector<KvAssetEntry>& rows) const;

  // Whether any member of a view group is selected; remembered until ForgetGroupSelection.
  bool GroupHasSelection(const std::vector<KvAssetEntry>& rows, int64_t group) const;
  void ForgetGroupSelection() { groupSelection_.clear(); }

  // The column of the last double click, which the next item text is asked for.
  int32_t LastDoubleClickColumn() const { return lastDoubleClickColumn_; }
  void SetLastDoubleClickColumn(int32_t column) { lastDoubleClickColumn_ = column; }

 private:
  KvViewSettings settings_ = KvViewSettings::Defaults();
  KvViewLists lists_;
  KvFilterBarMemory filterBar_;
  int32_t sortColumn_ = column::kAsset;
  KvSelection selection_;
  bool showSelected_ = false;
  mutable std::unordered_map<int64_t, bool> groupSelection_;
  int32_t lastDoubleClickColumn_ = 0;
};

}  // namespace kv
