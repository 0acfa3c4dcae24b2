// Gathering the listed rows into the groups of a group mode.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/result.h"
#include "brantic/string.h"
#include "collection/kvassetentry.h"

namespace bx3 {
class Document;
}

namespace kv {

struct KvViewLists;

// The key of a row in a group mode.
brantic::String GroupKey(const KvAssetEntry& row, int32_t groupMode, const bx3::Document* document);
// Gathers the row index list into groups, in the order of each group's first row.
brantic::Result<void> GroupRows(const std::vector<KvAssetEntry>& rows, KvViewLists& lists, int32_t groupMode,
                                const bx3::Document* document);

}  // namespace kv
