// The callbacks through which the host's tree view shows the inspector's rows.
#pragma once

#include "bx3/treeview.h"
#include "collection/kvassetentry.h"
#include "view/kvcelltext.h"
#include "view/kvtreeevents.h"

namespace kv {

class KvCollection;
class KvViewState;

// What the callbacks receive: the collection as root, the view state as user data.
namespace tree {
inline KvCollection& Collection(void* root) { return *static_cast<KvCollection*>(root); }
inline KvViewState& View(void* userData) { return *static_cast<KvViewState*>(userData); }
}  // namespace tree

// Item handles: (position + 1) << 16 | child number. The position is a row of the row index
// list without grouping, a group with grouping; child 0 is the row or group row itself.
inline constexpr bx3::TreeItem MakeItem(int64_t position, int64_t child) {
  return (bx3::TreeItem(position + 1) << 16) | bx3::TreeItem(child & 0xffff);
}
inline constexpr int64_t ItemPosition(bx3::TreeItem item) { return int64_t(item >> 16) - 1; }
inline constexpr int64_t ItemChild(bx3::TreeItem item) { return int64_t(item & 0xffff); }

// The callbacks receive the collection as root and the view state as user data. They
// keep nothing between calls but the one-shot flag that asks for an undecorated item text.
class KvTreeFunctions : public bx3::TreeViewFunctions {
 public:
  // `events` (may be null: nothing is edited or shown then) carries out what the user asks.
  explicit KvTreeFunctions(KvTreeEvents* events = nullptr) : events_(events) {}

  bx3::TreeItem FirstItem(void* root, void* userData) override;
  bx3::TreeItem FirstChildItem(void* root, void* userData, bx3::TreeItem item) override;
  bx3::TreeItem NextItem(void* root, void* userData, bx3::TreeItem item) override;
  int32_t CellContentWidth(void* root, void* userData, bx3::TreeItem item, int32_t column,
                           bx3::GeUserArea* area) override;
  int32_t HeaderWidth(void* root, void* userData, int32_t column, bx3::GeUserArea* area) override;
  int32_t RowHeight(void*, void*, bx3::TreeItem, int32_t, bx3::GeUserArea* area) override;
  void RenderCell(void* root, void* userData, bx3::TreeItem item, int32_t column, bx3::TreeDrawInfo& info,
                  bx3::Rgb background) override;
  bool RenderHeaderCell(void* root, void* userData, int32_t column, bx3::TreeDrawInfo& info) override;
  bool ItemSelected(void* root, void* userData, bx3::TreeItem item) override;
  bool ItemOpen(void* root, void* userData, bx3::TreeItem item) override;
  // Folding is done by the module's own fold arrow.
  void SetOpen(void*, void*, bx3::TreeItem, bool) override {}
  brantic::String ItemText(void* root, void* userData, bx3::TreeItem item) override;
  brantic::String CellTooltip(void* root, void* userData, bx3::TreeItem item, int32_t column, bx3::GeUserArea* area,
                              int32_t width) override;
  int64_t ItemKey(void*, void*, bx3::TreeItem item) override { return item ? int64_t(item) : -1; }
  // Nothing can be dragged.
  int32_t DragKind(void*, void*, bx3::TreeItem) override { return -1; }
  int32_t SortArrow(void* root, void* userData, int32_t column) override;
  bool HeaderClicked(void* root, void* userData, int32_t column, int32_t button, bool doubleClick) override;

  // --- the user's input
  void ChangeSelection(void* root, void* userData, bx3::TreeItem item, int32_t mode) override;
  bool CellMouseDown(void* root, void* userData, bx3::TreeItem item, int32_t column, const bx3::TreeMouseInfo& mouse,
                     bool right) override;
  bool CellDoubleClick(void* root, void* userData, bx3::TreeItem item, int32_t column,
                       const bx3::TreeMouseInfo& mouse) override;
  void ApplyEditedText(void* root, void* userData, bx3::TreeItem item, const brantic::String& text) override;
  void BuildContextMenu(void* root, void* userData, bx3::TreeItem item, int32_t column,
                        bx3::ContextMenu& menu) override;
  bool RunContextCommand(void* root, void* userData, bx3::TreeItem item, int32_t column, int32_t command) override;

  // The next ItemText answers without group decoration (set when a double click is handed
  // back to the host for editing).
  void SetUndecoratedOnce() { undecoratedOnce_ = 1; }

  // The record an item stands for, or null; the group's member count (0 flat) in `members`.
  static const KvAssetEntry* Resolve(const KvCollection& collection, const KvViewState& view, bx3::TreeItem item,
                                     int64_t* members = nullptr);
  // Where the item's cells stand in the list (child index, group size, group mode).
  static CellPlace PlaceOf(const KvViewState& view, bx3::TreeItem item, int64_t members, bool undecorated);
  // The header text of a column.
  static brantic::String HeaderText(int32_t column);
  // Whether a child of a record's item is one of its relink candidates.
  static bool IsCandidateRow(const KvAssetEntry& record, int64_t childIndex) {
    return childIndex >= 1 && childIndex <= int64_t(record.relinkCandidates.size());
  }

 private:
  KvTreeEvents* events_;
  uint8_t undecoratedOnce_ = 0;
};

}  // namespace kv
