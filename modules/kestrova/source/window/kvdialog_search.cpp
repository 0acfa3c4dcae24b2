// The inspector window's search and replace in paths, and the rows of changed shaders.
#include "bx3/commands.h"
#include "collection/kvresolve.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvsearchreplace.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

// Proposals are made this long after the last keystroke, once.
constexpr int32_t kProposalDelayMs = 400;

}  // namespace

void KestrovaDialog::RestartProposalTimer() {
  SetTimer(0);
  SetTimer(kProposalDelayMs);
}

void KestrovaDialog::ApplySearchReplace(bool preview) {
  KvSearchReplace job;
  brantic::String search, replace;
  GetString(kGadgetSearchText, search);
  GetString(kGadgetReplaceText, replace);
  GetInt32(kGadgetReplaceMode, job.mode);
  job.search = search.Std();
  job.replace = replace.Std();
  bx3::Document* document = collection_.ActiveDocument();
  if (!document) return;
  const KvSearchReplaceResult result =
      kv::ApplySearchReplace(collection_.Rows(), view_.Lists().rowIndexList, job, preview, document);
  // Proposals are seen where they are made: the proposed path column shows while there are
  // any, and goes back to the user's choice after Apply or when they are withdrawn.
  ShowProposalColumn(preview && result.proposed > 0);
  if (!preview) return;  // the refresh after the write lists the rows again
  if (job.search.empty()) {
    RefreshTree();
    return;
  }
  RegroupAndShow();
}

void KestrovaDialog::ShowProposalColumn(bool show) {
  if (view_.Settings().showProposals == show) return;
  view_.Settings().showProposals = show;
  BuildColumnLayout();
}

void KestrovaDialog::Timer(const bx3::Container&) {
  SetTimer(0);
  ApplySearchReplace(true);
}

bool KestrovaDialog::HandleSearchCommand(int32_t id) {
  switch (id) {
    case kGadgetClearSearch:
      SetString(kGadgetSearchText, brantic::String());
      Enable(kGadgetApply, false);
      ApplySearchReplace(true);
      return true;
    case kGadgetClearReplace:
      SetString(kGadgetReplaceText, brantic::String());
      ApplySearchReplace(true);
      return true;
    case kGadgetSearchText:
    case kGadgetReplaceText:
    case kGadgetReplaceMode:
      // Typing goes on: one proposal once it pauses.
      RestartProposalTimer();
      return true;
    case kGadgetApply:
      ApplySearchReplace(false);
      RefreshAfterWrite();
      return true;
    default: return false;
  }
}

}  // namespace kv
