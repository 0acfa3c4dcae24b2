// The inspector window: its layout, view settings and filter bar.
#include "kvdialog.h"

#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "bx3/prefs.h"
#include "kvids.h"
#include "kvmediainfo.h"
#include "kvresources.h"
#include "kvtreefunctions.h"

namespace kv {

namespace {

brantic::String R(int32_t id) { return GetResourceString(id); }

}  // namespace

KestrovaDialog::KestrovaDialog() : treeFunctions_(std::make_unique<KvTreeFunctions>()) {}

KestrovaDialog::~KestrovaDialog() {
  // Results that arrive from now on find no dialog; jobs not yet run skip their work.
  anchor_.Invalidate();
  liveGeneration_->store(0, std::memory_order_relaxed);
}

void KestrovaDialog::LoadViewSettings() {
  const bx3::Container* stored = bx3::Preferences::Get().Plugins().GetContainer(kMainCommandId);
  view_.Load(stored);
}

void KestrovaDialog::SaveViewSettings() {
  if (treeView_) view_.columnLayout = bx3::ColumnLayoutToContainer(treeView_->GetLayout());
  bx3::Preferences::Get().Plugins().SetContainer(kMainCommandId, view_.Save());
}

void KestrovaDialog::BuildColumnLayout() {
  if (treeView_) treeView_->SetLayout(kv::BuildColumnLayout(view_));
}

void KestrovaDialog::EnableMainGroup(bool enable) { Enable(kGadgetMainGroup, enable); }

bool KestrovaDialog::CreateLayout() {
  SetTitle(R(kResTitle));
  LoadViewSettings();
  GroupBegin(kGadgetMainGroup, bx3::kFit, 1, 0);
  GroupBorderSpace(4, 4, 4, 4);

  MenuFlushAll();
  MenuSubBegin(R(10001));
  for (int32_t id : {kCmdShowFileInExplorer, kCmdOpenFileInExplorer, kCmdOpenFileInPictureViewer,
                     kCmdOpenFileInManager, kCmdOpenElementInManager}) {
    MenuAddCommand(id);
  }
  MenuAddSeparator();
  MenuAddCommand(kCmdShowSelected);
  MenuAddSeparator();
  for (int32_t id : {kCmdSelectAll, kCmdDeselectAll, kCmdSelectMissing, kCmdInvertSelection, kCmdSelectActive}) {
    MenuAddCommand(id);
  }
  MenuSubEnd();
  MenuSubBegin(R(10015));
  MenuSubBegin(R(10233));
  MenuAddCommand(kGroupNone);
  MenuAddSeparator();
  for (int32_t id : {kGroupByAsset, kGroupByAssetType, kGroupByElementType, kGroupByLayer, kGroupByTake,
                     kGroupByNodeSpace, kGroupByFormat}) {
    MenuAddCommand(id);
  }
  MenuSubEnd();
  MenuAddSeparator();
  for (const KvViewFlag& flag : ViewFlagTable()) {
    if (flag.columnId != 0) MenuAddCommand(flag.commandId);
  }
  MenuSubEnd();
  MenuSubBegin(R(10113));
  for (int32_t id : {kCmdLocalize, kCmdGlobalize, kCmdReplaceTexture, kCmdRelinkTextures, kCmdClearAssets,
                     kCmdConsolidate}) {
    MenuAddCommand(id);
  }
  MenuAddSeparator();
  MenuAddCommand(kHostCmdSearchPaths);
  MenuSubEnd();
  MenuSubBegin(R(10114));
  MenuAddCommand(kCmdFilterbar);
  MenuAddSeparator();
  for (const KvViewFlag& flag : ViewFlagTable()) {
    if (flag.columnId == 0) MenuAddCommand(flag.commandId);
  }
  MenuSubEnd();
  MenuFinished();
  for (const KvViewFlag& flag : ViewFlagTable()) MenuInitString(flag.commandId, true, view_.Flag(flag.commandId));
  MenuInitString(kCmdFilterbar, true, view_.filterBar);
  for (int32_t mode : {kGroupNone, kGroupByAsset, kGroupByAssetType, kGroupByElementType, kGroupByLayer,
                       kGroupByTake, kGroupByNodeSpace, kGroupByFormat}) {
    MenuInitString(mode, true, mode == view_.groupMode);
  }

  // The filter toggle with the filter bar beside it: the window's first row.
  GroupBegin(0, bx3::kFitHorizontal, 2, 0);
  AddBitmapButton(kGadgetFilterToggle, bx3::kToggle | bx3::kNoBorder, bx3::icon::kFilterHidden, bx3::icon::kFilterShown);
  GroupBegin(kGadgetFilterBar, bx3::kFitHorizontal, 3, 0);
  GroupEnd();
  GroupEnd();
  GroupBegin(kGadgetTreeGroup, bx3::kFit, 1, 0);
  bx3::Container settings;
  for (int32_t key : {bx3::treesetting::kHeader, bx3::treesetting::kFixedLayout, bx3::treesetting::kResizableHeader,
                      bx3::treesetting::kMovableColumns, bx3::treesetting::kAlternateBackground,
                      bx3::treesetting::kBorder}) {
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
  AddStaticText(kGadgetSearchLabel, 0, 0, 0, R(10037));
  AddButton(kGadgetClearSearch, 0, 0, 0, "x");
  AddEditText(kGadgetSearchText, bx3::kFitHorizontal, 200);
  AddStaticText(kGadgetReplaceLabel, 0, 0, 0, R(10038));
  AddButton(kGadgetClearReplace, 0, 0, 0, "x");
  AddEditText(kGadgetReplaceText, bx3::kFitHorizontal, 200);
  GroupBegin(kGadgetReplaceGroup, bx3::kFitHorizontal, 2, 0);
  AddComboBox(kGadgetReplaceMode, 0);
  AddChild(kGadgetReplaceMode, kReplaceWholePath, R(10034));
  AddChild(kGadgetReplaceMode, kReplaceFolderPart, R(10035));
  AddChild(kGadgetReplaceMode, kReplaceFileName, R(10036));
  AddButton(kGadgetApply, 0, 0, 0, R(10039));
  GroupEnd();
  GroupEnd();
  GroupEnd();

  GroupBegin(0, bx3::kFitHorizontal, 1, 0);
  AddStaticText(kGadgetStatus, bx3::kFitHorizontal, 0, 0, "");
  GroupEnd();
  GroupEnd();
  BuildColumnLayout();
  UpdateFilterBar(true);
  return true;
}

void KestrovaDialog::UpdateFilterBar(bool force) {
  if (view_.filterBar == lastShownFilterBar_ && !force) return;
  SetBool(kGadgetFilterToggle, view_.filterBar);
  lastShownFilterBar_ = view_.filterBar;
  FlushGroup(kGadgetFilterBar);
  if (view_.filterBar) {
    AddStaticText(kGadgetFilterLabel, 0, 0, 0, R(10026));
    AddComboBox(kGadgetFilterColumn, 0);
    static constexpr int32_t kLabels[] = {10017, 10018, 10019, 10020, 10127, 10022, 10023,
                                          10024, 10125, 10145, 10128, 10130, 10129};
    for (int32_t i = 0; i < int32_t(std::size(kLabels)); ++i) AddChild(kGadgetFilterColumn, i, R(kLabels[i]));
    SetInt32(kGadgetFilterColumn, filterColumn_);
    const int32_t base = filterColumn_ % 100;
    if (base == 0) {
      AddComboBox(kGadgetStatusComparison, 0);
      AddChild(kGadgetStatusComparison, 0, R(10169));
      AddChild(kGadgetStatusComparison, 1, R(10170));
      AddChild(kGadgetStatusComparison, 2, R(10168));
    } else if (base == 11) {
      AddComboBox(kGadgetSizeComparison, 0);
      AddChild(kGadgetSizeComparison, 0, R(10171));
      AddChild(kGadgetSizeComparison, 1, R(10172));
      AddChild(kGadgetSizeComparison, 2, R(10173));
      AddStaticText(kGadgetSizeLabel, 0, 0, 0, R(10174));
      AddEditNumber(kGadgetSizeValue, 0, 70);
      AddComboBox(kGadgetSizeUnit, 0);
      AddChild(kGadgetSizeUnit, 0, R(10178));
      AddChild(kGadgetSizeUnit, 1, R(10179));
      AddChild(kGadgetSizeUnit, 2, R(10180));
    } else if (base == 12) {
      AddComboBox(kGadgetResolutionComparison, 0);
      AddChild(kGadgetResolutionComparison, 0, R(10171));
      AddChild(kGadgetResolutionComparison, 1, R(10172));
      AddChild(kGadgetResolutionComparison, 2, R(10173));
      AddEditNumber(kGadgetResolutionWidth, 0, 70);
      AddEditNumber(kGadgetResolutionHeight, 0, 70);
    }
    AddEditText(kGadgetFilterText, bx3::kFitHorizontal, 200);
  }
  LayoutChanged(kGadgetFilterBar);
}

bool KestrovaDialog::InitValues() {
  EnableMainGroup(false);
  SetInt32(kGadgetFilterColumn, filterColumn_);
  SetInt32(kGadgetReplaceMode, kReplaceWholePath);
  SetString(kGadgetInfo, NothingSelectedText());
  if (treeView_) {
    treeView_->SetRoot(&assets_, treeFunctions_.get(), this);
    RefreshAssets();
  }
  EnableMainGroup(true);
  Enable(kGadgetApply, false);
  Activate(kGadgetFilterText);
  if (!filterText_.IsEmpty()) SetString(kGadgetFilterText, filterText_);
  switch (filterColumn_) {
    case 0:
    case 100: SetInt32(kGadgetStatusComparison, comparisonMode_); break;
    case 11:
    case 111:
      SetInt32(kGadgetSizeComparison, comparisonMode_);
      SetFloat(kGadgetSizeValue, comparisonNumber_);
      SetInt32(kGadgetSizeUnit, comparisonChoice_);
      break;
    case 12:
    case 112:
      SetInt32(kGadgetResolutionComparison, comparisonMode_);
      SetInt32(kGadgetResolutionWidth, comparisonWidth_);
      SetInt32(kGadgetResolutionHeight, comparisonHeight_);
      break;
    default: break;
  }
  bx3::Container mainWeights;
  mainWeights.SetInt32(3000, 3);
  mainWeights.SetFloat(3001, 0.3);
  mainWeights.SetFloat(3002, 0.5);
  mainWeights.SetFloat(3003, -0.1);
  SetGroupWeights(kGadgetMainGroup, mainWeights);
  bx3::Container detailWeights;
  detailWeights.SetInt32(2000, 4);
  detailWeights.SetFloat(2001, -0.1);
  detailWeights.SetFloat(2002, 0.0);
  detailWeights.SetFloat(2003, 0.5);
  detailWeights.SetFloat(2004, 0.5);
  SetGroupWeights(kGadgetDetailGroup, detailWeights);
  bx3::EventAdd();
  return true;
}

void KestrovaDialog::DestroyWindow() { treeView_ = nullptr; }

int32_t KestrovaDialog::Message(const bx3::Container& message, bx3::Container& result) {
  // The user rearranged the tree's columns: keep the arrangement for the next time.
  if (message.GetId() == bx3::message::kLayoutChanged && treeView_) {
    SaveViewSettings();
    return 1;
  }
  return GeDialog::Message(message, result);
}

}  // namespace kv
