#include "kvsort.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "bx3/document.h"
#include "kvcelltext.h"
#include "kvhelpers.h"
#include "kvids.h"
#include "kvresources.h"

namespace kv {

namespace {

using brantic::String;

// From this many rows on, sorting in parts on helper threads saves more than it costs.
constexpr size_t kSortInPartsFrom = 20000;

// What a row sorts by: `first`, then `text`, then `second`; rows alike in all three keep
// their place in the collection. Rows marked `last` sort after all others, in their places.
// `text` views the row's own strings or a text kept in the sort's store. `head` and `tail` hold the 16 bytes of the text that follow
// the prefix every text that is not empty shares, as big-endian numbers, so that most
// comparisons need not read the text; `restLength` is the text's length after that prefix
// (kLongRest past 16).
struct SortKey {
  int64_t first = 0;
  uint64_t head = 0;
  uint64_t tail = 0;
  std::string_view text;
  int64_t second = 0;
  uint32_t row = 0;
  uint16_t restLength = 0;
  bool last = false;
  bool hasText = false;
};
constexpr uint16_t kLongRest = UINT16_MAX;

SortKey MakeSortKey(const KvAssetEntry& row, int32_t column, const bx3::Document* document,
                    std::vector<String>& store) {
  SortKey key;
  const auto kept = [&store](String text) {
    store.push_back(std::move(text));
    return store.back().View();
  };
  switch (column) {
    case column::kLayer:
      if (const bx3::Element* layer = row.layerLink.Resolve(document)) {
        key.text = layer->GetName().View();
        key.second = int64_t(layer->GetUid());
      } else {
        key.last = true;
      }
      break;
    case column::kElement:
      if (const bx3::Element* main = row.ownerMainLink.Resolve(document)) {
        key.text = main->GetName().View();
      } else {
        key.last = true;
      }
      break;
    case column::kAssetType: key.text = kept(AssetTypeText(row, true)); break;
    case column::kBreadcrumb: key.text = kept(BreadcrumbText(row, document)); break;
    case column::kAsset: key.text = row.assetPath.GetFileView(); break;
    case column::kFormat: key.text = kept(FormatText(row)); break;
    case column::kGlobalPath: key.text = row.resolvedPath.View(); break;
    case column::kElementType: key.text = row.elementName.View(); break;
    case column::kResolution:
      key.first = row.resolutionX;
      key.second = row.resolutionY;
      break;
    case column::kNodeSpace: key.text = kept(NodeSpaceName(row.nodeSpace)); break;
    case column::kPath: key.text = row.assetPath.View(); break;
    case column::kNewPath: key.text = row.newPath.View(); break;
    case column::kStatus: key.first = row.resolveResult; break;
    case column::kTake:
      key.first = row.takeOverride ? 1 : 0;
      key.text = kept(TakeText(row));
      break;
    case column::kSize: key.first = row.fileSize; break;
    default: break;
  }
  return key;
}

uint64_t BigEndianBytes(std::string_view text) {
  uint64_t value = 0;
  for (size_t i = 0; i < 8; ++i) value = (value << 8) | (i < text.size() ? uint8_t(text[i]) : 0u);
  return value;
}

// Fills in the packed parts of the keys' texts.
void PackTexts(std::vector<SortKey>& keys) {
  std::string_view shared;
  bool any = false;
  for (const SortKey& key : keys) {
    if (key.last || key.text.empty()) continue;
    if (!any) {
      shared = key.text;
      any = true;
    } else {
      shared = shared.substr(0, size_t(std::mismatch(shared.begin(), shared.end(), key.text.begin(), key.text.end()).first -
                                       shared.begin()));
    }
  }
  for (SortKey& key : keys) {
    if (key.last || key.text.empty()) continue;
    key.hasText = true;
    const std::string_view rest = key.text.substr(shared.size());
    key.head = BigEndianBytes(rest);
    key.tail = rest.size() > 8 ? BigEndianBytes(rest.substr(8)) : 0;
    key.restLength = rest.size() <= 16 ? uint16_t(rest.size()) : kLongRest;
  }
}

// Negative when `a` sorts before `b`, positive after, zero when they sort alike.
int KeyCompare(const SortKey& a, const SortKey& b) {
  const auto sign = [](auto x, auto y) { return x < y ? -1 : 1; };
  if (a.first != b.first) return sign(a.first, b.first);
  if (a.hasText != b.hasText) return a.hasText ? 1 : -1;  // the empty text first
  if (a.head != b.head) return sign(a.head, b.head);
  if (a.tail != b.tail) return sign(a.tail, b.tail);
  if (a.restLength == kLongRest || b.restLength == kLongRest) {
    if (const int order = a.text.compare(b.text); order != 0) return order;
  } else if (a.restLength != b.restLength) {
    return sign(a.restLength, b.restLength);  // the shorter text is a prefix of the other
  }
  return a.second == b.second ? 0 : sign(a.second, b.second);
}

}  // namespace

std::vector<uint32_t> SortedRowOrder(const std::vector<KvAssetEntry>& rows, int32_t sortColumn,
                                     const bx3::Document* document, size_t parts) {
  std::vector<uint32_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0u);
  if (rows.size() < 2) return order;
  const bool descending = sortColumn < 0;
  const int32_t column = descending ? -sortColumn : sortColumn;
  // One key per row instead of building texts in every comparison; the keys themselves are
  // sorted, so that comparisons read neighbouring memory.
  std::vector<String> store;
  store.reserve(rows.size());  // never grows past this: the keys' views stay valid
  std::vector<SortKey> keys;
  keys.reserve(rows.size());
  for (const KvAssetEntry& row : rows) {
    keys.push_back(MakeSortKey(row, column, document, store));
    keys.back().row = uint32_t(keys.size() - 1);
  }
  PackTexts(keys);
  const auto before = [descending](const SortKey& a, const SortKey& b) {
    if (a.last != b.last) return b.last;
    return !a.last && (descending ? KeyCompare(b, a) : KeyCompare(a, b)) < 0;
  };
  // Long lists are sorted in parts on helper threads; the parts' fronts are merged straight
  // into the order. Rows that sort alike keep their collection order: the keys stand in it,
  // each part is sorted stably, and the merge takes from the earlier part on a tie.
  if (parts == 0) parts = rows.size() >= kSortInPartsFrom ? std::min<size_t>(CoreCount(), 4) : 1;
  parts = std::clamp<size_t>(parts, 1, rows.size());
  const auto bound = [&keys, parts](size_t part) { return keys.begin() + ptrdiff_t(keys.size() * part / parts); };
  {
    const auto sortPart = [&](size_t part) { std::stable_sort(bound(part), bound(part + 1), before); };
    KvHelperThreads helpers("Kv Sort", parts - 1, sortPart);
    sortPart(0);
    for (size_t part = helpers.Started() + 1; part < parts; ++part) sortPart(part);
  }  // the helpers are done
  std::vector<std::pair<std::vector<SortKey>::const_iterator, std::vector<SortKey>::const_iterator>> fronts;
  for (size_t part = 0; part < parts; ++part) fronts.emplace_back(bound(part), bound(part + 1));
  for (uint32_t& next : order) {
    size_t best = parts;
    for (size_t part = 0; part < parts; ++part) {
      if (fronts[part].first == fronts[part].second) continue;
      if (best == parts || before(*fronts[part].first, *fronts[best].first)) best = part;
    }
    next = fronts[best].first->row;
    ++fronts[best].first;
  }
  return order;
}

