// The inspector window: its layout, view settings and filter bar.
#include "window/kvdialog.h"

#include <initializer_list>

#include "bx3/busy.h"
#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "bx3/prefs.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "operations/kvsearchreplace.h"
#include "preview/kvinfotext.h"
#include "view/kvtreefunctions.h"

namespace kv {

namespace {

brantic::String R(int32_t id) { return GetResourceString(id); }

}  // namespace

KestrovaDialog::KestrovaDialog() : treeFunctions_(std::make_unique<KvTreeFunctions>(this)) {
  // Probing results change rows in place: draw them again, no need to walk the list.
  collection_.SetRowsProbedCallback([this] {
    if (treeView_) treeView_->RedrawRows();
  });
  // A root the last collection passed over answered after all: collect again.
  collection_.SetRootsAnsweredCallback([this] {
    if (treeView_ && collection_.ActiveDocument() == bx3::GetActiveDocument()) RefreshAssets();
  });
  previewArea_.SetInfoTextSink([this](const brantic::String& text) { SetString(kGadgetInfo, text); });
}

KestrovaDialog::~KestrovaDialog() = default;

void KestrovaDialog::LoadViewSettings() {
  const bx3::Container* stored = bx3::Preferences::Get().Plugins().GetContainer(kMainCommandId);
  view_.Settings().Load(stored);
}

void KestrovaDialog::SaveViewSettings() {
  if (treeView_) view_.Settings().columnLayout = bx3::ColumnLayoutToContainer(treeView_->GetLayout());
  bx3::Preferences::Get().Plugins().SetContainer(kMainCommandId, view_.Settings().Save());
}

void KestrovaDialog::BuildColumnLayout() {
  if (treeView_) treeView_->SetLayout(kv::BuildColumnLayout(view_.Settings()));
}

void KestrovaDialog::EnableMainGroup(bool enable) { Enable(kGadgetMainGroup, enable); }

bool KestrovaDialog::CreateLayout() {
  SetTitle(R(res::kTitle));
  LoadViewSettings();
  GroupBegin(kGadgetMainGroup, bx3::kFit, 1, 0);
  GroupBorderSpace(4, 4, 4, 4);

  BuildMenus();

  // The filter toggle with the filter bar beside it: the window's first row.
  GroupBegin(0, bx3::kFitHorizontal, 2, 0);
  AddBitmapButton(kGadgetFilterToggle, bx3::kToggle | bx3::kNoBorder, bx3::icon::kFilterHidden,
                  bx3::icon::kFilterShown);
  GroupBegin(kGadgetFilterBar, bx3::kFitHorizontal, 3, 0);
  GroupEnd();
  GroupEnd();
  GroupBegin(kGadgetTreeGroup, bx3::kFit, 1, 0);
  bx3::Container settings;
  for (int32_t key :
       {bx3::treesetting::kHeader, bx3::treesetting::kFixedLayout, bx3::treesetting::kResizableHeader,
        bx3::treesetting::kMovableColumns, bx3::treesetting::kAlternateBackground, bx3::treesetting::kBorder}) {
    settings.SetBool(key, true);
  }
  treeView_ = AddTreeView(kGadgetTree, bx3::kFit, 600, 200, settings);
  GroupEnd();
  if (!treeView_) return false;

  GroupBegin(kGadgetDetailGroup, bx3::kFitHorizontal, 4, 0);
  AddUserArea(kGadgetPreview, 0, 180, 120);
  AttachUserArea(previewArea_, kGadgetPreview);
  AddMultiLineEditText(kGadgetInfo, bx3::kFit, 300, 120, true);
  GroupBegin(kGadgetSearchGroup, bx3::kFitHorizontal, 3, 0);
  AddStaticText(kGadgetSearchLabel, 0, 0, 0, R(res::kFind));
  AddButton(kGadgetClearSearch, 0, 0, 0, "x");
  AddEditText(kGadgetSearchText, bx3::kFitHorizontal, 200);
  AddStaticText(kGadgetReplaceLabel, 0, 0, 0, R(res::kReplaceWith));
  AddButton(kGadgetClearReplace, 0, 0, 0, "x");
  AddEditText(kGadgetReplaceText, bx3::kFitHorizontal, 200);
  GroupBegin(kGadgetReplaceGroup, bx3::kFitHorizontal, 2, 0);
  AddComboBox(kGadgetReplaceMode, 0);
  AddChild(kGadgetReplaceMode, kReplaceInPath, R(res::kReplaceWholePath));
  AddChild(kGadgetReplaceMode, kReplaceInFolder, R(res::kReplaceFolderPart));
  AddChild(kGadgetReplaceMode, kReplaceInFileName, R(res::kReplaceFileName));
  AddButton(kGadgetApply, 0, 0, 0, R(res::kApply));
  GroupEnd();
  GroupEnd();
  GroupEnd();

  GroupBegin(0, bx3::kFitHorizontal, 1, 0);
  AddStaticText(kGadgetStatus, bx3::kFitHorizontal, 0, 0, "");
  GroupEnd();
  GroupEnd();
  BuildColumnLayout();
  filterBar_.Update(true);
  return true;
}

void KestrovaDialog::BuildMenus() {
  MenuFlushAll();
  MenuSubBegin(R(res::kMenuSelect));
  for (int32_t id : {kCmdShowFileInExplorer, kCmdOpenFileInExplorer, kCmdOpenFileInPictureViewer, kCmdOpenFileInManager,
                     kCmdOpenElementInManager}) {
    MenuAddCommand(id);
  }
  MenuAddSeparator();
  MenuAddCommand(kCmdShowSelected);
  MenuAddSeparator();
  for (int32_t id : {kCmdSelectAll, kCmdDeselectAll, kCmdSelectMissing, kCmdInvertSelection, kCmdSelectActive}) {
    MenuAddCommand(id);
  }
  MenuSubEnd();
  MenuSubBegin(R(res::kMenuView));
  MenuSubBegin(R(res::kMenuGroup));
  for (int32_t mode : kGroupModes) {
    MenuAddCommand(mode);
    if (mode == kGroupNone) MenuAddSeparator();
  }
  MenuSubEnd();
  MenuAddSeparator();
  for (const KvViewFlag& flag : ViewFlagTable()) {
    if (flag.columnId != 0) MenuAddCommand(flag.commandId);
  }
  MenuSubEnd();
  MenuSubBegin(R(res::kMenuPaths));
  for (int32_t id : {kCmdLocalize, kCmdGlobalize, kCmdApplyPathMappings, kCmdReplaceTexture, kCmdRelinkTextures,
                     kCmdClearAssets, kCmdConsolidate}) {
    MenuAddCommand(id);
  }
  MenuAddSeparator();
  MenuAddCommand(kHostCmdSearchPaths);
  MenuSubEnd();
  MenuSubBegin(R(res::kMenuFilter));
  MenuAddCommand(kCmdFilterbar);
  MenuAddSeparator();
  for (const KvViewFlag& flag : ViewFlagTable()) {
    if (flag.columnId == 0) MenuAddCommand(flag.commandId);
  }
  MenuSubEnd();
  MenuFinished();
  for (const KvViewFlag& flag : ViewFlagTable()) {
    MenuInitString(flag.commandId, true, view_.Settings().Flag(flag.commandId));
  }
  MenuInitString(kCmdFilterbar, true, view_.Settings().filterBar);
  for (int32_t mode : kGroupModes) MenuInitString(mode, true, mode == view_.GroupMode());
}

bool KestrovaDialog::InitValues() {
  EnableMainGroup(false);
  SetInt32(kGadgetFilterColumn, view_.FilterBar().column);
  SetInt32(kGadgetReplaceMode, kReplaceInPath);
  SetString(kGadgetInfo, NothingSelectedText());
  if (treeView_) {
    treeView_->SetRoot(&collection_, treeFunctions_.get(), &view_);
    RefreshAssets();
    openingCollectedAtMs_ = bx3::GetTimerMs();
  }
  EnableMainGroup(true);
  Enable(kGadgetApply, false);
  filterBar_.InitValues();
  // The list takes the room (the filter row and the status line keep theirs); in the detail
  // row the preview keeps its size and the text and the search fields share the rest.
  const auto weights = [](int32_t countKey, std::initializer_list<double> values) {
    bx3::Container container;
    container.SetInt32(countKey, int32_t(values.size()));
    int32_t key = countKey;
    for (const double value : values) container.SetFloat(++key, value);
    return container;
  };
  SetGroupWeights(kGadgetMainGroup, weights(bx3::kWeightRows, {0.3, 0.5, -0.1}));
  SetGroupWeights(kGadgetDetailGroup, weights(bx3::kWeightColumns, {-0.1, 0.0, 0.5, 0.5}));
  bx3::EventAdd();
  return true;
}

}  // namespace kv
