// The inspector window's messages: from the window, from the host and from its gadgets.
#include <utility>

#include "bx3/busy.h"
#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/userarea.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "preview/kvinfotext.h"
#include "view/kvselection.h"
#include "view/kvtreefunctions.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

constexpr const char* kHelpId = "KESTROVA_INSPECTOR";
// Page up and down move the current row by this many rows.
constexpr int64_t kPageRows = 10;

}  // namespace

void KestrovaDialog::DestroyWindow() { treeView_ = nullptr; }

int32_t KestrovaDialog::Message(const bx3::Container& message, bx3::Container& result) {
  switch (message.GetId()) {
    case bx3::message::kLayoutChanged:
      // The user rearranged the tree's columns: keep the arrangement for the next time.
      if (!treeView_) break;
      SaveViewSettings();
      return 1;
    case bx3::message::kHelp: result.SetString(bx3::message::kHelpId, brantic::String(kHelpId)); return 1;
    case bx3::message::kActivate:
      if (!message.GetBool(bx3::message::kActive)) break;
      // The activation of a window that has just opened comes right after its collection,
      // which resolved every path a moment ago.
      if (bx3::GetTimerMs() - std::exchange(openingCollectedAtMs_, kNever) > kFreshMs) UpdateResolvedPaths();
      bx3::EventAdd();
      break;
    case bx3::message::kGroupChanged:
      UpdateResolvedPaths();
      bx3::EventAdd();
      break;
    case bx3::message::kKey:
      if (HandleKey(message.GetInt32(bx3::input::kChannel))) return 1;
      break;
    default: break;
  }
  return GeDialog::Message(message, result);
}

bool KestrovaDialog::HandleKey(int32_t key) {
  using namespace bx3::key;
  const bool grouped = view_.Grouped();
  if (key != kUp && key != kDown && key != kPageUp && key != kPageDown && key != kHome && key != kEnd &&
      !(grouped && (key == kLeft || key == kRight))) {
    return false;
  }
  const KvViewLists& lists = view_.Lists();
  const int64_t count = grouped ? int64_t(lists.viewGroups.size()) : int64_t(lists.rowIndexList.size());
  if (count == 0) return true;
  const int64_t current = std::clamp<int64_t>(view_.CurrentRow(), 0, count - 1);
  int64_t position = current;
  switch (key) {
    case kUp: position = view_.CurrentRow() < 0 ? 0 : current - 1; break;
    case kDown: position = view_.CurrentRow() < 0 ? 0 : current + 1; break;
    case kPageUp: position = current - kPageRows; break;
    case kPageDown: position = current + kPageRows; break;
    case kHome: position = 0; break;
    case kEnd: position = count - 1; break;
    default: break;
  }
  position = std::clamp<int64_t>(position, 0, count - 1);
  // The rows of the new position are the selection now; home and end also withdraw proposals.
  std::vector<KvAssetEntry>& rows = collection_.Rows();
  KvSelection& selection = view_.Selection();
  selection.Clear(rows, &lists.rowIndexList);
  if (key == kHome || key == kEnd) {
    for (const int64_t index : lists.rowIndexList) WithdrawProposal(rows[size_t(index)]);
  }
  std::vector<int64_t> positions{position};
  if (grouped) positions = lists.viewGroups[size_t(position)];
  for (const int64_t at : positions) {
    KvAssetEntry& row = rows[size_t(lists.rowIndexList[size_t(at)])];
    selection.Select(row);
    if (key == kLeft || key == kRight) row.opened = key == kRight ? 1 : 0;
  }
  view_.SetCurrent(position, -1);
  if (treeView_) treeView_->ScrollTo(MakeItem(position, 0));
  bx3::SpecialEventAdd(kMainCommandId, kNotifySelectionChanged);
  RefreshTree();
  return true;
}

KestrovaDialog::OperationScope::~OperationScope() {
  if (--dialog_.operationDepth_ == 0 && dialog_.changeHeldBack_) {
    dialog_.changeHeldBack_ = false;
    dialog_.RefreshWhenChanged();
  }
}

void KestrovaDialog::RefreshWhenChanged() {
  if (operationDepth_ > 0) {
    changeHeldBack_ = true;
    return;
  }
  const KvSceneStamp now = KvSceneStamp::Of(bx3::GetActiveDocument());
  if (now == collectedFrom_) return;
  // The undo (or the redo) of a write the rows were kept through: they change back.
  if (now.document == collectedFrom_.document && now.document == collection_.ActiveDocument() &&
      collection_.ShowRowsAtRevision(collectedFrom_.revision, now.revision)) {
    ShowWrittenRows(now);
    return;
  }
  RefreshAssets();
}

KestrovaDialog::PreviewedUse KestrovaDialog::CurrentUse() const {
  bool groupRow = false;
  const KvAssetEntry* record = view_.SelectedCount() > 0 ? view_.CurrentRecord(collection_.Rows(), groupRow) : nullptr;
  if (!record) return {};
  return {KvUseIdentity::Of(*record), record->assetPath.GetString(), record->resolvedPath, groupRow};
}

bool KestrovaDialog::CoreMessage(int32_t id, const bx3::Container& message) {
  switch (id) {
    case bx3::kCoreMessageDocumentClosing: {
      const bx3::Document* document = collection_.ActiveDocument();
      if (document && int64_t(document->GetUid()) == message.GetInt64(bx3::kMessageDocument)) ForgetDocument();
      return true;
    }
    case bx3::kCoreMessageRedrawLists: RefreshTree(); return true;
    case bx3::kCoreMessageChange:
    case bx3::kCoreMessageRedraw:
      if (!IsOpen()) return true;
      // A changed shader changed the scene too: its rows are read again with the rest.
      RefreshWhenChanged();
      return true;
    case bx3::kCoreMessageSearchPathsChanged:
      if (!collection_.SearchFoldersChanged()) return true;
      UpdateResolvedPaths();
      RefreshTree();
      return true;
    case kMainCommandId:
      OnSelectionChanged(true);
      switch (message.GetInt64(bx3::kMessageValue1)) {
        case kNotifySortChanged:
          SortRows();
          RegroupAndShow();
          break;
        case kNotifySelectionChanged:
          // Following the selection, the list groups what is selected now.
          if (view_.ShowSelected()) {
            (void)RebuildViewGroups();
            RefreshTree();
          }
          if (view_.SelectedCount() > 0) {
            RestartProposalTimer();
          } else {
            ShowProposalColumn(false);  // nothing selected proposes anything
          }
          RequestPreview();
          break;
        case kNotifyFoldChanged:
        default: break;
      }
      return true;
    default: return GeDialog::CoreMessage(id, message);
  }
}

bool KestrovaDialog::Command(int32_t id, const bx3::Container& message) {
  // Every gadget of the filter bar filters the rows again.
  if (HandleSearchCommand(id)) {
  } else if (filterBar_.HandleCommand(id)) {
    RegroupAndShow();
  } else {
    return GeDialog::Command(id, message);
  }
  OnSelectionChanged(false);
  bx3::EventAdd();
  return true;
}

}  // namespace kv
