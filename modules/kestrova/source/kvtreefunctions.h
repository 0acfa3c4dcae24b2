// The callbacks through which the host's tree view shows the inspector's rows.
#pragma once

#include "bx3/treeview.h"
#include "kvassetentry.h"

namespace kv {

class KestrovaDialog;

// Item handles: (position + 1) << 16 | child number. The position is a row of the row index
// list without grouping, a group with grouping; child 0 is the row or group row itself.
inline constexpr bx3::TreeItem MakeItem(int64_t position, int64_t child) {
  return (bx3::TreeItem(position + 1) << 16) | bx3::TreeItem(child & 0xffff);
}
inline constexpr int64_t ItemPosition(bx3::TreeItem item) { return int64_t(item >> 16) - 1; }
inline constexpr int64_t ItemChild(bx3::TreeItem item) { return int64_t(item & 0xffff); }

// The callbacks receive the dialog's asset table as root and the dialog as user data.
class KvTreeFunctions : public bx3::TreeViewFunctions {
 public:
  bx3::TreeItem FirstItem(void* root, void* userData) override;
  bx3::TreeItem FirstChildItem(void* root, void* userData, bx3::TreeItem item) override;
  bx3::TreeItem NextItem(void* root, void* userData, bx3::TreeItem item) override;
  bool ItemOpen(void* root, void* userData, bx3::TreeItem item) override;
  bool ItemSelected(void* root, void* userData, bx3::TreeItem item) override;
  int32_t RowHeight(void*, void*, bx3::TreeItem, int32_t, bx3::GeUserArea* area) override;
  int32_t HeaderWidth(void* root, void* userData, int32_t column, bx3::GeUserArea* area) override;
  bool RenderHeaderCell(void* root, void* userData, int32_t column, bx3::TreeDrawInfo& info) override;
  void RenderCell(void* root, void* userData, bx3::TreeItem item, int32_t column, bx3::TreeDrawInfo& info,
                  bx3::Rgb background) override;
  int64_t ItemKey(void*, void*, bx3::TreeItem item) override { return item ? int64_t(item) : -1; }

  // The record an item stands for, or null; the group's member count (0 flat) in `members`.
  static const KvAssetEntry* Resolve(const KvAssetTable& table, const KestrovaDialog& dialog, bx3::TreeItem item,
                                     int64_t* members = nullptr);
  // The plain text of a cell (group rows carry the count of their members in their column).
  static brantic::String CellText(const KestrovaDialog& dialog, const KvAssetEntry& record, int32_t column,
                                  int64_t childIndex, int64_t members);
};

}  // namespace kv
