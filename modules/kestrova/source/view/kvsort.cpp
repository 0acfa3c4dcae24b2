#include "view/kvsort.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "brantic/parallel.h"
#include "bx3/document.h"
#include "collection/kvrowtext.h"
#include "view/kvviewsettings.h"

namespace kv {

namespace {

using brantic::String;

// From this many rows on, sorting in parts on helper threads saves more than it costs.
constexpr size_t kSortInPartsFrom = 20000;

// What a row sorts by: `first`, then `text`, then `second`; rows alike in all three keep
// their place in the collection. Rows marked `last` sort after all others, in their places.
// `text` views the row's own strings or a text kept in the sort's store. `head` and `tail` hold the 16 bytes of the
// text that follow the prefix every text that is not empty shares, as big-endian numbers, so that most comparisons need
// not read the text; `restLength` is the text's length after that prefix (kLongRest past 16).
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
    case column::kVia: key.text = row.via.View(); break;
    case column::kStatus: {
      // Unreachable beside missing: both are what a user looks at first.
      const int32_t rank = row.IsUnreachable() ? 0 : row.resolveResult + 1;
      key.first = rank * 2 + (row.IsPartlyFound() ? 0 : 1);
      break;
    }
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
      shared = shared.substr(
          0,
          size_t(std::mismatch(shared.begin(), shared.end(), key.text.begin(), key.text.end()).first - shared.begin()));
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
  // Long lists are sorted in parts on helper threads. Rows that sort alike keep their
  // collection order: the keys stand in it and the sort is stable.
  if (parts == 0) parts = rows.size() >= kSortInPartsFrom ? std::min<size_t>(brantic::CoreCount(), 4) : 1;
  uint32_t* next = order.data();
  brantic::ParallelStableSort(keys, before, parts, [&next](const SortKey& key) { *next++ = key.row; });
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

}  // namespace kv
