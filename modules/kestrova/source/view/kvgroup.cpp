#include "view/kvgroup.h"

#include <string_view>
#include <unordered_map>

#include "bx3/document.h"
#include "collection/kvrowtext.h"
#include "ids/kvids.h"
#include "view/kvviewlists.h"

namespace kv {

using brantic::String;

String GroupKey(const KvAssetEntry& row, int32_t groupMode, const bx3::Document* document) {
  switch (groupMode) {
    case kGroupByNodeSpace: return NodeSpaceName(row.nodeSpace);
    case kGroupByLayer: {
      const bx3::Element* layer = row.layerLink.Resolve(document);
      return layer ? String(std::to_string(layer->GetUid())) : String();
    }
    case kGroupByTake: return TakeText(row);
    case kGroupByElementType: return row.elementName;
    case kGroupByAssetType: return AssetTypeText(row, false);
    case kGroupByFormat: return row.formatText;
    default: return row.assetPath.GetString();
  }
}

brantic::Result<void> GroupRows(const std::vector<KvAssetEntry>& rows, KvViewLists& lists, int32_t groupMode,
                                const bx3::Document* document) {
  try {
    // Keys that are a row's own text are looked up by view; built ones are kept alive here.
    std::vector<String> built;
    built.reserve(lists.rowIndexList.size());
    const auto keyOf = [&](const KvAssetEntry& row) -> std::string_view {
      switch (groupMode) {
        case kGroupByElementType: return row.elementName.View();
        case kGroupByFormat: return row.formatText.View();
        case kGroupByTake:
          if (!row.takeName.IsEmpty()) return row.takeName.View();
          break;
        case kGroupByAsset:
        case kGroupNone: return row.assetPath.View();
        default: break;
      }
      built.push_back(GroupKey(row, groupMode, document));
      return built.back().View();
    };
    std::unordered_map<std::string_view, uint32_t> groupOfKey;
    groupOfKey.max_load_factor(0.65f);
    groupOfKey.reserve(lists.rowIndexList.size() / 4 + 16);
    // Each position's group first, then groups of their exact sizes.
    std::vector<uint32_t> groupOf(lists.rowIndexList.size());
    std::vector<uint32_t> sizes;
    std::string_view previousKey;
    for (size_t position = 0; position < lists.rowIndexList.size(); ++position) {
      const std::string_view key = keyOf(rows[size_t(lists.rowIndexList[position])]);
      // The rows of a group often follow each other in the sorted order: the previous
      // row's group is tried before the map.
      if (position == 0 || key != previousKey) {
        const auto [found, isNew] = groupOfKey.try_emplace(key, uint32_t(sizes.size()));
        if (isNew) sizes.push_back(0);
        groupOf[position] = found->second;
      } else {
        groupOf[position] = groupOf[position - 1];
      }
      ++sizes[groupOf[position]];
      previousKey = key;
    }
    std::vector<std::vector<int64_t>> groups(sizes.size());
    for (size_t group = 0; group < groups.size(); ++group) groups[group].reserve(sizes[group]);
    for (size_t position = 0; position < groupOf.size(); ++position) {
      groups[groupOf[position]].push_back(int64_t(position));
    }
    lists.viewGroups = std::move(groups);
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError();
  }
  return {};
}

}  // namespace kv
