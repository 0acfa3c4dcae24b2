// The inspector window's operations on the paths of its rows.
#include "bx3/commands.h"
#include "kvdialog.h"
#include "kvids.h"
#include "kvlocalize.h"

namespace kv {

bool KestrovaDialog::Localize(bx3::Document* document) {
  if (!document) return false;
  collection_.ClearPathCache();
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  const std::vector<KvPathMark> marks = MarkRowsToLocalize(rows, view_.SelectedCount() > 0, *document);
  if (!marks.empty()) {
    WriteMarkedRows(rows, marks, *document);
    if (view_.GroupMode() == kGroupByAsset && !RebuildViewGroups()) return false;
    RefreshTree();
    UpdateResolvedPaths();
    OnSelectionChanged(false);
  }
  bx3::EventAdd();
  return true;
}

}  // namespace kv
