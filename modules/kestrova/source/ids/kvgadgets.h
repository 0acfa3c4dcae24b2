// The gadget ids of the inspector window. Gadgets are found by these ids, and some of them
// key stored settings (the tree's column layout).
#pragma once

#include <cstdint>

namespace kv {

// Gadget ids of the inspector window.
inline constexpr int32_t kGadgetMainGroup = 10045;
inline constexpr int32_t kGadgetPreview = 10052;
inline constexpr int32_t kGadgetSearchLabel = 10053;
inline constexpr int32_t kGadgetClearSearch = 10054;
inline constexpr int32_t kGadgetSearchText = 10055;
inline constexpr int32_t kGadgetReplaceLabel = 10056;
inline constexpr int32_t kGadgetClearReplace = 10057;
inline constexpr int32_t kGadgetReplaceText = 10058;
inline constexpr int32_t kGadgetApply = 10059;
inline constexpr int32_t kGadgetSearchGroup = 10060;
inline constexpr int32_t kGadgetFilterColumn = 10061;
inline constexpr int32_t kGadgetReplaceMode = 10070;
inline constexpr int32_t kGadgetStatus = 10080;
inline constexpr int32_t kGadgetFilterBar = 10084;
inline constexpr int32_t kGadgetFilterLabel = 10085;
inline constexpr int32_t kGadgetClearFilter = 10086;
inline constexpr int32_t kGadgetFilterText = 10087;
inline constexpr int32_t kGadgetFilterToggle = 10088;
inline constexpr int32_t kGadgetTree = 10089;
inline constexpr int32_t kGadgetTreeGroup = 10090;
inline constexpr int32_t kGadgetDetailGroup = 10091;
inline constexpr int32_t kGadgetReplaceGroup = 10092;
inline constexpr int32_t kGadgetInfo = 10104;
inline constexpr int32_t kGadgetStatusComparison = 10164;
inline constexpr int32_t kGadgetSizeComparison = 10165;
inline constexpr int32_t kGadgetResolutionComparison = 10166;
inline constexpr int32_t kGadgetSizeLabel = 10174;
inline constexpr int32_t kGadgetSizeValue = 10175;
inline constexpr int32_t kGadgetSizeUnit = 10177;
inline constexpr int32_t kGadgetResolutionWidth = 10183;
inline constexpr int32_t kGadgetResolutionHeight = 10184;

}  // namespace kv
