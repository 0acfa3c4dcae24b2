#include "window/kvfilterbar.h"

#include <iterator>
#include <limits>

#include "ids/kvgadgets.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"

namespace kv {

namespace {

brantic::String R(int32_t id) { return GetResourceString(id); }

// A list gadget whose entries 0, 1, 2 are the three texts.
void AddChoice(bx3::GeDialog& dialog, int32_t gadget, const int32_t (&texts)[3]) {
  dialog.AddComboBox(gadget, 0);
  for (int32_t entry = 0; entry < 3; ++entry) dialog.AddChild(gadget, entry, R(texts[entry]));
}

constexpr int32_t kComparisons[3] = {res::kSmallerThan, res::kEqualTo, res::kLargerThan};

}  // namespace

void KvFilterBarGadgets::Update(bool force) {
  const bool shown = view_.Settings().filterBar;
  if (shown == lastShown_ && !force) return;
  bx3::GeDialog& d = dialog_;
  d.SetBool(kGadgetFilterToggle, shown);
  lastShown_ = shown;
  d.FlushGroup(kGadgetFilterBar);
  if (shown) {
    const int32_t column = view_.FilterBar().column;
    d.AddStaticText(kGadgetFilterLabel, 0, 0, 0, R(res::kFilterBy));
    d.AddComboBox(kGadgetFilterColumn, 0);
    static constexpr int32_t kLabels[] = {
        res::kColumnStatus,  res::kColumnAsset,    res::kColumnPath,      res::kColumnFullPath, res::kColumnElementType,
        res::kColumnElement, res::kColumnLocation, res::kColumnLayer,     res::kColumnTake,     res::kColumnNodeSpace,
        res::kColumnFormat,  res::kColumnFileSize, res::kColumnResolution};
    for (int32_t i = 0; i < int32_t(std::size(kLabels)); ++i) d.AddChild(kGadgetFilterColumn, i, R(kLabels[i]));
    d.SetInt32(kGadgetFilterColumn, column);
    switch (FilterComparison(column)) {
      case kFilterStatus:
        AddChoice(d, kGadgetStatusComparison, {res::kCompareMissing, res::kCompareFoundElsewhere, res::kCompareFound});
        break;
      case kFilterSize:
        AddChoice(d, kGadgetSizeComparison, kComparisons);
        d.AddStaticText(kGadgetSizeLabel, 0, 0, 0, R(res::kValue));
        d.AddEditNumber(kGadgetSizeValue, 0, 70);
        AddChoice(d, kGadgetSizeUnit, {res::kUnitMegabytes, res::kUnitKilobytes, res::kUnitBytes});
        break;
      case kFilterResolution:
        AddChoice(d, kGadgetResolutionComparison, kComparisons);
        d.AddEditNumber(kGadgetResolutionWidth, 0, 70);
        d.AddEditNumber(kGadgetResolutionHeight, 0, 70);
        break;
      default: break;
    }
    // The text with its clear button, in one cell of the bar.
    d.GroupBegin(0, bx3::kFitHorizontal, 2, 0);
    d.AddButton(kGadgetClearFilter, 0, 0, 0, "x");
    d.AddEditText(kGadgetFilterText, bx3::kFitHorizontal, 200);
    d.GroupEnd();
  }
  d.LayoutChanged(kGadgetFilterBar);
}

void KvFilterBarGadgets::InitValues() {
  const KvFilterBarMemory& stored = view_.FilterBar();
  dialog_.Activate(kGadgetFilterText);
  if (!stored.text.IsEmpty()) dialog_.SetString(kGadgetFilterText, stored.text);
  PutComparison();
}

void KvFilterBarGadgets::PutComparison() {
  const KvFilterBarMemory& stored = view_.FilterBar();
  bx3::GeDialog& d = dialog_;
  switch (FilterComparison(stored.column)) {
    case kFilterStatus: d.SetInt32(kGadgetStatusComparison, stored.comparisonMode); break;
    case kFilterSize:
      d.SetInt32(kGadgetSizeComparison, stored.comparisonMode);
      d.SetFloat(kGadgetSizeValue, stored.comparisonNumber);
      d.SetInt32(kGadgetSizeUnit, stored.comparisonChoice);
      break;
    case kFilterResolution:
      d.SetInt32(kGadgetResolutionComparison, stored.comparisonMode);
      d.SetInt32(kGadgetResolutionWidth, stored.comparisonWidth);
      d.SetInt32(kGadgetResolutionHeight, stored.comparisonHeight);
      break;
    default: break;
  }
}

void KvFilterBarGadgets::TakeComparison(int32_t id) {
  KvFilterBarMemory& stored = view_.FilterBar();
  bx3::GeDialog& d = dialog_;
  switch (id) {
    case kGadgetStatusComparison:
    case kGadgetSizeComparison:
    case kGadgetResolutionComparison: d.GetInt32(id, stored.comparisonMode); break;
    case kGadgetSizeValue: d.GetFloat(id, stored.comparisonNumber); break;
    case kGadgetSizeUnit: d.GetInt32(id, stored.comparisonChoice); break;
    case kGadgetResolutionWidth: d.GetInt32(id, stored.comparisonWidth); break;
    case kGadgetResolutionHeight: d.GetInt32(id, stored.comparisonHeight); break;
    default: break;
  }
}

void KvFilterBarGadgets::Show(bool shown) {
  if (!shown) Store();
  view_.Settings().filterBar = shown;
  dialog_.MenuInitString(kCmdFilterbar, true, shown);
  Update(false);
  if (shown) Restore();
}

KvFilterBarState KvFilterBarGadgets::Read() const {
  const KvFilterBarMemory& stored = view_.FilterBar();
  KvFilterBarState state;
  state.column = stored.column;
  dialog_.GetInt32(kGadgetFilterColumn, state.column);
  state.text = stored.text;
  // A gadget that is not there (another filter column) leaves its default.
  dialog_.GetInt32(kGadgetStatusComparison, state.statusOption);
  dialog_.GetInt32(kGadgetSizeComparison, state.sizeOption);
  dialog_.GetFloat(kGadgetSizeValue, state.sizeValue);
  dialog_.GetInt32(kGadgetSizeUnit, state.sizeUnit);
  dialog_.GetInt32(kGadgetResolutionComparison, state.resolutionOption);
  int32_t width = 0;
  int32_t height = 0;
  dialog_.GetInt32(kGadgetResolutionWidth, width);
  dialog_.GetInt32(kGadgetResolutionHeight, height);
  state.width = width;
  state.height = height;
  return state;
}

bool KvFilterBarGadgets::HandleCommand(int32_t id) {
  KvFilterBarMemory& stored = view_.FilterBar();
  switch (id) {
    case kGadgetFilterColumn:
      // The bar is built again for the new column: what was typed and the comparison the
      // column had last time go into its new gadgets.
      dialog_.GetInt32(kGadgetFilterColumn, stored.column);
      dialog_.GetString(kGadgetFilterText, stored.text);
      Update(true);
      dialog_.SetString(kGadgetFilterText, stored.text);
      PutComparison();
      return true;
    case kGadgetFilterText: Store(); return true;
    case kGadgetClearFilter:
      dialog_.SetString(kGadgetFilterText, brantic::String());
      Store();
      return true;
    case kGadgetStatusComparison:
    case kGadgetSizeComparison:
    case kGadgetResolutionComparison:
    case kGadgetSizeValue:
    case kGadgetSizeUnit:
    case kGadgetResolutionWidth:
    case kGadgetResolutionHeight:
      TakeComparison(id);
      dialog_.GetInt32(kGadgetFilterColumn, stored.column);
      return true;
    case kGadgetFilterToggle: {
      bool shown = false;
      dialog_.GetBool(kGadgetFilterToggle, shown);
      Show(shown);
      return true;
    }
    default: return false;
  }
}

void KvFilterBarGadgets::Store() {
  dialog_.GetString(kGadgetFilterText, view_.FilterBar().text);
  dialog_.GetInt32(kGadgetFilterColumn, view_.FilterBar().column);
}

void KvFilterBarGadgets::Restore() {
  const KvFilterBarMemory& stored = view_.FilterBar();
  dialog_.Activate(kGadgetFilterText);
  dialog_.SetString(kGadgetFilterText, stored.text);
  dialog_.SetInt32(kGadgetFilterColumn, stored.column, std::numeric_limits<int32_t>::min(),
                   std::numeric_limits<int32_t>::max(), 1);
  PutComparison();
}

}  // namespace kv
