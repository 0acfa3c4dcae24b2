// Which rows the tree lists: the asset-type filter and the filter bar's tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "brantic/regex.h"
#include "brantic/result.h"
#include "brantic/string.h"
#include "brantic/wildcard.h"
#include "collection/kvassetentry.h"
#include "view/kvselection.h"
#include "view/kvviewlists.h"
#include "view/kvviewsettings.h"

namespace bx3 {
class Document;
}

namespace kv {

// The filter bar's column choice as its list numbers it. The comparison columns may also come
// as their number + 100, which chooses the same comparison.
enum KvFilterColumn : int32_t {
  kFilterStatus = 0,
  kFilterAsset = 1,  // the first text column
  kFilterPath = 2,
  kFilterGlobalPath = 3,
  kFilterElementType = 4,
  kFilterElement = 5,
  kFilterBreadcrumb = 6,
  kFilterLayer = 7,
  kFilterTake = 8,
  kFilterNodeSpace = 9,
  kFilterFormat = 10,  // the last text column
  kFilterSize = 11,
  kFilterResolution = 12,
  kFilterAlternate = 100,
};
// What a filter column compares: its number without the alternate offset.
inline constexpr int32_t FilterComparison(int32_t column) { return column % kFilterAlternate; }
inline constexpr bool IsTextFilterColumn(int32_t column) { return column >= kFilterAsset && column <= kFilterFormat; }

// The row filter: some type bit of the row is one the view shows.
bool PassesTypeFilter(const KvAssetEntry& row, const KvViewSettings& view);

// What the filter bar asks for, read from its gadgets.
struct KvFilterBarState {
  int32_t column = kFilterAsset;  // a KvFilterColumn
  brantic::String text;
  int32_t statusOption = 0;  // 0 missing, 1 found elsewhere, 2 found
  int32_t sizeOption = 0;    // 0 below, 1 equal, 2 above
  double sizeValue = 0.0;
  int32_t sizeUnit = 1;          // 0 MB, 1 KB, 2 bytes
  int32_t resolutionOption = 0;  // 0 below, 1 equal, 2 above
  int64_t width = 0;             // 0: any
  int64_t height = 0;
};

// The filter bar's test of one row, prepared once per filtering.
class KvFilterBarFilter {
 public:
  // Fails when a wildcard pattern does not make a valid expression.
  static brantic::Result<KvFilterBarFilter> Create(const KvFilterBarState& state, const bx3::Document* document);
  bool Keeps(const KvAssetEntry& row) const;

 private:
  KvFilterBarState state_;
  const bx3::Document* document_ = nullptr;
  int64_t sizeLimit_ = 0;
  std::optional<brantic::WildcardPattern> pattern_;
};

// The size limit in bytes for a value and unit (0 MB, 1 KB, 2 bytes); negative results
// become the largest size.
int64_t SizeLimitInBytes(double value, int32_t unit);
// File size and limit as the size filter compares them: in coarser steps for larger files.
std::pair<int64_t, int64_t> CoarsenSizes(int64_t fileSize, int64_t limit, int32_t unit);

// The text of a row for a text filter column (1..10); empty for other columns.
brantic::String FilterColumnText(const KvAssetEntry& row, int32_t filterColumn, const bx3::Document* document);

// Rebuilds the row index list: the rows in display order (the lists' sorted order, else
// their own) that the filter bar (when given) keeps and the type filter passes. Rows the
// filter bar drops lose their place in `selection` (when given).
brantic::Result<void> BuildRowIndexList(std::vector<KvAssetEntry>& rows, KvViewLists& lists, const KvViewSettings& view,
                                        const KvFilterBarFilter* filterBar, KvSelection* selection = nullptr);

}  // namespace kv
