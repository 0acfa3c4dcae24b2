#include "view/kvselection.h"

#include <functional>

#include "view/kvviewstate.h"

namespace kv {

bool KvSelection::Set(KvAssetEntry& row, bool selected) {
  if (bool(row.selected) == selected) return false;
  row.selected = selected ? 1 : 0;
  count_ += selected ? 1 : -1;
  return true;
}

void KvSelection::Clear(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>* indexes) {
  if (indexes) {
    for (const int64_t index : *indexes) Deselect(rows[size_t(index)]);
  } else {
    for (KvAssetEntry& row : rows) Deselect(row);
  }
  SetCurrent(-1, -1);
}

void KvSelection::Recount(const std::vector<KvAssetEntry>& rows) {
  count_ = 0;
  for (const KvAssetEntry& row : rows) count_ += row.selected ? 1 : 0;
}

KvUseIdentity KvUseIdentity::Of(const KvAssetEntry& row) {
  KvUseIdentity identity;
  identity.owner = row.ownerLink.GetUid();
  identity.ownerMain = row.ownerMainLink.GetUid();
  identity.take = row.takeLink.GetUid();
  identity.parameterId = row.parameterId;
  identity.hostParameter = row.hostDescId.IsEmpty() ? 0 : row.hostDescId.First().id;
  identity.nodeSpace = row.nodeSpace;
  identity.nodePath = row.nodePath.Text();
  return identity;
}

bool KvUseIdentity::IsOf(const KvAssetEntry& row) const {
  return row.ownerLink.GetUid() == owner && row.ownerMainLink.GetUid() == ownerMain && row.takeLink.GetUid() == take &&
         row.parameterId == parameterId &&
         (row.hostDescId.IsEmpty() ? 0 : row.hostDescId.First().id) == hostParameter && row.nodeSpace == nodeSpace &&
         row.nodePath.Text() == nodePath;
}

size_t KvUseIdentityHash::operator()(const KvUseIdentity& identity) const {
  size_t hash = std::hash<uint64_t>()(identity.owner);
  const auto mix = [&hash](size_t value) { hash ^= value + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2); };
  mix(std::hash<uint64_t>()(identity.ownerMain));
  mix(std::hash<uint64_t>()(identity.take));
  mix(std::hash<int64_t>()(int64_t(identity.parameterId) << 32 | uint32_t(identity.hostParameter)));
  if (!identity.nodePath.IsEmpty()) mix(brantic::StringHash()(identity.nodePath));
  return hash;
}

KvViewMemory KvViewMemory::Take(const std::vector<KvAssetEntry>& rows, const KvViewState& view) {
  KvViewMemory memory = TakeCurrent(rows, view);
  for (const KvAssetEntry& row : rows) {
    const uint8_t marks = uint8_t((row.selected ? kSelected : 0) | (row.opened ? kOpened : 0));
    if (marks != 0) memory.marks_[KvUseIdentity::Of(row)] |= marks;
  }
  return memory;
}

KvViewMemory KvViewMemory::TakeCurrent(const std::vector<KvAssetEntry>& rows, const KvViewState& view) {
  KvViewMemory memory;
  bool groupRow = false;
  if (const KvAssetEntry* current = view.CurrentRecord(rows, groupRow)) {
    memory.current_ = KvUseIdentity::Of(*current);
    memory.currentIsGroupRow_ = groupRow;
  }
  return memory;
}

int32_t KvViewMemory::RestoreMarks(std::vector<KvAssetEntry>& rows) const {
  int32_t selected = 0;
  if (marks_.empty()) return selected;
  for (KvAssetEntry& row : rows) {
    const auto found = marks_.find(KvUseIdentity::Of(row));
    if (found == marks_.end()) continue;
    row.selected = (found->second & kSelected) ? 1 : 0;
    row.opened = (found->second & kOpened) ? 1 : 0;
    selected += row.selected;
  }
  return selected;
}

void KvViewMemory::RestoreCurrent(const std::vector<KvAssetEntry>& rows, KvViewState& view) const {
  view.SetCurrent(-1, -1);
  if (!current_) return;
  const std::vector<int64_t>& listed = view.Lists().rowIndexList;
  for (size_t position = 0; position < listed.size(); ++position) {
    if (!current_->IsOf(rows[size_t(listed[position])])) continue;
    view.SetCurrentToPosition(int64_t(position));
    if (currentIsGroupRow_ && view.Grouped()) view.SetCurrent(view.CurrentRow(), -1);
    return;
  }
}

}  // namespace kv
