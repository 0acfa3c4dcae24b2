// The selection: which rows are selected and which row is current. A row carries its own mark
// (rows are plain values, copied whole); this object is the one place that sets the marks, so
// its count is the number of marked rows by construction.
#pragma once

#include <cstdint>
#include <vector>

#include "kvassetentry.h"

namespace kv {

class KvSelection {
 public:
  int32_t Count() const { return count_; }
  // Marks or unmarks a row; true when that changed it.
  bool Set(KvAssetEntry& row, bool selected);
  bool Select(KvAssetEntry& row) { return Set(row, true); }
  bool Deselect(KvAssetEntry& row) { return Set(row, false); }
  bool Toggle(KvAssetEntry& row) { return Set(row, !row.selected); }
  // Unmarks the rows at `indexes` (all rows when null) and forgets the current row.
  void Clear(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>* indexes = nullptr);
  // Counts the marks of rows that were made anew (a new collection).
  void Recount(const std::vector<KvAssetEntry>& rows);

  // The current row: a position of the row index list without grouping, a group with
  // grouping; the child is the member of the group (-1: the row or group row itself).
  int64_t CurrentRow() const { return currentRow_; }
  int64_t CurrentChild() const { return currentChild_; }
  void SetCurrent(int64_t row, int64_t child) {
    currentRow_ = row;
    currentChild_ = child;
  }

 private:
  int32_t count_ = 0;
  int64_t currentRow_ = -1;
  int64_t currentChild_ = -1;
};

}  // namespace kv
