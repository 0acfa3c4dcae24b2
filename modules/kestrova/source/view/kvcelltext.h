// The texts of the inspector's cells. Drawing, tooltips, column widths, editing, sorting and
// filtering all use these, so a cell shows, sizes, sorts and edits by the same text.
#pragma once

#include <cstdint>
#include <string>

#include "brantic/string.h"
#include "collection/kvassetentry.h"
#include "collection/kvrowtext.h"

namespace bx3 {
class Document;
}

namespace kv {

// The column that a group mode groups by; 0 without grouping.
int32_t GroupingColumn(int32_t groupMode);

// Where a cell stands: the child index is -1 for a row or group row, 0.. for the members of a
// group; `members` is the size of the row's group (0 without grouping).
struct CellPlace {
  int64_t childIndex = -1;
  int64_t members = 0;
  int32_t groupMode = 0;
  bool undecorated = false;

  bool IsGroupRow() const { return childIndex == -1 && members > 1; }
};

// The text of one cell; the "none" text without a record.
brantic::String CellText(const bx3::Document* document, const KvAssetEntry* record, int32_t column,
                         const CellPlace& place);

}  // namespace kv
