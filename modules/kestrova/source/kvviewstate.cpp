#include "kvviewstate.h"

#include <algorithm>

#include "kvgroup.h"
#include "kvsort.h"

namespace kv {

void KvViewState::Sort(const std::vector<KvAssetEntry>& rows, const bx3::Document* document) {
  lists_.displayOrder = SortedRowOrder(rows, sortColumn_, document);
}

brantic::Result<void> KvViewState::Rebuild(std::vector<KvAssetEntry>& rows, const bx3::Document* document,
                                           const KvFilterBarState* filterBar) {
  brantic::Result<void> listed;
  if (filterBar) {
    auto filter = KvFilterBarFilter::Create(*filterBar, document);
    if (!filter) {
      lists_.rowIndexList.clear();
      lists_.viewGroups.clear();
      return filter.GetError();
    }
    listed = BuildRowIndexList(rows, lists_, settings_, &*filter);
    // Rows the filter bar hides lose their selection.
    int32_t selected = 0;
    for (const KvAssetEntry& row : rows) selected += row.selected ? 1 : 0;
    selectedCount_ = selected;
  } else {
    listed = BuildRowIndexList(rows, lists_, settings_, nullptr);
  }
  if (!listed) return listed;
  return GroupRows(rows, lists_, settings_.groupMode, document);
}

void KvViewState::Reset() {
  lists_ = KvViewLists();
  selectedCount_ = 0;
  SetCurrent(-1, -1);
  groupSelection_.clear();
}

void KvViewState::SetCurrentToPosition(int64_t position) {
  if (!Grouped()) {
    SetCurrent(position, -1);
    return;
  }
  // Each group holds its positions in ascending order.
  for (size_t group = 0; group < lists_.viewGroups.size(); ++group) {
    const std::vector<int64_t>& members = lists_.viewGroups[group];
    const auto found = std::lower_bound(members.begin(), members.end(), position);
    if (found != members.end() && *found == position) {
      SetCurrent(int64_t(group), members.size() >= 2 ? int64_t(found - members.begin()) : -1);
      return;
    }
  }
  SetCurrent(-1, -1);
}

const KvAssetEntry* KvViewState::CurrentRecord(const std::vector<KvAssetEntry>& rows, bool& groupRow) const {
  groupRow = false;
  if (currentRow_ < 0) return nullptr;
  const auto rowAt = [&](int64_t position) -> const KvAssetEntry* {
    const int64_t index = lists_.rowIndexList[size_t(position)];
    return index >= 0 && index < int64_t(rows.size()) ? &rows[size_t(index)] : nullptr;
  };
  if (!Grouped()) return currentRow_ < ListedCount() ? rowAt(currentRow_) : nullptr;
  if (currentRow_ >= int64_t(lists_.viewGroups.size())) return nullptr;
  const std::vector<int64_t>& group = lists_.viewGroups[size_t(currentRow_)];
  if (group.empty()) return nullptr;
  const int64_t member = currentChild_ < 0 ? 0 : std::min(currentChild_, int64_t(group.size()) - 1);
  groupRow = currentChild_ == -1 && group.size() >= 2;
  return rowAt(group[size_t(member)]);
}

KvViewState::CurrentAsset KvViewState::FindCurrentAsset(const std::vector<KvAssetEntry>& rows) const {
  const int64_t count = Grouped() ? int64_t(lists_.viewGroups.size()) : ListedCount();
  if (currentRow_ < 0 || count == 0) return {};
  if (currentRow_ >= count) return {CurrentAsset::kPastTheEnd, nullptr};
  bool groupRow = false;
  const KvAssetEntry* row = CurrentRecord(rows, groupRow);
  return row ? CurrentAsset{CurrentAsset::kFound, row} : CurrentAsset{CurrentAsset::kPastTheEnd, nullptr};
}

bool KvViewState::GroupHasSelection(const std::vector<KvAssetEntry>& rows, int64_t group) const {
  if (group < 0 || group >= int64_t(lists_.viewGroups.size())) return false;
  const auto [memo, isNew] = groupSelection_.try_emplace(group, false);
  if (isNew) {
    for (int64_t position : lists_.viewGroups[size_t(group)]) {
      if (rows[size_t(lists_.rowIndexList[size_t(position)])].selected) {
        memo->second = true;
        break;
      }
    }
  }
  return memo->second;
}

}  // namespace kv
