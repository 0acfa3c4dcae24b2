#include "view/kvviewstate.h"

#include <algorithm>

#include "bx3/document.h"
#include "view/kvgroup.h"
#include "view/kvsort.h"

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
    // Rows the filter bar hides lose their selection.
    listed = BuildRowIndexList(rows, lists_, settings_, &*filter, &selection_);
  } else {
    listed = BuildRowIndexList(rows, lists_, settings_, nullptr, &selection_);
  }
  if (!listed) return listed;
  return GroupRows(rows, lists_, settings_.groupMode, document);
}

void KvViewState::Reset() {
  lists_ = KvViewLists();
  selection_ = KvSelection();
  groupSelection_.clear();
}

namespace {

// The element whose active state decides whether Select Active selects a row.
const bx3::Element* DecidingElement(const KvAssetEntry& row, const bx3::Document* document) {
  const bx3::Element* main = row.ownerMainLink.Resolve(document);
  const bx3::Element* owner = row.ownerLink.Resolve(document);
  if (main && main->IsInstanceOf(bx3::type::kMaterialBase)) return main;
  if (owner && IsDescribedOwnType(*owner)) return owner;
  return main ? main : owner;
}

}  // namespace

void KvViewState::SelectListed(std::vector<KvAssetEntry>& rows, KvSelectWhich which, const bx3::Document* document) {
  if (which != KvSelectWhich::All) selection_.SetCurrent(-1, -1);
  const std::vector<int64_t>& listed = lists_.rowIndexList;
  for (size_t position = 0; position < listed.size(); ++position) {
    KvAssetEntry& row = rows[size_t(listed[position])];
    bool on = false;
    switch (which) {
      case KvSelectWhich::All: on = true; break;
      case KvSelectWhich::None: WithdrawProposal(row); break;
      case KvSelectWhich::Missing: on = row.IsMissing(); break;
      case KvSelectWhich::Active: {
        const bx3::Element* deciding = DecidingElement(row, document);
        on = deciding && document && document->IsActive(deciding);
        break;
      }
      case KvSelectWhich::Invert: on = !row.selected; break;
    }
    const bool changed = selection_.Set(row, on);
    const bool makesCurrent = which == KvSelectWhich::Active                                  ? on
                              : which == KvSelectWhich::All || which == KvSelectWhich::Invert ? changed && on
                                                                                              : false;
    if (makesCurrent && CurrentRow() == -1 && !row.IsMissing() && !row.IsUnreachable()) {
      SetCurrentToPosition(int64_t(position));
    }
  }
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
  if (CurrentRow() < 0) return nullptr;
  const auto rowAt = [&](int64_t position) -> const KvAssetEntry* {
    const int64_t index = lists_.rowIndexList[size_t(position)];
    return index >= 0 && index < int64_t(rows.size()) ? &rows[size_t(index)] : nullptr;
  };
  if (!Grouped()) return CurrentRow() < ListedCount() ? rowAt(CurrentRow()) : nullptr;
  if (CurrentRow() >= int64_t(lists_.viewGroups.size())) return nullptr;
  const std::vector<int64_t>& group = lists_.viewGroups[size_t(CurrentRow())];
  if (group.empty()) return nullptr;
  const int64_t member = CurrentChild() < 0 ? 0 : std::min(CurrentChild(), int64_t(group.size()) - 1);
  groupRow = CurrentChild() == -1 && group.size() >= 2;
  return rowAt(group[size_t(member)]);
}

KvViewState::CurrentAsset KvViewState::FindCurrentAsset(const std::vector<KvAssetEntry>& rows) const {
  const int64_t count = Grouped() ? int64_t(lists_.viewGroups.size()) : ListedCount();
  if (CurrentRow() < 0 || count == 0) return {};
  if (CurrentRow() >= count) return {CurrentAsset::kPastTheEnd, nullptr};
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
