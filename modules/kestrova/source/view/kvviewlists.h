// The lists the tree reads the rows through: their order, the listed rows and their groups.
#pragma once

#include <cstdint>
#include <vector>

namespace kv {

struct KvViewLists {
  // The rows' sorted order (indexes into the rows); the rows themselves stay where the
  // collection put them. Empty: their own order.
  std::vector<uint32_t> displayOrder;
  // Indexes into the rows, one per listed row in display order.
  std::vector<int64_t> rowIndexList;
  // Each group: positions in `rowIndexList`.
  std::vector<std::vector<int64_t>> viewGroups;
};

}  // namespace kv
