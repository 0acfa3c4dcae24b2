#include "operations/kvwritepass.h"

#include <utility>

#include "brantic/pathpattern.h"
#include "bx3/commands.h"

namespace kv {

KvSceneStamp KvSceneStamp::Of(const bx3::Document* document) {
  if (!document) return {};
  return {document, document->GetDirty(bx3::Document::kDirtyScene), document->GetMaterialList()->GetDirty(),
          document->GetRevision()};
}

KvWritePass::KvWritePass(bx3::Document& document)
    : document_(document), scope_(document.GetFolder()), before_(KvSceneStamp::Of(&document)) {
  document_.StartUndo();
}

namespace {

struct EndedPasses {
  KvWritePass::Ended ended;
  bool any = false;
};

EndedPasses& EndedSoFar() {
  static EndedPasses passes;  // GUI thread, as every pass
  return passes;
}

}  // namespace

KvWritePass::Ended KvWritePass::TakeEnded() { return std::exchange(EndedSoFar(), EndedPasses()).ended; }

KvWritePass::~KvWritePass() {
  document_.EndUndo();
  EndedPasses& passes = EndedSoFar();
  Ended& ended = passes.ended;
  ended.counts.changed += counts_.changed;
  ended.counts.alreadyLocal += counts_.alreadyLocal;
  ended.counts.unchanged += counts_.unchanged;
  ended.counts.failed += counts_.failed;
  ended.counts.readOnly += counts_.readOnly;
  // Passes one after the other, with nothing between them, show their rows together.
  if (!passes.any) {
    ended.before = before_;
  } else if (!(ended.after == before_)) {
    ended.onlyWrittenRowsChanged = false;
  }
  passes.any = true;
  ended.after = KvSceneStamp::Of(&document_);
  ended.onlyWrittenRowsChanged = ended.onlyWrittenRowsChanged && onlyWrittenRowsChanged_;
  ended.writtenRows.insert(ended.writtenRows.end(), writtenRows_.begin(), writtenRows_.end());
  bx3::EventAdd();  // once, whatever was written
}

void KvWritePass::Note(bool rowShowsTheScene, KvWrittenRow written) {
  if (!rowShowsTheScene) {
    onlyWrittenRowsChanged_ = false;
    std::vector<KvWrittenRow>().swap(writtenRows_);
  } else if (onlyWrittenRowsChanged_) {
    writtenRows_.push_back(std::move(written));
  }
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
  // The row shows the scene after the write when it names a file of the same name: the same
  // file found where it is written now (or missing as before), whose state still holds, or
  // another one, to be probed. (A set or a sequence is counted again by a new collection.)
  KvShownFile before = KvShownFile::Of(row);
  const int32_t result = WriteAssetPath(row, bx3::Filename(written), &document_, true, localize, &scope_);
  switch (result) {
    case kWriteDone: {
      ++counts_.changed;
      const bool sameFile = row.resolvedPath == before.resolvedPath &&
                            (row.resolveResult == before.resolveResult ||
                             (IsFileFound(row.resolveResult) && IsFileFound(before.resolveResult)));
      // (Under a root that does not answer, a new collection watches the root.)
      const bool counted = row.setKind == kSetNone && !row.IsSequence() && !row.IsUnreachable();
      const bool shown = row.assetPath.GetFileView() == before.path.GetFileView() && (sameFile || counted) &&
                         WriteStaysInItsRow(row, document_);
      Note(shown, {&row, std::move(before), !sameFile});
      break;
    }
    case kWriteAlreadyLocal: ++counts_.alreadyLocal; break;
    case kWriteUnchanged: ++counts_.unchanged; break;
    default:
      ++counts_.failed;
      Note(false);
      break;
  }
  return result;
}

int32_t KvWritePass::Clear(const KvAssetEntry& row) {
  if (row.IsNested()) {
    ++counts_.readOnly;
    return kClearNotHeld;
  }
  const int32_t result = ClearAssetUse(row, document_);
  Note(false);  // rows go with what held them
  if (result == kClearDone) ++counts_.changed;
  if (result == kClearNotHeld) ++counts_.failed;
  return result;
}

void KvWritePass::Rename(bx3::Element& element, const brantic::String& name) {
  document_.AddUndo(bx3::kUndoChange, &element);
  element.SetName(name);
  Note(false);  // names are read with the rest of the scene
  ++counts_.changed;
}

}  // namespace kv
