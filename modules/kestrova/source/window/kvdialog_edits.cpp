// What the inspector window does for its tree: in-place edits written as one step, elements
// and files shown, notes in the status line.
#include "operations/kvfileactions.h"
#include "operations/kvwritepass.h"
#include "window/kvdialog.h"

namespace kv {

void KestrovaDialog::EditPaths(const std::vector<KvAssetEntry*>& rows, const std::vector<bx3::Filename>& paths) {
  bx3::Document* document = collection_.ActiveDocument();
  if (!document) return;
  {
    KvWritePass pass(*document);
    for (size_t i = 0; i < rows.size() && i < paths.size(); ++i) pass.Write(*rows[i], paths[i]);
  }
  UpdateStatusLine(brantic::String());
  RefreshAfterWrite();
}

void KestrovaDialog::RenameElement(bx3::Element& element, const brantic::String& name) {
  bx3::Document* document = collection_.ActiveDocument();
  if (!document) return;
  {
    KvWritePass pass(*document);
    pass.Rename(element, name);
  }
  RefreshAfterWrite();
}

void KestrovaDialog::ShowInManager(const KvAssetEntry& row, bool file) {
  ShowAssetInManager(row, true, file, collection_.ActiveDocument());
}

bool KestrovaDialog::RunFileAction(const KvAssetEntry& row, FileAction action) {
  const KvFileAction fileAction = action == FileAction::Show   ? KvFileAction::Show
                                  : action == FileAction::Open ? KvFileAction::Open
                                                               : KvFileAction::PictureViewer;
  return kv::RunFileAction(row, collection_.ActiveDocument(), fileAction);
}

void KestrovaDialog::ShowNote(const brantic::String& note) { UpdateStatusLine(note); }

}  // namespace kv
