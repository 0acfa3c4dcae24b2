#include "kvdialog.h"

#include "bx3/host.h"
#include "kvresources.h"

namespace kv {

KestrovaDialog::KestrovaDialog() = default;

KestrovaDialog::~KestrovaDialog() {
  // Results that arrive from now on find no dialog.
  anchor_.Invalidate();
}

bool KestrovaDialog::CreateLayout() {
  SetTitle(GetResourceString(kResTitle));
  GroupBegin(kGadgetMainGroup, bx3::kFit, 1, 0);
  GroupBorderSpace(4, 4, 4, 4);
  bx3::Container settings;
  for (int32_t key : {bx3::treesetting::kHeader, bx3::treesetting::kFixedLayout, bx3::treesetting::kResizableHeader,
                      bx3::treesetting::kMovableColumns, bx3::treesetting::kAlternateBackground,
                      bx3::treesetting::kBorder}) {
    settings.SetBool(key, true);
  }
  treeView_ = AddTreeView(kGadgetTree, bx3::kFit, 600, 200, settings);
  AddMultiLineEditText(kGadgetInfo, bx3::kFitHorizontal, 300, 80, true);
  AddStaticText(kGadgetStatus, bx3::kFitHorizontal, 0, 0, "");
  GroupEnd();
  return treeView_ != nullptr;
}

bool KestrovaDialog::InitValues() {
  RefreshAssets();
  return true;
}

void KestrovaDialog::DestroyWindow() { treeView_ = nullptr; }

}  // namespace kv
