#include "view/kvfilter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "collection/kvrowtext.h"
#include "ids/kvids.h"
#include "view/kvviewlists.h"

namespace kv {

using brantic::String;

bool PassesTypeFilter(const KvAssetEntry& row, const KvViewSettings& view) {
  static constexpr std::pair<uint32_t, int32_t> kFilters[] = {
      {ASSETTYPE_IMAGE, kCmdViewTypeImage},
      {ASSETTYPE_VIDEO, kCmdViewTypeVideo},
      {ASSETTYPE_AUDIO, kCmdViewTypeAudio},
      {ASSETTYPE_CACHE, kCmdViewTypeExternalCache},
      {ASSETTYPE_REFERENCED3D, kCmdViewTypeReferenced3d},
      {ASSETTYPE_OTHER, kCmdViewTypeOther},
  };
  for (const auto& [bit, command] : kFilters) {
    if ((row.assetType & bit) && view.Flag(command)) return true;
  }
  return false;
}

int64_t SizeLimitInBytes(double value, int32_t unit) {
  const double factor = unit == 0 ? 1'000'000.0 : unit == 1 ? 1'000.0 : 1.0;
  const double limit = value * factor;
  if (!(limit >= 0.0) || limit >= 9.2e18) return std::numeric_limits<int64_t>::max();
  return int64_t(limit);
}

std::pair<int64_t, int64_t> CoarsenSizes(int64_t fileSize, int64_t limit, int32_t unit) {
  // Truncated like the display rounds; kept inside 32 bits without wrapping.
  const auto scaled = [](int64_t value, double factor) {
    return int64_t(std::clamp(std::trunc(double(value) * factor), double(std::numeric_limits<int32_t>::min()),
                              double(std::numeric_limits<int32_t>::max())));
  };
  if (unit == 0 && fileSize >= 1'000'000) return {scaled(fileSize, 0.0001), scaled(limit, 0.0001)};
  if ((unit == 0 || unit == 1) && fileSize >= 1'000) return {scaled(fileSize, 0.1), scaled(limit, 0.1)};
  return {fileSize, limit};
}

String FilterColumnText(const KvAssetEntry& row, int32_t filterColumn, const bx3::Document* document) {
  switch (filterColumn) {
    case kFilterAsset: return row.assetPath.GetFile().GetString();
    case kFilterPath: return row.assetPath.GetString();
    case kFilterGlobalPath: return row.resolvedPath;
    case kFilterElementType: return row.elementName;
    case kFilterElement: return ElementText(row, document);
    case kFilterBreadcrumb: return BreadcrumbText(row, document);
    case kFilterLayer: return LayerText(row, document);
    case kFilterTake: return TakeText(row);
    case kFilterNodeSpace: return NodeSpaceText(row);
    case kFilterFormat: return FormatText(row);
    default: return String();
  }
}

brantic::Result<KvFilterBarFilter> KvFilterBarFilter::Create(const KvFilterBarState& state,
                                                             const bx3::Document* document) {
  KvFilterBarFilter filter;
  filter.state_ = state;
  filter.document_ = document;
  filter.sizeLimit_ = SizeLimitInBytes(state.sizeValue, state.sizeUnit);
  if (IsTextFilterColumn(state.column) && brantic::IsWildcardPattern(state.text.View())) {
    auto pattern = brantic::WildcardPattern::Compile(state.text.View());
    if (!pattern) return pattern.GetError();
    filter.pattern_ = std::move(*pattern);
  }
  return filter;
}

bool KvFilterBarFilter::Keeps(const KvAssetEntry& row) const {
  const auto compare = [](int32_t option, int64_t value, int64_t limit) {
    return option == 0 ? value < limit : option == 1 ? value == limit : value > limit;
  };
  switch (FilterComparison(state_.column)) {
    case kFilterStatus:
      if (state_.statusOption == 0) return row.IsMissing();
      if (state_.statusOption == 1)
        return row.resolveResult >= kResolveFoundByName && row.resolveResult <= kResolveBuiltByHost;
      return row.resolveResult == kResolveFound;
    case kFilterSize: {
      const auto [size, limit] = CoarsenSizes(row.fileSize, sizeLimit_, state_.sizeUnit);
      return compare(state_.sizeOption, size, limit);
    }
    case kFilterResolution:
      return (state_.width == 0 || compare(state_.resolutionOption, row.resolutionX, state_.width)) &&
             (state_.height == 0 || compare(state_.resolutionOption, row.resolutionY, state_.height));
    default: break;
  }
  if (!IsTextFilterColumn(state_.column) || state_.text.IsEmpty()) return true;
  const String text = FilterColumnText(row, state_.column, document_);
  if (text.IsEmpty()) return false;
  return pattern_ ? pattern_->MatchesWhole(text.View()) : text.Contains(state_.text.View());
}

brantic::Result<void> BuildRowIndexList(std::vector<KvAssetEntry>& rows, KvViewLists& lists, const KvViewSettings& view,
                                        const KvFilterBarFilter* filterBar, KvSelection* selection) {
  lists.rowIndexList.clear();
  lists.viewGroups.clear();
  try {
    lists.rowIndexList.reserve(rows.size());
    const bool sorted = lists.displayOrder.size() == rows.size();
    for (size_t position = 0; position < rows.size(); ++position) {
      const size_t i = sorted ? lists.displayOrder[position] : position;
      KvAssetEntry& row = rows[i];
      if (filterBar && !filterBar->Keeps(row)) {
        if (selection) selection->Deselect(row);
        continue;
      }
      if (PassesTypeFilter(row, view)) lists.rowIndexList.push_back(int64_t(i));
    }
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError();
  }
  return {};
}

}  // namespace kv
