// The inspector window's messages: from the window, from the host and from its gadgets.
#include "bx3/commands.h"
#include "bx3/host.h"
#include "kvdialog.h"
#include "kvids.h"

namespace kv {

void KestrovaDialog::DestroyWindow() { treeView_ = nullptr; }

int32_t KestrovaDialog::Message(const bx3::Container& message, bx3::Container& result) {
  // The user rearranged the tree's columns: keep the arrangement for the next time.
  if (message.GetId() == bx3::message::kLayoutChanged && treeView_) {
    SaveViewSettings();
    return 1;
  }
  return GeDialog::Message(message, result);
}

bool KestrovaDialog::CoreMessage(int32_t id, const bx3::Container& message) {
  if (id == bx3::kCoreMessageDocumentClosing) {
    const bx3::Document* document = collection_.ActiveDocument();
    if (document && int64_t(document->GetUid()) == message.GetInt64(bx3::kMessageDocument)) ForgetDocument();
    return true;
  }
  if (id == kMainCommandId) {
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
        RequestPreview();
        break;
      case kNotifyFoldChanged:
      default: break;
    }
    return true;
  }
  return GeDialog::CoreMessage(id, message);
}

bool KestrovaDialog::Command(int32_t id, const bx3::Container& message) {
  // Every gadget of the filter bar filters the rows again.
  if (!filterBar_.HandleCommand(id)) return GeDialog::Command(id, message);
  RegroupAndShow();
  OnSelectionChanged(false);
  bx3::EventAdd();
  return true;
}

}  // namespace kv