void SortAssetRows(std::vector<KvAssetEntry>& rows, int32_t sortColumn, const bx3::Document* document) {
  std::vector<uint32_t> order = SortedRowOrder(rows, sortColumn, document);
  // Moves the rows into place along the permutation's cycles: each row moves once and no
  // second array of rows is needed.
  for (size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    KvAssetEntry held = std::move(rows[start]);
    size_t target = start;
    while (order[target] != start) {
      const size_t source = order[target];
      rows[target] = std::move(rows[source]);
      order[target] = uint32_t(target);
      target = source;
    }
    rows[target] = std::move(held);
    order[target] = uint32_t(target);
  }
}

bool PassesTypeFilter(const KvAssetEntry& row, const KvViewSettings& view) {
  static constexpr std::pair<uint32_t, int32_t> kFilters[] = {
      {ASSETTYPE_IMAGE, kCmdViewTypeImage},         {ASSETTYPE_VIDEO, kCmdViewTypeVideo},
      {ASSETTYPE_AUDIO, kCmdViewTypeAudio},         {ASSETTYPE_CACHE, kCmdViewTypeExternalCache},
      {ASSETTYPE_REFERENCED3D, kCmdViewTypeReferenced3d}, {ASSETTYPE_OTHER, kCmdViewTypeOther},
  };
  for (const auto& [bit, command] : kFilters) {
    if ((row.assetType & bit) && view.Flag(command)) return true;
  }
  return false;
}

bool IsWildcardPattern(std::string_view text) { return text.find_first_of("*?#") != std::string_view::npos; }

