// The tree view gadget and the callbacks it asks for everything. Main thread only.
//
// The gadget keeps no data of its own: items are 64-bit handles that the callbacks hand out
// (0 is no item); every callback receives the root and user data the dialog registered.
#pragma once

#include <cstdint>
#include <vector>

#include "bx3/canvas.h"
#include "bx3/container.h"
#include "bx3/userarea.h"

namespace bx3 {

using TreeItem = uint64_t;

// Column type of a column drawn by the callbacks.
inline constexpr int32_t kTreeColumnUser = FourCC("user");

// Selection modes of ChangeSelection.
enum SelectionMode : int32_t { kSelectReplace = 0, kSelectAdd = 1, kSelectRemove = 2 };

// Settings of the gadget (a container of bools under these keys).
namespace treesetting {
inline constexpr int32_t kHeader = FourCC("tvhh");
inline constexpr int32_t kFixedLayout = FourCC("tvfl");
inline constexpr int32_t kResizableHeader = FourCC("tvrh");
inline constexpr int32_t kMovableColumns = FourCC("tvmc");
inline constexpr int32_t kAlternateBackground = FourCC("tvab");
inline constexpr int32_t kBorder = FourCC("brdr");
}  // namespace treesetting

// Context menu entries: the two standard entries the gadget adds, and the marker that
// disables an entry when appended to its text.
inline constexpr int32_t kTreeMenuExpandAll = 900000;
inline constexpr int32_t kTreeMenuCollapseAll = 900001;
inline constexpr const char* kMenuDisabledMarker = "&d&";

// The entries of a context menu, in order. Separators are entries with id 0.
class ContextMenu {
 public:
  struct Entry {
    int32_t id;
    brantic::String text;
  };
  void Add(int32_t id, const brantic::String& text) { entries_.push_back({id, text}); }
  void AddSeparator() { entries_.push_back({0, {}}); }
  bool Remove(int32_t id) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->id == id) {
        entries_.erase(it);
        return true;
      }
    }
    return false;
  }
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// Where a cell or header is drawn. `area` draws into the gadget.
struct TreeDrawInfo {
  GeUserArea* area = nullptr;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t flags = 0;  // bit 0: the alternate row background
};

struct TreeMouseInfo {
  int32_t x = 0, y = 0;   // relative to the cell's left and top
  int32_t qualifier = 0;  // input::kQualifierControl etc.
};

class TreeViewFunctions {
 public:
  virtual ~TreeViewFunctions() = default;

  virtual TreeItem FirstItem(void* root, void* userData) = 0;
  virtual TreeItem FirstChildItem(void* root, void* userData, TreeItem item) = 0;
  virtual TreeItem NextItem(void* root, void* userData, TreeItem item) = 0;
  virtual int32_t CellContentWidth(void*, void*, TreeItem, int32_t /*column*/, GeUserArea*) { return 0; }
  virtual int32_t HeaderWidth(void*, void*, int32_t /*column*/, GeUserArea*) { return 0; }
  virtual int32_t RowHeight(void*, void*, TreeItem, int32_t /*column*/, GeUserArea*) { return 0; }
  virtual void RenderCell(void*, void*, TreeItem, int32_t /*column*/, TreeDrawInfo&, Rgb /*background*/) {}
  virtual bool RenderHeaderCell(void*, void*, int32_t /*column*/, TreeDrawInfo&) { return false; }
  virtual bool ItemSelected(void*, void*, TreeItem) { return false; }
  virtual void ChangeSelection(void*, void*, TreeItem, int32_t /*mode*/) {}
  virtual bool ItemOpen(void*, void*, TreeItem) { return false; }
  virtual void SetOpen(void*, void*, TreeItem, bool /*open*/) {}
  virtual brantic::String ItemText(void*, void*, TreeItem) { return {}; }
  virtual void ApplyEditedText(void*, void*, TreeItem, const brantic::String&) {}
  virtual brantic::String CellTooltip(void*, void*, TreeItem, int32_t /*column*/, GeUserArea*, int32_t /*width*/) {
    return {};
  }
  virtual int64_t ItemKey(void*, void*, TreeItem item) { return int64_t(item); }
  virtual int32_t DragKind(void*, void*, TreeItem) { return -1; }
  virtual void BuildContextMenu(void*, void*, TreeItem, int32_t /*column*/, ContextMenu& /*menu*/) {}
  virtual bool RunContextCommand(void*, void*, TreeItem, int32_t /*column*/, int32_t /*command*/) { return false; }
  virtual int32_t SortArrow(void*, void*, int32_t /*column*/) { return 0; }
  virtual bool CellMouseDown(void*, void*, TreeItem, int32_t /*column*/, const TreeMouseInfo&, bool /*right*/) {
    return false;
  }
  virtual bool CellDoubleClick(void*, void*, TreeItem, int32_t /*column*/, const TreeMouseInfo&) { return false; }
  virtual bool HeaderClicked(void*, void*, int32_t /*column*/, int32_t /*button*/, bool /*doubleClick*/) {
    return false;
  }
};

struct TreeColumn {
  int32_t id = 0;
  int32_t type = kTreeColumnUser;
  int32_t width = 0;  // 0: sized by the callbacks
  bool operator==(const TreeColumn&) const = default;
};

// The gadget as the dialog sees it.
class TreeViewGadget {
 public:
  virtual ~TreeViewGadget() = default;
  virtual void SetRoot(void* root, TreeViewFunctions* functions, void* userData) = 0;
  virtual void SetLayout(const std::vector<TreeColumn>& columns) = 0;
  // The columns in the order and widths the user arranged.
  virtual std::vector<TreeColumn> GetLayout() const = 0;
  // The rows changed: walks the list again and redraws.
  virtual void Refresh() = 0;
  // Only what the rows show changed: redraws the rows in view.
  virtual void RedrawRows() = 0;
  virtual void ScrollTo(TreeItem item) = 0;
};

// A column layout stored in a container: count under 0, then id and width pairs.
Container ColumnLayoutToContainer(const std::vector<TreeColumn>& columns);
std::vector<TreeColumn> ColumnLayoutFromContainer(const Container& layout);

}  // namespace bx3
