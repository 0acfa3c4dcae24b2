// The selection: which rows are selected and which row is current. A row carries its own mark
// (rows are plain values, copied whole); this object is the one place that sets the marks, so
// its count is the number of marked rows by construction.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "brantic/nodes.h"
#include "bx3/element.h"
#include "collection/kvassetentry.h"

namespace kv {

class KvViewState;

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

// --- what the user made of the list, kept across a new collection
// One use of a file: the element that uses it (and the element it is listed under), the
// parameter, the node and the take. The path is not part of it: a row whose path changed is
// the same use.
struct KvUseIdentity {
  bx3::ElementUid owner = 0;
  bx3::ElementUid ownerMain = 0;
  bx3::ElementUid take = 0;
  int32_t parameterId = -1;
  int32_t hostParameter = 0;
  brantic::Id nodeSpace;
  brantic::String nodePath;

  static KvUseIdentity Of(const KvAssetEntry& row);
  // The same as Of(row) == *this, without copying anything.
  bool IsOf(const KvAssetEntry& row) const;
  bool operator==(const KvUseIdentity&) const = default;
};

struct KvUseIdentityHash {
  size_t operator()(const KvUseIdentity& identity) const;
};

class KvViewMemory {
 public:
  // Remembers the selected and open rows of `rows` and the current row of `view`.
  static KvViewMemory Take(const std::vector<KvAssetEntry>& rows, const KvViewState& view);
  // Remembers the current row only (the rows stay, with their marks).
  static KvViewMemory TakeCurrent(const std::vector<KvAssetEntry>& rows, const KvViewState& view);
  bool IsEmpty() const { return marks_.empty() && !current_; }

  // Marks the rows of the remembered uses selected and open again; answers how many are
  // selected. Called before the rows are listed, so that a filter sees the selection.
  int32_t RestoreMarks(std::vector<KvAssetEntry>& rows) const;
  // Makes the remembered current use the current row again (after the rows were listed);
  // no current row when its use is gone or no longer listed.
  void RestoreCurrent(const std::vector<KvAssetEntry>& rows, KvViewState& view) const;

 private:
  static constexpr uint8_t kSelected = 1;
  static constexpr uint8_t kOpened = 2;
  std::unordered_map<KvUseIdentity, uint8_t, KvUseIdentityHash> marks_;
  std::optional<KvUseIdentity> current_;
  bool currentIsGroupRow_ = false;
};

}  // namespace kv
