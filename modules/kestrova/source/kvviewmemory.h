// What the user made of the list (the selected rows, the open groups, the current row), kept
// across a new collection by the use each row stands for, never by its place: a sort, a
// refresh or a changed path leaves the same uses selected.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "brantic/nodes.h"
#include "bx3/element.h"
#include "kvassetentry.h"

namespace kv {

class KvViewState;

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
