// The order of the inspector's rows by a column.
#pragma once

#include <cstdint>
#include <vector>

#include "collection/kvassetentry.h"

namespace bx3 {
class Document;
}

namespace kv {

// The order of the rows by a signed column id (negative: descending), as indices into
// `rows`. Rows whose layer or element no longer resolves come last when sorting by that column.
// Rows that sort alike keep their collection order, in both directions, so the order is the
// same however many parts (`parts`; 0: as many as the machine has cores, up to 4, for long
// lists) the rows are sorted in.
std::vector<uint32_t> SortedRowOrder(const std::vector<KvAssetEntry>& rows, int32_t sortColumn,
                                     const bx3::Document* document, size_t parts = 0);
// Puts the rows themselves into that order.
void SortAssetRows(std::vector<KvAssetEntry>& rows, int32_t sortColumn, const bx3::Document* document);

}  // namespace kv
