#include "kvselection.h"

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

}  // namespace kv
