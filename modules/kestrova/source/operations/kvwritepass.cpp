#include "operations/kvwritepass.h"

#include <utility>

#include "brantic/pathpattern.h"
#include "bx3/commands.h"

namespace kv {

KvWritePass::KvWritePass(bx3::Document& document) : document_(document), scope_(document.GetFolder()) {
  document_.StartUndo();
}

namespace {

KvWritePass::Counts& EndedCounts() {
  static KvWritePass::Counts counts;  // GUI thread, as every pass
  return counts;
}

}  // namespace

KvWritePass::Counts KvWritePass::TakeEndedCounts() { return std::exchange(EndedCounts(), Counts()); }

KvWritePass::~KvWritePass() {
  Counts& ended = EndedCounts();
  ended.changed += counts_.changed;
  ended.alreadyLocal += counts_.alreadyLocal;
  ended.unchanged += counts_.unchanged;
  ended.failed += counts_.failed;
  ended.readOnly += counts_.readOnly;
  document_.EndUndo();
  bx3::EventAdd();  // once, whatever was written
}

int32_t KvWritePass::Write(KvAssetEntry& row, const bx3::Filename& path, bool localize, KvPathForm form) {
  if (row.IsNested()) {
    ++counts_.readOnly;
    return kWriteReadOnly;
  }
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
  if (row.IsNested()) {
    ++counts_.readOnly;
    return kClearNotHeld;
  }
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
