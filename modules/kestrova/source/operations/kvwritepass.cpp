#include "operations/kvwritepass.h"

#include "brantic/pathpattern.h"
#include "bx3/commands.h"

namespace kv {

KvWritePass::KvWritePass(bx3::Document& document) : document_(document), scope_(document.GetFolder()) {
  document_.StartUndo();
}

KvWritePass::~KvWritePass() {
  document_.EndUndo();
  bx3::EventAdd();  // once, whatever was written
}

int32_t KvWritePass::Write(KvAssetEntry& row, const bx3::Filename& path, bool localize, KvPathForm form) {
  std::string written = path.GetString().Std();
  // A token never becomes one of its files.
  if (const auto pattern = brantic::PathPattern::Find(row.assetPath.View());
      pattern && !brantic::PathPattern::Find(written)) {
    if (auto carried = pattern->CarryInto(written)) written = std::move(*carried);
  }
  const std::string kept = form == KvPathForm::Written ? written
                                                       : scope_.Context().expander->KeepForm(
                                                             row.assetPath.View(), written, form == KvPathForm::Kept);
  if (kept != written) {
    written = kept;
    localize = false;  // the variable or the mapped root is the path's form
  }
  const int32_t result = WriteAssetPath(row, bx3::Filename(written), &document_, true, localize, &scope_);
  switch (result) {
    case kWriteDone: ++counts_.changed; break;
    case kWriteAlreadyLocal: ++counts_.alreadyLocal; break;
    case kWriteUnchanged: ++counts_.unchanged; break;
    default: ++counts_.failed; break;
  }
  return result;
}

int32_t KvWritePass::Clear(const KvAssetEntry& row) {
  const int32_t result = ClearAssetUse(row, document_);
  if (result == kClearDone) ++counts_.changed;
  if (result == kClearNotHeld) ++counts_.failed;
  return result;
}

void KvWritePass::Rename(bx3::Element& element, const brantic::String& name) {
  document_.AddUndo(bx3::kUndoChange, &element);
  element.SetName(name);
  ++counts_.changed;
}

}  // namespace kv