std::string WildcardToRegex(std::string_view pattern) {
  // Only the expression language's own characters are escaped: a backslash before a letter
  // or digit would make a class ("\\d") or a back-reference ("\\1") of it.
  constexpr std::string_view kSpecial = "\\^$.[]{}()|+*?";
  std::string expression;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      const char literal = pattern[++i];
      if (kSpecial.find(literal) != std::string_view::npos) expression += '\\';
      expression += literal;
    } else if (c == '*' && !(i > 0 && pattern[i - 1] == '[')) {
      expression += "(.*)";
    } else if (c == '?') {
      expression += '.';
    } else if (c == '#') {
      expression += "([0-9]+)";
    } else if (c == '(' || c == ')' || c == '|') {
      expression += c;
    } else {
      // Everything else stands for itself, expression characters included.
      if (kSpecial.find(c) != std::string_view::npos) expression += '\\';
      expression += c;
    }
  }
  return expression;
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
    case 1: return row.assetPath.GetFile().GetString();
    case 2: return row.assetPath.GetString();
    case 3: return row.resolvedPath;
    case 4: return row.elementName;
    case 5: return ElementText(row, document);
    case 6: return BreadcrumbText(row, document);
    case 7: return LayerText(row, document);
    case 8: return TakeText(row);
    case 9: return NodeSpaceText(row);
    case 10: return FormatText(row);
    default: return String();
  }
}

brantic::Result<KvFilterBarFilter> KvFilterBarFilter::Create(const KvFilterBarState& state,
                                                             const bx3::Document* document) {
  KvFilterBarFilter filter;
  filter.state_ = state;
  filter.document_ = document;
  filter.sizeLimit_ = SizeLimitInBytes(state.sizeValue, state.sizeUnit);
  if (state.column >= 1 && state.column <= 10 && IsWildcardPattern(state.text.View())) {
    auto pattern = brantic::RegularExpression::Compile(WildcardToRegex(state.text.View()));
    if (!pattern) return pattern.GetError();
    filter.pattern_ = std::move(*pattern);
  }
  return filter;
}

bool KvFilterBarFilter::Keeps(const KvAssetEntry& row) const {
  const auto compare = [](int32_t option, int64_t value, int64_t limit) {
    return option == 0 ? value < limit : option == 1 ? value == limit : value > limit;
  };
  switch (state_.column) {
    case 0:
    case 100:
      if (state_.statusOption == 0) return row.resolveResult == 0;
      if (state_.statusOption == 1) return row.resolveResult >= 1 && row.resolveResult <= 3;
      return row.resolveResult == 4;
    case 11:
    case 111: {
      const auto [size, limit] = CoarsenSizes(row.fileSize, sizeLimit_, state_.sizeUnit);
      return compare(state_.sizeOption, size, limit);
    }
    case 12:
    case 112:
      return (state_.width == 0 || compare(state_.resolutionOption, row.resolutionX, state_.width)) &&
             (state_.height == 0 || compare(state_.resolutionOption, row.resolutionY, state_.height));
    default: break;
  }
  if (state_.column < 1 || state_.column > 10 || state_.text.IsEmpty()) return true;
  const String text = FilterColumnText(row, state_.column, document_);
  if (text.IsEmpty()) return false;
  return pattern_ ? pattern_->MatchesWhole(text.View()) : text.Contains(state_.text.View());
}

brantic::Result<void> BuildRowIndexList(KvAssetTable& table, const KvViewSettings& view,
                                        const KvFilterBarFilter* filterBar) {
  table.rowIndexList.clear();
  table.viewGroups.clear();
  try {
    table.rowIndexList.reserve(table.rows.size());
    const bool sorted = table.displayOrder.size() == table.rows.size();
    for (size_t position = 0; position < table.rows.size(); ++position) {
      const size_t i = sorted ? table.displayOrder[position] : position;
      KvAssetEntry& row = table.rows[i];
      if (filterBar && !filterBar->Keeps(row)) {
        row.selected = 0;
        continue;
      }
      if (PassesTypeFilter(row, view)) table.rowIndexList.push_back(int64_t(i));
    }
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError();
  }
  return {};
}

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

brantic::Result<void> GroupRows(KvAssetTable& table, int32_t groupMode, const bx3::Document* document) {
  try {
    // Keys that are a row's own text are looked up by view; built ones are kept alive here.
    std::vector<String> built;
    built.reserve(table.rowIndexList.size());
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
    groupOfKey.reserve(table.rowIndexList.size() / 4 + 16);
    // Each position's group first, then groups of their exact sizes.
    std::vector<uint32_t> groupOf(table.rowIndexList.size());
    std::vector<uint32_t> sizes;
    std::string_view previousKey;
    for (size_t position = 0; position < table.rowIndexList.size(); ++position) {
      const std::string_view key = keyOf(table.rows[size_t(table.rowIndexList[position])]);
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
    for (size_t position = 0; position < groupOf.size(); ++position) groups[groupOf[position]].push_back(int64_t(position));
    table.viewGroups = std::move(groups);
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError();
  }
  return {};
}

}  // namespace kv
