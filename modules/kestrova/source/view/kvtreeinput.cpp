// The tree's answers to the user: selection, the fold arrows, double clicks, in-place edits
// and the context menu.
#include <algorithm>

#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/services.h"
#include "collection/kvcollection.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "view/kvtreefunctions.h"
#include "view/kvviewstate.h"

namespace kv {

namespace {

// The fold arrow is this many pixels wide from the cell's left edge.
constexpr int32_t kFoldArrowWidth = 12;

// The host's command behind each entry that runs one.
int32_t CommandOfEntry(int32_t entry) {
  switch (entry) {
    case kEntryFileInManager: return kCmdOpenFileInManager;
    case kEntryElementInManager: return kCmdOpenElementInManager;
    case kEntrySelectAll: return kCmdSelectAll;
    case kEntryDeselectAll: return kCmdDeselectAll;
    case kEntrySelectMissing: return kCmdSelectMissing;
    case kEntryInvertSelection: return kCmdInvertSelection;
    case kEntryLocalize: return kCmdLocalize;
    case kEntryGlobalize: return kCmdGlobalize;
    case kEntryRelink: return kCmdRelinkTextures;
    case kEntryReplace: return kCmdReplaceTexture;
    case kEntryClear: return kCmdClearAssets;
    case kEntryConsolidate: return kCmdConsolidate;
    default: return 0;
  }
}

using tree::Collection;
using tree::View;

// What an item of the tree stands for.
struct ItemRef {
  KvAssetEntry* record = nullptr;
  int64_t position = -1;    // a row of the row index list, or a group
  int64_t childIndex = -1;  // -1: the row or group row; else the member (or candidate)
  int64_t members = 0;      // the group's size (0 without grouping)
  bool IsGroupRow() const { return childIndex == -1 && members >= 2; }
};

ItemRef Find(KvCollection& collection, const KvViewState& view, bx3::TreeItem item) {
  ItemRef ref;
  ref.record = const_cast<KvAssetEntry*>(KvTreeFunctions::Resolve(collection, view, item, &ref.members));
  ref.position = ItemPosition(item);
  ref.childIndex = ItemChild(item) - 1;
  return ref;
}

// The rows of a group, in its order.
std::vector<KvAssetEntry*> GroupRecords(KvCollection& collection, const KvViewState& view, int64_t group) {
  std::vector<KvAssetEntry*> records;
  const KvViewLists& lists = view.Lists();
  if (group < 0 || group >= int64_t(lists.viewGroups.size())) return records;
  for (int64_t position : lists.viewGroups[size_t(group)]) {
    records.push_back(&collection.Rows()[size_t(lists.rowIndexList[size_t(position)])]);
  }
  return records;
}

// Chooses candidate `candidate` of `record`; the record itself is no longer selected.
void ChooseCandidate(KvSelection& selection, KvAssetEntry& record, int64_t candidate) {
  for (KvRelinkCandidate& entry : record.relinkCandidates) entry.flags &= uint8_t(~kCandidateChosen);
  record.relinkCandidates[size_t(candidate)].flags |= kCandidateChosen;
  selection.Deselect(record);
}

// Selects or deselects the using element in the host (show-selected mode).
void SelectInHost(const KvAssetEntry& record, bx3::Document* document, int32_t mode) {
  bx3::Element* main = record.ownerMainLink.Resolve(document);
  if (!main) return;
  if (main->IsInstanceOf(bx3::type::kMaterialBase)) {
    document->SetActiveMaterial(main, mode);
  } else if (main->IsInstanceOf(bx3::type::kObjectBase)) {
    document->SetActiveObject(main, mode);
    bx3::EventAdd();
  }
}

// A path the scene can hold: it names a file and holds no NUL and no line break.
bool IsWritablePath(std::string_view path) {
  return !path.empty() && path.back() != '/' && path.find_first_of(std::string_view("\0\n\r", 3)) == path.npos;
}

}  // namespace

void KvTreeFunctions::ChangeSelection(void* root, void* userData, bx3::TreeItem item, int32_t mode) {
  if (!root || !userData) return;
  KvCollection& collection = Collection(root);
  KvViewState& view = View(userData);
  const ItemRef ref = Find(collection, view, item);
  if (!ref.record) return;
  KvAssetEntry& record = *ref.record;
  const bool candidate = KvTreeFunctions::IsCandidateRow(record, ref.childIndex);
  // A group row stands for all its members.
  std::vector<KvAssetEntry*> records{&record};
  if (!candidate && ref.IsGroupRow()) records = GroupRecords(collection, view, ref.position);
  KvSelection& selection = view.Selection();

  if (mode == bx3::kSelectReplace) {
    selection.Clear(collection.Rows(), &view.Lists().rowIndexList);
    for (const int64_t index : view.Lists().rowIndexList) WithdrawProposal(collection.Rows()[size_t(index)]);
    if (candidate) {
      ChooseCandidate(selection, record, ref.childIndex - 1);
    } else {
      for (KvAssetEntry* row : records) selection.Select(*row);
      view.SetCurrent(ref.position, ref.childIndex);
    }
  } else if (mode == bx3::kSelectAdd) {
    if (candidate) {
      ChooseCandidate(selection, record, ref.childIndex - 1);
    } else {
      for (KvAssetEntry* row : records) selection.Select(*row);
      if (view.ShowSelected()) SelectInHost(record, collection.ActiveDocument(), bx3::Document::kSelectAdd);
    }
  } else if (mode == bx3::kSelectRemove) {
    if (candidate) {
      record.relinkCandidates[size_t(ref.childIndex - 1)].flags &= uint8_t(~kCandidateChosen);
      selection.Deselect(record);
    } else {
      for (KvAssetEntry* row : records) selection.Deselect(*row);
      if (view.CurrentRow() == ref.position) view.SetCurrent(-1, -1);
      if (view.ShowSelected()) SelectInHost(record, collection.ActiveDocument(), bx3::Document::kSelectRemove);
    }
  }
  bx3::SpecialEventAdd(kMainCommandId, kNotifySelectionChanged);
}

bool KvTreeFunctions::CellMouseDown(void* root, void* userData, bx3::TreeItem item, int32_t column,
                                    const bx3::TreeMouseInfo& mouse, bool) {
  if (!root || !userData || !item) return false;
  KvCollection& collection = Collection(root);
  KvViewState& view = View(userData);
  const ItemRef ref = Find(collection, view, item);
  if (!ref.record) return false;
  const bool control = mouse.qualifier == bx3::input::kQualifierControl;
  if (view.Grouped() && column == GroupingColumn(view.GroupMode()) && ref.childIndex == -1 &&
      mouse.x <= kFoldArrowWidth) {
    if (!control && ref.members >= 2) {
      for (KvAssetEntry* member : GroupRecords(collection, view, ref.position)) member->opened = !member->opened;
      bx3::SpecialEventAdd(kMainCommandId, kNotifyFoldChanged);
      return true;
    }
    if (control) {
      // Opens every group when the clicked one is closed, else closes every group.
      const uint8_t open = ref.record->opened ? 0 : 1;
      for (KvAssetEntry& row : collection.Rows()) row.opened = open;
    }
  }
  view.SetCurrent(ref.position, ref.childIndex);
  return false;
}

bool KvTreeFunctions::CellDoubleClick(void* root, void* userData, bx3::TreeItem item, int32_t column,
                                      const bx3::TreeMouseInfo& mouse) {
  if (!root || !userData) return true;
  KvCollection& collection = Collection(root);
  KvViewState& view = View(userData);
  view.SetLastDoubleClickColumn(column);
  const ItemRef ref = Find(collection, view, item);
  if (!ref.record) return true;
  const bool pathColumn = column == column::kAsset || column == column::kPath;
  if (ref.IsGroupRow() && !(view.GroupMode() == kGroupByAsset && pathColumn)) return true;
  bx3::Document* document = collection.ActiveDocument();
  switch (column) {
    case column::kAssetType:
    case column::kElementType:
    case column::kFormat:
    case column::kResolution:
    case column::kSize:
    case column::kNewPath:
    case column::kStatus:
    case column::kVia:
    case column::kNodeSpace: return true;
    case column::kElement:
      if (mouse.x > kFoldArrowWidth) return false;
      if (events_) events_->ShowInManager(*ref.record, false);
      return true;
    case column::kBreadcrumb:
      if (events_) events_->ShowInManager(*ref.record, true);
      return true;
    case column::kTake: bx3::CallCommand(bx3::kCmdTakeManager); return true;
    case column::kLayer:
      if (!ref.record->layerLink.Resolve(document)) return true;
      break;
    default: break;
  }
  SetUndecoratedOnce();
  return false;
}

void KvTreeFunctions::ApplyEditedText(void* root, void* userData, bx3::TreeItem item, const brantic::String& text) {
  if (text.IsEmpty() || !root || !userData || !events_ || View(userData).LastDoubleClickColumn() == 0) return;
  KvCollection& collection = Collection(root);
  KvViewState& view = View(userData);
  bx3::Document* document = collection.ActiveDocument();
  const ItemRef ref = Find(collection, view, item);
  if (!ref.record || !document) return;
  const int32_t column = view.LastDoubleClickColumn();
  const bool pathColumn = column == column::kAsset || column == column::kPath;
  if (ref.IsGroupRow() && !(view.GroupMode() == kGroupByAsset && pathColumn)) return;
  KvAssetEntry& record = *ref.record;

  const auto rename = [&](bx3::Element* element) {
    if (element) events_->RenameElement(*element, text);
  };
  if (column == column::kLayer) return rename(record.layerLink.Resolve(document));
  if (column == column::kElement) return rename(record.ownerMainLink.Resolve(document));
  if (column == column::kNewPath) {
    if (!record.hasNewPath) return;
    if (KvTreeFunctions::IsCandidateRow(record, ref.childIndex)) {
      record.relinkCandidates[size_t(ref.childIndex - 1)].path = text;
    } else {
      record.newPath = text;
    }
    return;
  }
  if (!pathColumn) return;

  // A file name keeps the folder; a path replaces the whole. A group row edits all its uses.
  std::vector<KvAssetEntry*> records{&record};
  if (ref.IsGroupRow()) records = GroupRecords(collection, view, ref.position);
  std::vector<bx3::Filename> paths;
  for (const KvAssetEntry* row : records) {
    const bx3::Filename folder = row->assetPath.GetDirectory();
    paths.push_back(column == column::kPath || !folder.IsPopulated() ? bx3::Filename(text)
                                                                     : folder + bx3::Filename(text));
    if (!IsWritablePath(paths.back().View())) {
      events_->ShowNote(GetResourceString(res::kEditedPathRefused));
      return;
    }
  }
  events_->EditPaths(records, paths);
}

void KvTreeFunctions::BuildContextMenu(void* root, void* userData, bx3::TreeItem item, int32_t,
                                       bx3::ContextMenu& menu) {
  menu.Remove(bx3::kTreeMenuExpandAll);
  menu.Remove(bx3::kTreeMenuCollapseAll);
  if (!root || !userData) return;
  KvCollection& collection = Collection(root);
  const KvViewState& view = View(userData);
  const ItemRef ref = item ? Find(collection, view, item) : ItemRef();
  const int32_t mode = view.GroupMode();
  const bool noRecord = !ref.record || (ref.IsGroupRow() && mode != kGroupByAsset && mode != kGroupNone);
  const bool noFile = noRecord || ref.record->IsMissing() || ref.record->IsUnreachable();
  const bool noPicture = noFile || !(ref.record->assetType & (ASSETTYPE_IMAGE | ASSETTYPE_VIDEO));
  const int64_t listed = view.Grouped() ? int64_t(view.Lists().viewGroups.size()) : view.ListedCount();
  const int64_t selected = view.SelectedCount();
  const bool noRows = listed == 0;
  const bool noSelection = noRows || selected == 0;
  const auto add = [&](int32_t entry, int32_t text, bool disabled) {
    brantic::String label = GetResourceString(text);
    menu.Add(entry, disabled ? brantic::String(label.Std() + bx3::kMenuDisabledMarker) : label);
  };
  add(kEntryShowFile, res::kShowInFileBrowser, noFile);
  add(kEntryOpenFile, res::kOpenWithSystem, noFile);
  add(kEntryPictureViewer, res::kOpenInPictureViewer, noPicture);
  add(kEntryFileInManager, res::kShowFileParameter, noRecord);
  add(kEntryElementInManager, res::kShowElement, noRecord);
  menu.AddSeparator();
  add(kEntrySelectAll, res::kSelectAll, noRows || selected >= view.ListedCount());
  add(kEntryDeselectAll, res::kSelectNone, noSelection);
  add(kEntrySelectMissing, res::kSelectMissing, noRows);
  add(kEntryInvertSelection, res::kInvertSelection, noRows);
  menu.AddSeparator();
  add(kEntryLocalize, res::kMakeRelative, noSelection);
  add(kEntryGlobalize, res::kMakeAbsolute, noSelection);
  add(kEntryReplace, res::kReplaceFile, noSelection);
  add(kEntryRelink, res::kRelink, noSelection);
  add(kEntryClear, res::kClearAssets, noSelection);
  add(kEntryConsolidate, res::kCollectFiles, noRows);
}

bool KvTreeFunctions::RunContextCommand(void* root, void* userData, bx3::TreeItem item, int32_t, int32_t command) {
  if (!root || !userData) return false;
  KvCollection& collection = Collection(root);
  const KvViewState& view = View(userData);
  bx3::Document* document = collection.ActiveDocument();
  if (!document) return false;
  if (const int32_t hostCommand = CommandOfEntry(command)) {
    bx3::CallCommand(hostCommand);
    return true;
  }
  const KvAssetEntry* record = nullptr;
  if (item) {
    record = Find(collection, view, item).record;
  } else {
    bool groupRow = false;
    record = view.CurrentRecord(collection.Rows(), groupRow);
  }
  using Action = KvTreeEvents::FileAction;
  switch (command) {
    case kEntryShowFile: return record && events_ && events_->RunFileAction(*record, Action::Show);
    case kEntryOpenFile: return record && events_ && events_->RunFileAction(*record, Action::Open);
    case kEntryPictureViewer: return record && events_ && events_->RunFileAction(*record, Action::PictureViewer);
    default: return true;
  }
}

}  // namespace kv
